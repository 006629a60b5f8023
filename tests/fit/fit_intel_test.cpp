// Intel i740: every desktop mode x standard x interlace choice, judged on the analyzed signal.
//
// The driver leaves the extended CRTC on (XR09 bit 0), so the vertical bits 8-11 come from
// CR30-CR33 and the CR07 overflow bits are not used: the engine writes both from the same values.
// Left at the driver's, every vertical value whose high bits differ from the driver's would land
// elsewhere (a field far too long, or a position past the total).

#include <gtest/gtest.h>

#include <string>

#include "engine/chip_codes.h"
#include "engine/engine_port.h"
#include "engine/engine_state.h"
#include "engine/standards.h"
#include "fit_check.h"
#include "platform/virtual/card_catalog.h"
#include "platform/virtual/display_driver.h"
#include "platform/virtual/cards/intel_i740_card.h"
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

struct HighBitsCase {
  uint16_t width, height;
  uint8_t standard;
  bool interlace_allowed;
};

// Rows whose vertical bits 8-11 differ from the driver's 640x480-1600x1200 values in one register
// or more: the field was 27.5, 30.5, 35.6, 82.6 or 84.9 Hz, or a position lay past the total,
// while CR30-CR33 kept the driver's bits.
constexpr HighBitsCase kHighBits[] = {
    {640, 480, vsPAL, false},   {640, 480, vsNTSC, false}, {640, 480, vs24kHz, true},
    {800, 600, vsPAL, false},   {800, 600, vs24kHz, true}, {1024, 768, vsPAL, true},
    {720, 400, vsPAL, true},    {720, 400, vsNTSC, false}, {320, 200, vsPAL, true},
    {1600, 1200, vsNTSC, true},
};

TEST(FitTable, IntelI740RowsWithOtherHighVerticalBitsFit) {
  for (const HighBitsCase& m : kHighBits) {
    const FitCase c{"intel-i740", m.width, m.height, m.standard, m.interlace_allowed, F, 0, false};
    SCOPED_TRACE(Describe(c));
    scope::ScopeReport report;
    ASSERT_TRUE(RunFitCase(c.card, c.width, c.height, c.standard, c.interlace_allowed, report));
    const virt::Signal& s = report.signal;  // what the program leaves after its field check
    const Target target = TargetOf(c.standard);
    EXPECT_TRUE(report.fitted);
    EXPECT_TRUE(report.messages.empty());
    EXPECT_LT(Deviation(s.line_rate_hz, target.line_hz), 0.01) << s.line_rate_hz;
    EXPECT_LT(Deviation(s.field_rate_hz, target.field_hz), 0.01) << s.field_rate_hz;
    EXPECT_TRUE(s.contradictions.empty()) << s.contradictions.front();
  }
}

// With the extended CRTC off, CR07 is in charge and CR30-CR33 do nothing: the engine leaves them
// as the driver set them, and a progressive switch fits as on a plain VGA (the chip's interlace,
// CR70, is an extended register too).
TEST(FitTable, IntelI740WithoutTheExtendedCrtcKeepsCr30ToCr33) {
  constexpr HighBitsCase kProgressive[] = {
      {640, 480, vsPAL, false},
      {640, 480, vsNTSC, false},
      {800, 600, vsPAL, false},
      {720, 400, vsNTSC, false},
  };
  for (const HighBitsCase& m : kProgressive) {
    SCOPED_TRACE(std::to_string(m.width) + "x" + std::to_string(m.height) + " standard " +
                 std::to_string(m.standard) + (m.interlace_allowed ? "" : " no interlace"));
    virt::VirtualPc pc(virt::MakeCard("intel-i740"));
    ASSERT_TRUE(virt::SetDesktopMode(pc.card(), m.width, m.height));
    const auto& card = static_cast<const virt::IntelI740Card&>(pc.card());
    pc.OutByte(0x3D6, 0x09);
    pc.OutByte(0x3D7, static_cast<uint8_t>(card.xr(0x09) & ~0x01));
    ASSERT_FALSE(card.extended_crtc());
    uint8_t before[4];
    for (uint8_t i = 0; i < 4; ++i)
      before[i] = pc.card().Stored(virt::RegFile::kCrtc, static_cast<uint8_t>(0x30 + i));

    ApplyStandardAs(pc, pc.card().family(), pc.card().model(), m.standard, m.interlace_allowed);

    for (uint8_t i = 0; i < 4; ++i) {
      EXPECT_EQ(pc.card().Stored(virt::RegFile::kCrtc, static_cast<uint8_t>(0x30 + i)), before[i])
          << "CR3" << int{i};
    }
    const virt::Signal& s = pc.card().signal();
    const Target target = TargetOf(m.standard);
    EXPECT_LT(Deviation(s.field_rate_hz, target.field_hz), 0.01) << s.field_rate_hz;
    EXPECT_TRUE(s.contradictions.empty()) << s.contradictions.front();
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
