// Over every cell of the compatibility matrix: what the card holds after a fitted switch, read
// back with the family's overflow and extension bits, is what the engine computed, and the
// desktop arrives whole. A value its register cannot hold would show here as a difference.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/chip_codes.h"
#include "engine/engine_state.h"
#include "platform/virtual/card_catalog.h"
#include "platform/virtual/display_driver.h"
#include "platform/virtual/signal/picture.h"
#include "scope_options.h"
#include "scope_session.h"

namespace zanvo::scope {
namespace {

using engine::Eng;

// Equal in the low `bits` bits: an end register is compared with that many bits of the counter.
bool SameLowBits(int held, int computed, int bits) {
  const int mask = (1 << bits) - 1;
  return (held & mask) == (computed & mask);
}

TEST(EngineValues, TheCardHoldsWhatTheEngineComputedOnEveryCell) {
  int fitted = 0;
  for (const std::string_view name : virt::CardNames()) {
    const auto card = virt::MakeCard(std::string(name));
    for (const virt::DesktopMode& mode : virt::DesktopModes()) {
      if (!virt::DesktopModeTiming(*card, mode.width, mode.height)) continue;
      for (const uint8_t standard : {engine::vsPAL, engine::vsNTSC, engine::vs24kHz}) {
        for (const bool interlace : {true, false}) {
          ScopeOptions options;
          options.card = std::string(name);
          options.width = mode.width;
          options.height = mode.height;
          options.standard = standard;
          options.no_interlace = !interlace;
          options.measure_field = false;
          options.dump_registers = false;
          ScopeReport report;
          std::string error;
          ASSERT_TRUE(RunScope(options, report, error)) << error;
          if (!report.fitted) continue;
          ++fitted;
          SCOPED_TRACE(options.card + " " + std::to_string(mode.width) + "x" +
                       std::to_string(mode.height) + " standard " + std::to_string(standard) +
                       (interlace ? "" : " ni"));
          const virt::CrtcTiming& t = report.applied.crtc;
          // The block CRTC counts its totals as value + 1, and the engine writes the line's
          // character count and the field's total plus one there: a line one character and a
          // field two lines longer than computed, as docs/chips.md records (ATI).
          const int block = report.family == engine::cfATI ? 1 : 0;
          EXPECT_EQ(t.h_total, Eng.HTotalReg + 5 + block);
          EXPECT_EQ(t.h_sync_start, Eng.HSyncStartReg);
          EXPECT_TRUE(SameLowBits(t.h_sync_end, Eng.HSyncEndReg, t.h_sync_end_bits))
              << t.h_sync_end << " " << int{Eng.HSyncEndReg};
          EXPECT_EQ(t.v_total, Eng.VTotalReg + 2 + 2 * block);
          EXPECT_EQ(t.v_display, Eng.VDispEndReg + 1);
          EXPECT_EQ(t.v_sync_start, Eng.VSyncStartReg);
          EXPECT_TRUE(SameLowBits(t.v_sync_end, Eng.VSyncEndReg, t.v_sync_end_bits))
              << t.v_sync_end << " " << Eng.VSyncEndReg;
          if (report.family != engine::cfATI) {  // the block CRTC blanks outside the display
            EXPECT_EQ(t.h_display, Eng.HDispEndReg + 1);
            EXPECT_EQ(t.h_blank_start, Eng.HBlankStartReg);
            EXPECT_TRUE(SameLowBits(t.h_blank_end, Eng.HBlankEndReg, t.h_blank_end_bits))
                << t.h_blank_end << " " << int{Eng.HBlankEndReg};
            EXPECT_EQ(t.v_blank_start, Eng.VBlankStartReg);
            EXPECT_TRUE(SameLowBits(t.v_blank_end, Eng.VBlankEndReg, t.v_blank_end_bits))
                << t.v_blank_end << " " << Eng.VBlankEndReg;
          }
          // The offset: the stride the fit needs, which the picture's verdict follows.
          const virt::PictureVerdict picture =
              virt::JudgePicture(report.applied, virt::DesktopOf(report.monitor));
          EXPECT_TRUE(picture.whole) << picture.reason;
        }
      }
    }
  }
  EXPECT_GT(fitted, 0);
}

}  // namespace
}  // namespace zanvo::scope
