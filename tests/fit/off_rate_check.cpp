#include "off_rate_check.h"

#include <gtest/gtest.h>

#include <string>

#include "scope_session.h"

namespace zanvo::fit {

namespace {
constexpr double kMatch = 0.002;  // the computed rates must agree this closely
}  // namespace

void CheckOffRateCase(const OffRateCase& c) {
  SCOPED_TRACE(std::string(c.card) + " " + std::to_string(c.width) + "x" +
               std::to_string(c.height) + " standard " + std::to_string(c.standard) +
               (c.interlace_allowed ? " interlace allowed" : " no interlace"));
  scope::ScopeReport report;
  ASSERT_TRUE(RunFitCase(c.card, c.width, c.height, c.standard, c.interlace_allowed, report));
  ASSERT_TRUE(report.row_found);

  // What the engine put out; a refused run is judged on it before the monitor timings return.
  const virt::Signal& s = report.applied;
  const Target target = TargetOf(c.standard);
  const double line_hz = c.dot_clock_hz / (c.line_chars * 8.0);
  EXPECT_LT(Deviation(s.line_rate_hz, line_hz), kMatch) << s.line_rate_hz << " vs " << line_hz;
  EXPECT_EQ(s.interlaced, c.interlaced);
  if (c.field_lines > 0) {
    EXPECT_LT(Deviation(s.field_rate_hz, line_hz / c.field_lines), kMatch) << s.field_rate_hz;
    EXPECT_EQ(s.display_lines_per_field, c.lines);
  } else {
    EXPECT_FALSE(report.vertical_row_found);
    ExpectMonitorTimingsBack(report);
  }
  // Off the standard: a fitted row would have made both rates.
  EXPECT_TRUE(Deviation(s.line_rate_hz, target.line_hz) >= 0.01 ||
              Deviation(s.field_rate_hz, target.field_hz) >= 0.01)
      << s.line_rate_hz << " Hz, " << s.field_rate_hz << " Hz";
}

}  // namespace zanvo::fit
