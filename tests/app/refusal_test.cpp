// Switches the engine cannot fit, in either step, or that measure wrong: the user is told,
// nothing is asked, and the card ends exactly as a fresh application of the standard in force
// leaves it (the driver's monitor timings for VGA), also when that standard holds only on the
// row's own clock. Only a kept standard is ever stored.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "app/texts.h"
#include "engine/chip_codes.h"
#include "engine/engine_state.h"
#include "shell_checks.h"
#include "tv_scenario.h"

namespace zanvo::testing::tv {
namespace {

using engine::Eng;

// The card as a fresh application of `standard` leaves it on this mode: a new machine with the
// same card and desktop, the standard chosen and kept (nothing for VGA).
virt::Signal FreshSignal(const char* card, uint8_t family, uint16_t model, uint16_t width,
                         uint16_t height, uint8_t standard) {
  StartedShell fresh(card, width, height, family, model);
  if (standard == engine::vsPAL) Keep(fresh, &app::TMain::chkModePAL);
  if (standard == engine::vsNTSC) Keep(fresh, &app::TMain::chkModeNTSC);
  EXPECT_EQ(Eng.CurrentStandard, standard) << "the reference did not take the standard";
  return SignalOf(fresh.shell);
}

// The timing registers of the CRTC (CR11's write-protect bit aside, which the unlock opens).
std::string TimingRegisters(ShellHarness& shell) {
  std::string text;
  for (int i = 0; i <= 0x18; ++i) {
    uint8_t value = shell.pc.card().Peek(virt::RegFile::kCrtc, static_cast<uint8_t>(i));
    if (i == 0x11) value &= 0x7F;
    text += std::to_string(value) + " ";
  }
  return text + "misc " + std::to_string(shell.pc.card().PeekMisc());
}

TEST(Refusal, AnUnfittedSwitchEndsOnTheStandardInForceWithoutAQuestion) {
  struct Case {
    const char* name;
    uint16_t width, height;
    std::function<void(StartedShell&)> arrange;
    std::function<void(StartedShell&)> act;
    uint8_t standard_after;
    int resets;  // display-mode re-sets the action caused, the refusal's own included
    uint16_t fresh_width, fresh_height;
    const char* card = "s3-trio64";
    uint8_t family = engine::cfS3;
    uint16_t model = engine::kModelS3Trio64;
  };
  const auto none = [](StartedShell&) {};
  const Case cases[] = {
      // 600 lines halved by interlace are still more than NTSC's 263: skipped to 150, no row.
      {"NTSC with interlace chosen in VGA at 800x600", 800, 600, none,
       [](StartedShell& pc) { Keep(pc, &app::TMain::chkModeNTSC); }, engine::vsVGA, 2, 800, 600},
      {"NTSC with interlace chosen in PAL at 800x600", 800, 600,
       [](StartedShell& pc) { Keep(pc, &app::TMain::chkModePAL); },
       [](StartedShell& pc) { Keep(pc, &app::TMain::chkModeNTSC); }, engine::vsPAL, 2, 800, 600},
      {"interlace allowed again under NTSC at 800x600", 800, 600,
       [](StartedShell& pc) {
         pc.w().chkNoInterlace.UserClick();
         Keep(pc, &app::TMain::chkModeNTSC);
         ASSERT_EQ(Eng.CurrentStandard, engine::vsNTSC);
       },
       // What was refused is the kept NTSC itself: it cannot come back as kept, VGA follows at
       // once with the option left as changed (the option's re-set and VGA's).
       [](StartedShell& pc) { pc.w().chkNoInterlace.UserClick(); }, engine::vsVGA, 2, 800, 600},
      {"resolution changed to 800x600 under NTSC", 640, 480,
       [](StartedShell& pc) { Keep(pc, &app::TMain::chkModeNTSC); },
       [](StartedShell& pc) { ASSERT_TRUE(pc.shell.display.ChangeResolution(800, 600)); },
       engine::vsVGA, 1, 800, 600},
      // A width without a row is refused before anything is written: no extra re-set.
      {"24 kHz chosen in VGA at 512x384", 512, 384, none,
       [](StartedShell& pc) { Keep(pc, &app::TMain::chkModeSega); }, engine::vsVGA, 1, 512, 384},
      {"24 kHz chosen in PAL at 512x384", 512, 384,
       [](StartedShell& pc) { Keep(pc, &app::TMain::chkModePAL); },
       [](StartedShell& pc) { Keep(pc, &app::TMain::chkModeSega); }, engine::vsPAL, 1, 512, 384},
      // PAL holds on the ET4000 at 800x600 only on the row's own clock; NTSC is refused after
      // its line timings. PAL comes back the way it came: the refusal's re-set, Generic tried on
      // a re-set of its own, then the own clock on another.
      {"NTSC refused in PAL kept on the own clock, ET4000 at 800x600", 800, 600,
       [](StartedShell& pc) { Keep(pc, &app::TMain::chkModePAL); },
       [](StartedShell& pc) { Keep(pc, &app::TMain::chkModeNTSC); }, engine::vsPAL, 4, 800, 600,
       "tseng-et4000", engine::cfTseng, engine::kModelTseng4000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const virt::Signal fresh =
        FreshSignal(c.card, c.family, c.model, c.fresh_width, c.fresh_height, c.standard_after);
    StartedShell pc(c.card, c.width, c.height, c.family, c.model);
    c.arrange(pc);
    const size_t dialogs = pc.shell.modal.results.size();
    pc.shell.boxes.shown.clear();
    const int resets = pc.shell.display.resets;
    c.act(pc);

    EXPECT_EQ(pc.shell.boxes.Count(app::texts::kModeUnsupported), 1);
    EXPECT_EQ(pc.shell.modal.results.size(), dialogs) << "nothing kept, nothing asked";
    EXPECT_EQ(Eng.CurrentStandard, c.standard_after);
    EXPECT_TRUE(Eng.CurrentStandard == engine::vsVGA ? pc.w().chkModeVGA.checked()
                                                     : pc.w().TVMode.checked);
    const virt::Signal now = SignalOf(pc.shell);
    EXPECT_TRUE(now.crtc == fresh.crtc)
        << now.line_rate_hz << " Hz / " << now.field_rate_hz << " Hz against " << fresh.line_rate_hz
        << " Hz / " << fresh.field_rate_hz << " Hz";
    EXPECT_DOUBLE_EQ(now.field_rate_hz, fresh.field_rate_hz);
    EXPECT_EQ(now.display_lines_per_field, fresh.display_lines_per_field);
    EXPECT_EQ(pc.shell.display.resets - resets, c.resets);
  }
}

TEST(Refusal, RefusedRunsRewriteTheRegistersOfAFreshApplication) {
  // From PAL, NTSC at 800x600 is refused after its line timings were written: the registers
  // must be PAL's as a fresh switch to PAL writes them, not PAL over a half-switched mode.
  StartedShell reference("s3-trio64", 800, 600);
  Keep(reference, &app::TMain::chkModePAL);
  const std::string expected = TimingRegisters(reference.shell);

  StartedShell pc("s3-trio64", 800, 600);
  Keep(pc, &app::TMain::chkModePAL);
  const int resets = pc.shell.display.resets;
  Keep(pc, &app::TMain::chkModeNTSC);
  EXPECT_EQ(Eng.CurrentStandard, engine::vsPAL);
  EXPECT_EQ(TimingRegisters(pc.shell), expected);
  // The switch's re-set and the one that undoes the half-programmed mode.
  EXPECT_EQ(pc.shell.display.resets - resets, 2);
}

TEST(Refusal, NoInterlaceFitsNtscAt800x600) {
  StartedShell pc("s3-trio64", 800, 600);
  pc.w().chkNoInterlace.UserClick();
  Keep(pc, &app::TMain::chkModeNTSC);
  EXPECT_EQ(pc.shell.boxes.Count(app::texts::kModeUnsupported), 0);
  EXPECT_EQ(Eng.CurrentStandard, engine::vsNTSC);
  const virt::Signal s = SignalOf(pc.shell);
  ExpectRates(s, kNtscLineKhz, kNtscFieldHz, "NTSC without interlace");
  EXPECT_EQ(s.display_lines_per_field, 257);
  EXPECT_FALSE(s.interlaced);
}

TEST(Refusal, AStoredStandardThatCannotFitStartsInVga) {
  Machine machine;
  StoreChipset(machine, engine::cfS3, engine::kModelS3Trio64);
  machine.registry.SetText(app::texts::kRegistryKey, app::texts::kValueVideoStandard,
                           app::texts::kStandardNtsc);
  ShellHarness shell(machine, "s3-trio64", 800, 600);
  shell.Start();
  EXPECT_EQ(shell.boxes.Count(app::texts::kModeUnsupported), 1);
  EXPECT_EQ(Eng.CurrentStandard, engine::vsVGA);
  EXPECT_TRUE(shell.main->chkModeVGA.checked());
  const virt::Signal s = SignalOf(shell);
  EXPECT_TRUE(
      s.crtc ==
      FreshSignal("s3-trio64", engine::cfS3, engine::kModelS3Trio64, 800, 600, engine::vsVGA).crtc);
}

// The session ends while a switch to PAL waits for its answer; the next start must not put an
// unconfirmed TV standard on screen without a question.
TEST(Refusal, OnlyAKeptStandardIsStoredWhenTheSessionEnds) {
  struct Case {
    const char* name;
    bool during_confirmation;  // else during the keep-settings countdown
    bool ntsc_kept_before;
    const char* stored;
  };
  const Case cases[] = {
      {"during the countdown, from VGA", false, false, app::texts::kStandardVga},
      {"during Display Properties, from VGA", true, false, app::texts::kStandardVga},
      {"during the countdown, from NTSC", false, true, app::texts::kStandardNtsc},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Machine machine;
    StoreChipset(machine, engine::cfS3, engine::kModelS3Trio64);
    {
      ShellHarness shell(machine);
      shell.Start();
      auto& w = *shell.main;
      if (c.ntsc_kept_before) {
        shell.modal.scripts.push_back(AnswerYes);
        w.chkModeNTSC.UserClick();
      }
      if (c.during_confirmation) {
        shell.boxes.while_confirming = [&w] { w.StoreSettingsAtSessionEnd(); };
      } else {
        shell.modal.scripts.push_back([&w](toolkit::Form&) { w.StoreSettingsAtSessionEnd(); });
      }
      w.chkModePAL.UserClick();
      ASSERT_EQ(shell::StoredText(machine, app::texts::kValueVideoStandard),
                std::optional<std::string>(c.stored));
    }
    // The next start applies what was stored, and asks nothing.
    ShellHarness again(machine);
    again.Start();
    EXPECT_EQ(Eng.CurrentStandard, c.ntsc_kept_before ? engine::vsNTSC : engine::vsVGA);
    EXPECT_TRUE(again.modal.results.empty());
    again.Stop();
  }
}

}  // namespace
}  // namespace zanvo::testing::tv
