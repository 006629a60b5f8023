#pragma once
// The summary at the top of the compatibility page: the cards ranked by usable cells, the model
// to pick by hand where another fits better, and how sure the chip facts behind it are.

#include <iosfwd>

#include "matrix.h"

namespace zanvo::scope {

void PrintMatrixSummaryMarkdown(const Matrix& matrix, std::ostream& out);

}  // namespace zanvo::scope
