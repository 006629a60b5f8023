// Detection leaves no trace in the next mode set: on every virtual card, detecting twice (the
// second run finds the locks the first one opened) and then letting the display driver set a
// desktop mode gives the same monitor timing as that mode set on a card fresh from power-on.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "chipset/detection.h"
#include "engine/engine_state.h"
#include "pci_test_util.h"
#include "platform/virtual/signal/signal.h"
#include "platform/virtual/card_catalog.h"
#include "platform/virtual/display_driver.h"
#include "platform/virtual/virtual_pc.h"

namespace zanvo::test {
namespace {

struct Size {
  uint16_t width;
  uint16_t height;
};

struct ModeChange {
  Size desktop;  // in force when the user detects
  Size next;     // what the display settings change to afterwards
};

using DetectThenModeSet = EngineOnPc;

TEST_F(DetectThenModeSet, GivesTheTimingOfAFreshCard) {
  const ModeChange changes[] = {
      {{1024, 768}, {320, 200}},  {{1600, 1200}, {320, 200}}, {{1024, 768}, {640, 480}},
      {{640, 480}, {720, 400}},   {{640, 480}, {800, 600}},   {{800, 600}, {1024, 768}},
      {{1024, 768}, {640, 400}},
  };
  int compared = 0;
  for (const std::string_view name : virt::CardNames()) {
    for (const ModeChange& change : changes) {
      const std::string label = std::string(name) + " " + std::to_string(change.desktop.width) +
                                "x" + std::to_string(change.desktop.height) + " -> " +
                                std::to_string(change.next.width) + "x" +
                                std::to_string(change.next.height);
      SCOPED_TRACE(label);
      virt::VirtualPc fresh(virt::MakeCard(name));
      if (!virt::SetDesktopMode(fresh.card(), change.next.width, change.next.height)) continue;

      engine::Eng = engine::EngineState{};
      Bind(std::make_unique<virt::VirtualPc>(virt::MakeCard(name)));
      if (!virt::SetDesktopMode(pc().card(), change.desktop.width, change.desktop.height)) continue;
      chipset::DetectChipset();
      chipset::DetectChipset();
      ASSERT_TRUE(virt::SetDesktopMode(pc().card(), change.next.width, change.next.height));

      const virt::Signal want = virt::AnalyzeSignal(fresh.card());
      const virt::Signal got = virt::AnalyzeSignal(pc().card());
      EXPECT_TRUE(got.crtc == want.crtc)
          << "clock " << got.crtc.clock_hz << " Hz (select " << got.crtc.clock_select
          << "), fresh " << want.crtc.clock_hz << " Hz (select " << want.crtc.clock_select
          << "); " << got.line_rate_hz << " Hz / " << got.field_rate_hz << " Hz, fresh "
          << want.line_rate_hz << " Hz / " << want.field_rate_hz << " Hz";
      ++compared;
    }
  }
  // Every card offers 640x480, so each one was compared at least once.
  EXPECT_GE(compared, static_cast<int>(virt::CardNames().size()));
}

}  // namespace
}  // namespace zanvo::test
