#pragma once
// Rows the engine programs whose signal misses the standard: the card's clock divided as its
// registers say, over the row's characters per line, gives a line rate off the target. The case
// names the clock and the line length that explain the rate.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "fit_check.h"
#include "scope_session.h"

namespace zanvo::fit {

struct MissCase {
  const char* card;
  uint16_t width, height;
  uint8_t standard;
  bool interlace_allowed;
  double pixel_clock_mhz;  // after every divider
  int chars_per_line;
  int lines;  // display lines per field
  bool interlaced;
};

inline void CheckMissCase(const MissCase& m) {
  const FitCase c{m.card, m.width, m.height, m.standard, m.interlace_allowed, F, 0, false};
  SCOPED_TRACE(Describe(c));
  scope::ScopeReport report;
  ASSERT_TRUE(RunFitCase(m.card, m.width, m.height, m.standard, m.interlace_allowed, report));
  const virt::Signal& s = report.applied;
  const Target target = TargetOf(c.standard);
  EXPECT_TRUE(report.row_found);
  EXPECT_NEAR(s.pixel_clock_hz / 1e6, m.pixel_clock_mhz, 0.001);
  EXPECT_EQ(s.chars_per_line, m.chars_per_line);
  EXPECT_EQ(s.display_lines_per_field, m.lines);
  EXPECT_EQ(s.interlaced, m.interlaced);
  EXPECT_GT(std::max(Deviation(s.line_rate_hz, target.line_hz),
                     Deviation(s.field_rate_hz, target.field_hz)),
            0.01)
      << s.line_rate_hz << " Hz lines, " << s.field_rate_hz << " Hz fields";
}

}  // namespace zanvo::fit
