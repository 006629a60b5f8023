// The Oak, Realtek, UMC and Western Digital cards with every family code the engine knows,
// right or wrong: the engine's writes go to registers the card may not have, behind keys it may
// not hold. Nothing may hang, and the driver's re-set of the mode must bring the monitor timing
// back whatever was written.

#include <gtest/gtest.h>

#include <string>

#include "engine/chip_codes.h"
#include "fit_check.h"
#include "platform/virtual/card_catalog.h"
#include "platform/virtual/display_driver.h"
#include "platform/virtual/virtual_pc.h"

namespace zanvo::fit {
namespace {

constexpr const char* kCards[] = {"oak-oti077", "oak-oti087", "realtek-rtg3103",
                                  "umc-85c408", "wd-90c00",   "wd-90c30"};
constexpr uint8_t kFamilies[] = {0, 1, 2, 3, 4, 5, 7, 8, 9, 12, 13, 14, 20, 60};
constexpr uint8_t kStandards[] = {engine::vsPAL, engine::vs24kHz};
// One application of a standard takes a few hundred port accesses; a loop that never ends on a
// foreign register would run far past this.
constexpr uint64_t kAccessBound = 20'000;

TEST(ForeignFamily, EveryFamilyCodeOnEachCardEndsAndTheModeResetRestoresTheMonitorTiming) {
  for (const char* name : kCards) {
    for (uint8_t family : kFamilies) {
      for (uint8_t standard : kStandards) {
        SCOPED_TRACE(std::string(name) + " family " + std::to_string(family) + " standard " +
                     std::to_string(standard));
        virt::VirtualPc pc(virt::MakeCard(name));
        ASSERT_TRUE(virt::SetDesktopMode(pc.card(), 800, 600));
        const virt::Signal monitor = virt::AnalyzeSignal(pc.card());

        const uint64_t used = ApplyStandardAs(pc, family, pc.card().model(), standard);

        EXPECT_LT(used, kAccessBound);
        virt::ResetCurrentMode(pc.card());
        const virt::Signal back = virt::AnalyzeSignal(pc.card());
        EXPECT_DOUBLE_EQ(back.pixel_clock_hz, monitor.pixel_clock_hz);
        EXPECT_DOUBLE_EQ(back.line_rate_hz, monitor.line_rate_hz);
        EXPECT_DOUBLE_EQ(back.field_rate_hz, monitor.field_rate_hz);
        EXPECT_EQ(back.display_lines_per_field, monitor.display_lines_per_field);
        EXPECT_EQ(back.interlaced, monitor.interlaced);
        EXPECT_TRUE(back.contradictions.empty()) << back.contradictions.front();
      }
    }
  }
}

}  // namespace
}  // namespace zanvo::fit
