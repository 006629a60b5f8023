// The ATI Mach64 through the engine's block-I/O path: every desktop mode x standard x interlace
// choice, judged on the analyzed signal. The pixel clock is always the PLL's 28.42 MHz (or half
// of it), and the accelerator CRTC counts its totals as value + 1, so a line is one character
// and a field one line longer than the table row says.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "engine/chip_codes.h"
#include "engine/engine_port.h"
#include "engine/engine_state.h"
#include "engine/standards.h"
#include "fit_check.h"
#include "platform/virtual/card_catalog.h"
#include "platform/virtual/display_driver.h"
#include "platform/virtual/virtual_pc.h"
#include "scope_session.h"

namespace zanvo::fit {
namespace {

using engine::vs24kHz;
using engine::vsNTSC;
using engine::vsPAL;

// clang-format off
const FitCase kCases[] = {
    // Interlaced: 2 x 313 - 3 + 3 written, 627 frame lines, 313.5 per field (49.70 Hz).
    {"ati-mach64", 640, 480, vsPAL, true, F, 240, true},
    {"ati-mach64", 640, 480, vsNTSC, true, F, 240, true},
    {"ati-mach64", 800, 600, vsPAL, true, F, 294, true},
    {"ati-mach64", 720, 400, vsPAL, true, F, 200, true},
    {"ati-mach64", 720, 400, vsNTSC, true, F, 200, true},
    {"ati-mach64", 640, 400, vsPAL, true, F, 200, true},
    {"ati-mach64", 768, 576, vsPAL, true, F, 288, true},
    {"ati-mach64", 1024, 768, vsPAL, true, F, 192, true},
    {"ati-mach64", 1024, 768, vsNTSC, true, F, 192, true},
    {"ati-mach64", 1152, 864, vsPAL, true, F, 216, true},
    {"ati-mach64", 1280, 1024, vsPAL, true, F, 256, true},
    {"ati-mach64", 1280, 1024, vsNTSC, true, F, 249, true},
    // 600 lines: 300 by interlace, then 150 by skipping: no NTSC row.
    {"ati-mach64", 800, 600, vsNTSC, true, H, 0, false},
    {"ati-mach64", 768, 576, vsNTSC, true, H, 0, false},
    // Without interlace 768 and 1024 lines skip to 384 and 512: no row.
    {"ati-mach64", 1024, 768, vsPAL, false, H, 0, false},
    {"ati-mach64", 1024, 768, vsNTSC, false, H, 0, false},
    {"ati-mach64", 1280, 1024, vsPAL, false, H, 0, false},
    // The accelerator counts 8-dot characters: 720 pixels are 90 columns, not in the 24 kHz
    // table, and neither are 96 or 128.
    {"ati-mach64", 720, 400, vs24kHz, true, U, 0, false},
    {"ati-mach64", 768, 576, vs24kHz, true, U, 0, false},
    {"ati-mach64", 1024, 768, vs24kHz, true, U, 0, false},
    {"ati-mach64", 1024, 768, vs24kHz, false, U, 0, false},
};
// clang-format on

TEST(FitTable, AtiMach64ReachesEachOutcome) {
  for (const FitCase& c : kCases)
    CheckFitCase(c);
}

// Rows the engine programs but whose signal misses the standard: the 24 kHz rows want about
// 25.2 MHz and get the fixed 28.42 MHz (27.3 kHz lines, fields 12% fast), which no set holds and
// the field check refuses; progressive PAL and NTSC write a total of LinesPerField + 1, which the
// CRTC counts as one line more again (315 and 265 lines, just over 1% slow), which sets hold.
struct MissCase {
  uint16_t width, height;
  uint8_t standard;
  bool interlace_allowed;
  double line_hz, field_hz;
  int lines;
};

constexpr MissCase kMisses[] = {
    {640, 480, vs24kHz, true, 27326, 64.37, 240}, {640, 480, vs24kHz, false, 27326, 64.15, 240},
    {800, 600, vs24kHz, true, 27326, 64.37, 300}, {640, 480, vsPAL, false, 15581, 49.46, 240},
    {800, 600, vsPAL, false, 15581, 49.46, 294},  {640, 480, vsNTSC, false, 15719, 59.32, 240},
    {800, 600, vsNTSC, false, 15719, 59.32, 257},
};

TEST(FitTable, AtiMach64RowsThatMissTheStandard) {
  for (const MissCase& m : kMisses) {
    const FitCase c{"ati-mach64", m.width, m.height, m.standard, m.interlace_allowed, F, 0, false};
    SCOPED_TRACE(Describe(c));
    scope::ScopeReport report;
    ASSERT_TRUE(RunFitCase(c.card, c.width, c.height, c.standard, c.interlace_allowed, report));
    const virt::Signal& s = report.applied;  // the engine's rows, before the field check
    const Target target = TargetOf(c.standard);
    EXPECT_TRUE(report.row_found);
    EXPECT_NEAR(s.line_rate_hz, m.line_hz, 1.0);
    EXPECT_NEAR(s.field_rate_hz, m.field_hz, 0.01);
    EXPECT_EQ(s.display_lines_per_field, m.lines);
    EXPECT_GT(std::max(Deviation(s.line_rate_hz, target.line_hz),
                       Deviation(s.field_rate_hz, target.field_hz)),
              0.01);
    // What the program leaves: a field the set holds stays; the 12% fast one is measured and
    // applied again with the synthesizer set for the row's own clock, which is exact.
    ASSERT_TRUE(report.field_check.has_value());
    const bool holds = virt::JudgeSignal(target, s.line_rate_hz, s.field_rate_hz) !=
                       virt::SignalVerdict::kOff;
    EXPECT_EQ(report.field_check->in_band, holds);
    if (holds) {
      EXPECT_DOUBLE_EQ(report.signal.field_rate_hz, s.field_rate_hz);
    } else {
      EXPECT_EQ(m.standard, vs24kHz);
      ASSERT_TRUE(report.own_clock.has_value());
      EXPECT_TRUE(report.own_clock->passed);
      EXPECT_EQ(virt::JudgeSignal(target, report.signal.line_rate_hz, report.signal.field_rate_hz),
                virt::SignalVerdict::kExact)
          << report.signal.line_rate_hz << " Hz / " << report.signal.field_rate_hz << " Hz";
    }
  }
}

// Another family's register sequence on this card: nothing hangs or crashes, and since the VGA
// CRTC is not in charge of the accelerated desktop, the signal stays the driver's.
TEST(FitTable, AtiMach64UnderAnotherFamilyKeepsItsSignal) {
  constexpr uint8_t kFamilies[] = {0, 1, 2, 3, 4, 5, 7, 9, 12, 13, 14, 20, 60};
  for (const uint8_t family : kFamilies) {
    SCOPED_TRACE("family " + std::to_string(family));
    virt::VirtualPc pc(virt::MakeCard("ati-mach64"));
    ASSERT_TRUE(virt::SetDesktopMode(pc.card(), 800, 600));
    const virt::Signal before = pc.card().signal();
    ApplyStandardAs(pc, family, 0, vsPAL);
    const virt::Signal& after = pc.card().signal();
    EXPECT_DOUBLE_EQ(after.line_rate_hz, before.line_rate_hz);
    EXPECT_DOUBLE_EQ(after.field_rate_hz, before.field_rate_hz);
    EXPECT_TRUE(after.contradictions.empty()) << after.contradictions.front();
  }
}

}  // namespace
}  // namespace zanvo::fit
