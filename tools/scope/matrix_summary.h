#pragma once
// The summary at the top of the compatibility page: the cards ranked by usable cells, the model
// to pick by hand where another fits better, and how sure the chip facts behind it are.

#include <cstdint>
#include <iosfwd>
#include <string>

#include "matrix.h"

namespace zanvo::scope {

void PrintMatrixSummaryMarkdown(const Matrix& matrix, std::ostream& out);

// The desktop a user of the card sets for `standard`: "800x600x16 exact", "640x480x8 locks, no
// interlace", "... computed timings", or "-" where nothing is usable. Usable with the tables
// before usable only with computed timings, exact before locks, every row shown before rows
// skipped, a 4:3 desktop before a wider one, then the larger desktop, then the deeper colours;
// interlace allowed (the window's default) where no-interlace is no better.
std::string DesktopToSet(const Matrix& matrix, const std::string& card, uint8_t standard);

}  // namespace zanvo::scope
