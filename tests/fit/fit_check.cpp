#include "fit_check.h"

#include <gtest/gtest.h>

namespace zanvo::fit {

namespace {
// The vertical CRTC registers a driver programs; "left" means all of these still hold the
// driver's values.
constexpr uint8_t kVerticalRegs[] = {0x06, 0x10, 0x12, 0x15, 0x16};
}  // namespace

bool RunFitCase(const char* card, uint16_t width, uint16_t height, uint8_t standard,
                bool interlace_allowed, scope::ScopeReport& report) {
  scope::ScopeOptions options;
  options.card = card;
  options.width = width;
  options.height = height;
  options.standard = standard;
  options.no_interlace = !interlace_allowed;
  std::string error;
  const bool ran = scope::RunScope(options, report, error);
  EXPECT_TRUE(ran) << error;
  return ran;
}

void CheckFitCase(const FitCase& c) {
  SCOPED_TRACE(Describe(c));
  scope::ScopeReport report;
  ASSERT_TRUE(RunFitCase(c.card, c.width, c.height, c.standard, c.interlace_allowed, report));

  const virt::Signal& s = report.signal;
  const virt::Signal& monitor = report.monitor;
  const Target target = TargetOf(c.standard);
  ASSERT_TRUE(monitor.has_signal());
  EXPECT_TRUE(monitor.contradictions.empty()) << monitor.contradictions.front();

  switch (c.outcome) {
    case Outcome::kFitted:
      EXPECT_TRUE(report.row_found);
      EXPECT_LT(Deviation(s.line_rate_hz, target.line_hz), 0.01) << s.line_rate_hz;
      EXPECT_LT(Deviation(s.field_rate_hz, target.field_hz), 0.01) << s.field_rate_hz;
      EXPECT_EQ(s.display_lines_per_field, c.lines);
      EXPECT_EQ(s.interlaced, c.interlaced);
      EXPECT_TRUE(s.contradictions.empty()) << s.contradictions.front();
      break;
    case Outcome::kHorizontalOnly:
      EXPECT_TRUE(report.row_found);
      EXPECT_LT(Deviation(s.line_rate_hz, target.line_hz), 0.01) << s.line_rate_hz;
      for (uint8_t index : kVerticalRegs) {
        EXPECT_EQ(report.registers.crtc[index], report.monitor_registers.crtc[index])
            << "CR" << std::hex << int{index};
      }
      break;
    case Outcome::kUntouched:
      EXPECT_FALSE(report.row_found);
      EXPECT_DOUBLE_EQ(s.line_rate_hz, monitor.line_rate_hz);
      EXPECT_DOUBLE_EQ(s.field_rate_hz, monitor.field_rate_hz);
      EXPECT_EQ(s.display_lines_per_field, monitor.display_lines_per_field);
      break;
  }
}

}  // namespace zanvo::fit
