// The last try after a measured miss: the row's own clock on a re-set mode. What it reports is
// what the switch keeps or refuses, and what zanvo-scope's JSON prints for it.

#include <gtest/gtest.h>

#include <string>

#include "chipset/own_clock_retry.h"
#include "engine/engine_port.h"
#include "engine/engine_state.h"
#include "engine/standards.h"
#include "platform/virtual/card_catalog.h"
#include "platform/virtual/display_driver.h"
#include "platform/virtual/virtual_pc.h"

namespace zanvo::chipset {
namespace {

using engine::Eng;

TEST(OwnClockRetry, ReportsOnlyWhatTheTryReached) {
  struct Case {
    uint8_t standard;
    uint16_t width, height;  // the mode the re-set leaves
    bool fitted, measured, passed;
  };
  // 640x480 PAL fits and measures right on the row's own clock; the 24 kHz tables have no row
  // 512 pixels wide, so that try stops before any check: not measured, not passed.
  const Case cases[] = {
      {engine::vsPAL, 640, 480, true, true, true},
      {engine::vs24kHz, 512, 384, false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
    virt::VirtualPc pc(virt::MakeCard("s3-trio64"));
    Eng = engine::EngineState{};
    engine::BindPort(pc);
    Eng.ChipFamily = pc.card().family();
    Eng.ChipModel = pc.card().model();
    Eng.InterlaceEnabled = 1;
    engine::SetStandard(c.standard);
    engine::LoadStandardTables(c.standard);

    const OwnClockTry t = RetryWithOwnClock(
        [&] { ASSERT_TRUE(virt::SetDesktopMode(pc.card(), c.width, c.height)); });
    EXPECT_EQ(t.fitted, c.fitted);
    EXPECT_EQ(t.measured, c.measured);
    EXPECT_EQ(t.passed, c.passed);
    if (!c.fitted) {
      EXPECT_EQ(t.field_hz, 0);
    }
  }
}

}  // namespace
}  // namespace zanvo::chipset
