// The three signal options of the running program: in VGA they only change the engine; under a
// TV standard they re-apply it and ask whether to keep the result.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/chip_codes.h"
#include "engine/engine_state.h"
#include "tv_scenario.h"

namespace zanvo::testing::tv {
namespace {

using engine::Eng;

struct OptionCase {
  const char* name;
  toolkit::CheckBox app::TMain::*box;
  std::function<int()> engine_value;
  int before;
  int after;
  // The property of the PAL signal the option decides.
  std::function<int(const virt::Signal&)> signal_property;
};

std::vector<OptionCase> Options() {
  return {
      {"Positive sync polarity", &app::TMain::chkISP, [] { return int{Eng.SyncPolarityMask}; },
       0x33, 0xF3,
       [](const virt::Signal& s) { return int{s.hsync_positive} * 2 + s.vsync_positive; }},
      {"No interlace", &app::TMain::chkNoInterlace, [] { return int{Eng.InterlaceEnabled}; }, 1, 0,
       [](const virt::Signal& s) { return int{s.interlaced}; }},
      {"Odd/Even VSync size", &app::TMain::chkOEVSyncSz, [] { return int{Eng.OddEvenVSyncSize}; },
       0, 1, [](const virt::Signal& s) { return s.v_sync_end_line - s.v_sync_start_line; }},
  };
}

TEST(Options, InVgaAToggleOnlyChangesTheEngine) {
  for (const OptionCase& c : Options()) {
    SCOPED_TRACE(c.name);
    StartedShell pc;
    toolkit::CheckBox& box = pc.w().*c.box;
    const virt::Signal monitor = SignalOf(pc.shell);
    ASSERT_EQ(c.engine_value(), c.before);

    box.UserClick();
    EXPECT_EQ(c.engine_value(), c.after) << std::hex;
    EXPECT_EQ(pc.shell.display.resets, 0);
    EXPECT_TRUE(pc.shell.modal.results.empty());
    EXPECT_TRUE(pc.shell.boxes.shown.empty());
    const virt::Signal now = SignalOf(pc.shell);
    EXPECT_DOUBLE_EQ(now.line_rate_hz, monitor.line_rate_hz);
    EXPECT_EQ(now.hsync_positive, monitor.hsync_positive);
    EXPECT_EQ(now.interlaced, monitor.interlaced);

    box.UserClick();
    EXPECT_EQ(c.engine_value(), c.before) << "a second click undoes the first";
  }
}

TEST(Options, UnderPalAToggleReappliesAndAsks) {
  struct Answer {
    const char* name;
    ScriptedModalRunner::Script script;
    uint8_t standard_after;
  };
  const Answer answers[] = {
      {"kept", AnswerYes, engine::vsPAL},
      {"refused", AnswerNo, engine::vsVGA},
  };
  for (const OptionCase& c : Options()) {
    for (const Answer& a : answers) {
      SCOPED_TRACE(std::string(c.name) + ", " + a.name);
      StartedShell pc;
      pc.shell.modal.scripts.push_back(AnswerYes);
      pc.w().chkModePAL.UserClick();
      ASSERT_EQ(Eng.CurrentStandard, engine::vsPAL);
      const int pal_property = c.signal_property(SignalOf(pc.shell));
      const int resets = pc.shell.display.resets;

      pc.shell.modal.scripts.push_back(a.script);
      (pc.w().*c.box).UserClick();

      EXPECT_EQ(c.engine_value(), c.after) << "the option stays changed either way";
      ASSERT_EQ(pc.shell.modal.results.size(), 2u) << "the keep-settings dialog asked again";
      EXPECT_EQ(pc.shell.boxes.Count(app::texts::kConfirmText), 1)
          << "an option needs no confirmation";
      EXPECT_EQ(Eng.CurrentStandard, a.standard_after);
      const virt::Signal s = SignalOf(pc.shell);
      if (a.standard_after == engine::vsPAL) {
        EXPECT_EQ(pc.shell.display.resets, resets + 1);
        ExpectRates(s, kPalLineKhz, kPalFieldHz, "option kept");
        EXPECT_NE(c.signal_property(s), pal_property) << "the option reached the signal";
      } else {
        EXPECT_EQ(pc.shell.display.resets, resets + 2);
        ExpectRates(s, kVgaLineKhz, kVgaFieldHz, "option refused");
        EXPECT_TRUE(pc.w().chkModeVGA.checked());
      }
    }
  }
}

}  // namespace
}  // namespace zanvo::testing::tv
