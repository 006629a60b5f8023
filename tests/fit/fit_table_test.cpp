// Every desktop mode x standard x interlace choice on each virtual card, applied as the window
// applies it, and judged on the analyzed signal alone.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "engine/chip_codes.h"
#include "scope_session.h"

namespace zanvo {
namespace {

using engine::vs24kHz;
using engine::vsNTSC;
using engine::vsPAL;

enum class Outcome {
  kFitted,          // line and field rate of the standard, `lines` shown per field
  kHorizontalOnly,  // the width has a row, the line count has none: the vertical timing stays
  kUntouched,       // no row for the width: the monitor timings stay as the driver set them
};

struct FitCase {
  const char* card;
  uint16_t width, height;
  uint8_t standard;
  bool interlace_allowed;
  Outcome outcome;
  int lines;  // display lines per field when fitted
  bool interlaced;
};

struct Target {
  double line_hz, field_hz;
};

Target TargetOf(uint8_t standard) {
  switch (standard) {
    case vsPAL:
      return {15625.0, 50.0};
    case vsNTSC:
      return {15734.0, 59.94};
    default:
      return {24390.0, 57.5};
  }
}

std::string Describe(const FitCase& c) {
  return std::string(c.card) + " " + std::to_string(c.width) + "x" + std::to_string(c.height) +
         " standard " + std::to_string(c.standard) +
         (c.interlace_allowed ? " interlace allowed" : " no interlace");
}

double Deviation(double value, double target) {
  return std::fabs(value / target - 1.0);
}

// The vertical CRTC registers a driver programs; "left" means all of these still hold the
// driver's values.
constexpr uint8_t kVerticalRegs[] = {0x06, 0x10, 0x12, 0x15, 0x16};

constexpr auto F = Outcome::kFitted;
constexpr auto H = Outcome::kHorizontalOnly;
constexpr auto U = Outcome::kUntouched;

// clang-format off
const FitCase kCases[] = {
    // The standard VGA has no chip interlace: tall modes are fitted by skipping lines, and a
    // line count that halves to no table key keeps its vertical timing.
    {"vga", 640, 480, vsPAL, true, F, 240, false},
    {"vga", 640, 480, vsNTSC, true, F, 240, false},
    {"vga", 640, 480, vs24kHz, true, F, 240, false},
    {"vga", 640, 480, vsPAL, false, F, 240, false},
    {"vga", 800, 600, vsPAL, true, F, 294, false},
    {"vga", 800, 600, vsNTSC, true, F, 257, false},
    {"vga", 800, 600, vs24kHz, true, F, 300, false},
    {"vga", 720, 400, vsPAL, true, F, 200, false},
    {"vga", 720, 400, vsNTSC, true, F, 200, false},
    {"vga", 720, 400, vs24kHz, true, H, 0, false},
    {"vga", 320, 200, vsPAL, true, F, 200, false},
    {"vga", 320, 200, vsNTSC, true, F, 200, false},
    {"vga", 320, 200, vs24kHz, true, H, 0, false},
    {"vga", 640, 400, vsPAL, true, F, 200, false},
    {"vga", 640, 400, vsNTSC, true, F, 200, false},
    {"vga", 1024, 768, vsPAL, true, H, 0, false},
    {"vga", 1024, 768, vsNTSC, false, H, 0, false},
    {"vga", 1024, 768, vs24kHz, true, U, 0, false},
    {"vga", 512, 384, vsPAL, true, F, 192, false},
    {"vga", 512, 384, vsNTSC, true, F, 192, false},
    {"vga", 512, 384, vs24kHz, true, U, 0, false},
    {"vga", 768, 576, vsPAL, true, F, 288, false},
    {"vga", 768, 576, vsNTSC, true, F, 257, false},
    {"vga", 768, 576, vs24kHz, true, U, 0, false},  // the 24 kHz table has no 96 row
    {"vga", 848, 480, vsPAL, true, F, 240, false},
    {"vga", 848, 480, vs24kHz, true, F, 240, false},
    {"vga", 960, 600, vsPAL, true, F, 294, false},
    {"vga", 960, 600, vs24kHz, true, U, 0, false},
    {"vga", 1056, 480, vsPAL, true, F, 240, false},
    {"vga", 1056, 480, vsNTSC, true, F, 240, false},
    {"vga", 1152, 864, vsPAL, true, H, 0, false},
    {"vga", 1280, 1024, vsNTSC, true, H, 0, false},
    {"vga", 1600, 1200, vsPAL, true, H, 0, false},
};
// clang-format on

TEST(FitTable, EachCardModeAndStandardReachesItsOutcome) {
  for (const FitCase& c : kCases) {
    SCOPED_TRACE(Describe(c));
    scope::ScopeOptions options;
    options.card = c.card;
    options.width = c.width;
    options.height = c.height;
    options.standard = c.standard;
    options.no_interlace = !c.interlace_allowed;
    scope::ScopeReport report;
    std::string error;
    ASSERT_TRUE(scope::RunScope(options, report, error)) << error;

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
}

}  // namespace
}  // namespace zanvo
