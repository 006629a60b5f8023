#pragma once
// Rows the engine rewrites but whose line or field rate misses the standard by more than the 1%
// a fitted row allows: what the chip's clock step really produces. The expected line rate is
// worked out from the clock and the row's line length, not read off the result.

#include <cstdint>

#include "fit_check.h"

namespace zanvo::fit {

struct OffRateCase {
  const char* card;
  uint16_t width, height;
  uint8_t standard;
  bool interlace_allowed;
  double dot_clock_hz;  // the clock after every divider the engine turned on
  int line_chars;       // the table row's total, 8-dot characters
  double field_lines;   // lines per field the analyzer counts; 0 = vertical timing left as it was
  int lines;            // lines shown per field when the vertical timing was rewritten
  bool interlaced;
};

// Runs the case through zanvo-scope's session and checks it with gtest assertions.
void CheckOffRateCase(const OffRateCase& c);

}  // namespace zanvo::fit
