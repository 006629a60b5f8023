// Intel i740: every desktop mode x standard x interlace choice, judged on the analyzed signal.
//
// The driver leaves the extended CRTC on (XR09 bit 0), so the vertical bits 8-11 come from
// CR30-CR33, which the engine never writes: its CR07 overflow bits are not used. A vertical
// value fits only when its high bits happen to equal those of the driver's value in the same
// register; otherwise the field is far too long or a position lies past the total.

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
    // Interlaced 640x480 PAL: total 623 (bits 8-11: 2), display end 479 (1), sync start 532 (2),
    // blank start 526 (2) against the driver's 523, 479, 490, 487: only total and display end
    // agree, and the shifted sync still falls inside the blanking.
    {"intel-i740", 640, 480, vsPAL, true, F, 240, true},
    {"intel-i740", 768, 576, vsPAL, true, F, 288, true},
    {"intel-i740", 1280, 1024, vsPAL, true, F, 256, true},
    {"intel-i740", 640, 480, vsNTSC, true, F, 240, true},
    {"intel-i740", 800, 600, vsNTSC, true, H, 0, false},
    {"intel-i740", 1024, 768, vsPAL, false, H, 0, false},
    {"intel-i740", 1024, 768, vs24kHz, true, U, 0, false},
    {"intel-i740", 768, 576, vs24kHz, false, U, 0, false},
};
// clang-format on

TEST(FitTable, IntelI740ReachesEachOutcome) {
  for (const FitCase& c : kCases)
    CheckFitCase(c);
}

struct MissCase {
  uint16_t width, height;
  uint8_t standard;
  bool interlace_allowed;
  double field_hz;
  const char* problem;  // a contradiction the signal must show, or nullptr
};

// The line is right (clock 1 halved, or clock 0 for 24 kHz); the field is not.
constexpr MissCase kMisses[] = {
    {640, 480, vsPAL, false, 27.53, nullptr},  // CR30 keeps 2: total 311 + 512
    {640, 480, vsNTSC, false, 30.45, nullptr},
    {640, 480, vs24kHz, true, 82.55, nullptr},
    {800, 600, vsPAL, false, 27.53, nullptr},
    {800, 600, vs24kHz, true, 82.55, "vertical display end past total"},
    {1024, 768, vsPAL, true, 35.56, "vertical sync start past total"},
    {720, 400, vsPAL, true, 84.90, "vertical display end past total"},
    {720, 400, vsNTSC, false, 60.09, "vertical sync start past total"},
};

TEST(FitTable, IntelI740RowsThatMissTheStandard) {
  for (const MissCase& m : kMisses) {
    const FitCase c{"intel-i740", m.width, m.height, m.standard, m.interlace_allowed, F, 0, false};
    SCOPED_TRACE(Describe(c));
    scope::ScopeReport report;
    ASSERT_TRUE(RunFitCase(c.card, c.width, c.height, c.standard, c.interlace_allowed, report));
    const virt::Signal& s = report.applied;  // the engine's rows, before the field check
    const Target target = TargetOf(c.standard);
    EXPECT_TRUE(report.row_found);
    EXPECT_LT(Deviation(s.line_rate_hz, target.line_hz), 0.01) << s.line_rate_hz;
    EXPECT_NEAR(s.field_rate_hz, m.field_hz, 0.01);
    if (m.problem != nullptr) {
      EXPECT_NE(std::find(s.contradictions.begin(), s.contradictions.end(), m.problem),
                s.contradictions.end())
          << m.problem;
    } else {
      EXPECT_GT(Deviation(s.field_rate_hz, target.field_hz), 0.01);
    }
  }
}

// Another family's sequence on the i740: nothing hangs, none of it turns on the chip's interlace
// (CR70 bit 7), which only the Intel branch writes, and a lost signal is always explained.
TEST(FitTable, IntelI740UnderAnotherFamily) {
  constexpr uint8_t kFamilies[] = {0, 1, 2, 3, 4, 5, 7, 8, 12, 13, 14, 20, 60};
  for (const uint8_t family : kFamilies) {
    SCOPED_TRACE("family " + std::to_string(family));
    virt::VirtualPc pc(virt::MakeCard("intel-i740"));
    ASSERT_TRUE(virt::SetDesktopMode(pc.card(), 640, 480));
    ApplyStandardAs(pc, family, 0, vsPAL);
    EXPECT_EQ(pc.card().Stored(virt::RegFile::kCrtc, 0x70) & 0x80, 0);
    EXPECT_FALSE(pc.card().signal().interlaced);
    // Trident's preparation selects clock 2, which this card lacks: no signal, and it says why.
    const virt::Signal& signal = pc.card().signal();
    EXPECT_TRUE(signal.has_signal() || !signal.contradictions.empty());
  }
}

}  // namespace
}  // namespace zanvo::fit
