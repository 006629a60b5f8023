// Switching between VGA and the TV standards in the running program, on an S3 Trio64 at
// 640x480: what the window and the tray menu show, what the card sends, what was asked.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "app/texts.h"
#include "engine/chip_codes.h"
#include "engine/engine_state.h"
#include "tv_scenario.h"

namespace zanvo::testing::tv {
namespace {

using engine::Eng;

// What the window shows: which radio button is checked and which menu mark is set.
void ExpectWindowShows(app::TMain& w, uint8_t standard, const std::string& context) {
  EXPECT_EQ(w.chkModeVGA.checked(), standard == engine::vsVGA) << context;
  EXPECT_EQ(w.chkModePAL.checked(), standard == engine::vsPAL) << context;
  EXPECT_EQ(w.chkModeNTSC.checked(), standard == engine::vsNTSC) << context;
  EXPECT_EQ(w.chkModeSega.checked(), standard == engine::vs24kHz) << context;
  EXPECT_EQ(w.VGAMode.checked, standard == engine::vsVGA) << context;
  EXPECT_EQ(w.TVMode.checked, standard != engine::vsVGA) << context;
}

TEST(StandardSwitching, PalConfirmedAndKeptPutsATvSignalOut) {
  StartedShell pc;
  auto& w = pc.w();
  pc.shell.modal.scripts.push_back(AnswerYes);
  w.chkModePAL.UserClick();

  ASSERT_EQ(pc.shell.boxes.shown.size(), 1u);
  EXPECT_EQ(pc.shell.boxes.shown[0].kind, MessageKind::kConfirmOkCancel);
  EXPECT_EQ(pc.shell.boxes.shown[0].caption, app::texts::kConfirmCaption);
  EXPECT_EQ(pc.shell.boxes.shown[0].text, app::texts::kConfirmText);
  ASSERT_EQ(pc.shell.modal.results.size(), 1u) << "one keep-settings dialog";
  EXPECT_EQ(pc.shell.modal.results[0], toolkit::mrOk);

  EXPECT_EQ(Eng.CurrentStandard, engine::vsPAL);
  EXPECT_EQ(Eng.LinesPerField, 313);
  ExpectWindowShows(w, engine::vsPAL, "kept");
  const virt::Signal s = SignalOf(pc.shell);
  ExpectRates(s, kPalLineKhz, kPalFieldHz, "PAL kept");
  EXPECT_TRUE(s.contradictions.empty()) << s.contradictions.front();
  // One mode re-set, announced once; the cursor is shown again.
  EXPECT_EQ(pc.shell.display.resets, 1);
  ASSERT_EQ(pc.shell.display.broadcast_args.size(), 1u);
  EXPECT_EQ(pc.shell.display.broadcast_args[0].first, app::kDisplayChangeWParam);
  EXPECT_EQ(pc.shell.display.broadcast_args[0].second, 0u);
  EXPECT_EQ(pc.shell.display.cursor_level, 0);
}

TEST(StandardSwitching, DecliningTheConfirmationChangesNothing) {
  StartedShell pc;
  auto& w = pc.w();
  pc.shell.boxes.confirm_answers.push_back(kIdCancel);
  w.chkModePAL.UserClick();

  EXPECT_EQ(Eng.CurrentStandard, engine::vsVGA);
  EXPECT_TRUE(pc.shell.modal.results.empty());
  EXPECT_EQ(pc.shell.display.resets, 0);
  ExpectWindowShows(w, engine::vsVGA, "declined");
  ExpectRates(SignalOf(pc.shell), kVgaLineKhz, kVgaFieldHz, "declined");
}

TEST(StandardSwitching, AnythingButYesInTheDialogEndsInVga) {
  int timeout_ticks = -1;
  struct Case {
    const char* name;
    ScriptedModalRunner::Script answer;
  };
  const Case cases[] = {
      {"No", AnswerNo},
      {"Enter", PressEnter},
      {"Esc", PressEsc},
      {"close box", PressCloseBox},
      {"countdown runs out", LetCountdownRunOut(timeout_ticks)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StartedShell pc;
    auto& w = pc.w();
    pc.shell.modal.scripts.push_back(c.answer);
    w.chkModePAL.UserClick();

    ASSERT_EQ(pc.shell.modal.results.size(), 1u);
    EXPECT_EQ(pc.shell.modal.results[0], toolkit::mrCancel);
    EXPECT_EQ(Eng.CurrentStandard, engine::vsVGA);
    ExpectWindowShows(w, engine::vsVGA, c.name);
    ExpectRates(SignalOf(pc.shell), kVgaLineKhz, kVgaFieldHz, c.name);
    // PAL was put on the mode and then taken off by a second re-set.
    EXPECT_EQ(pc.shell.display.resets, 2);
    EXPECT_EQ(pc.shell.display.cursor_level, 0);
  }
  EXPECT_EQ(timeout_ticks, 15) << "the dialog gives up after 15 one-second ticks";
}

TEST(StandardSwitching, NtscToPalDeclinedEndsInVgaNotNtsc) {
  StartedShell pc;
  auto& w = pc.w();
  pc.shell.modal.scripts.push_back(AnswerYes);
  w.chkModeNTSC.UserClick();
  ASSERT_EQ(Eng.CurrentStandard, engine::vsNTSC);
  ExpectRates(SignalOf(pc.shell), kNtscLineKhz, kNtscFieldHz, "NTSC kept");

  pc.shell.modal.scripts.push_back(AnswerNo);
  w.chkModePAL.UserClick();

  EXPECT_EQ(Eng.CurrentStandard, engine::vsVGA);
  ExpectWindowShows(w, engine::vsVGA, "NTSC to PAL, No");
  ExpectRates(SignalOf(pc.shell), kVgaLineKhz, kVgaFieldHz, "NTSC to PAL, No");
}

TEST(StandardSwitching, DecliningTheConfirmationInNtscShowsNtscAgain) {
  StartedShell pc;
  auto& w = pc.w();
  pc.shell.modal.scripts.push_back(AnswerYes);
  w.chkModeNTSC.UserClick();
  const int resets = pc.shell.display.resets;

  pc.shell.boxes.confirm_answers.push_back(kIdCancel);
  w.chkModePAL.UserClick();

  EXPECT_EQ(Eng.CurrentStandard, engine::vsNTSC);
  EXPECT_EQ(pc.shell.display.resets, resets);
  ExpectWindowShows(w, engine::vsNTSC, "the window follows the standard in force");
  ExpectRates(SignalOf(pc.shell), kNtscLineKhz, kNtscFieldHz, "NTSC stays");
}

TEST(StandardSwitching, ResolutionChangeUnderPalIsReappliedWithoutAQuestion) {
  StartedShell pc;
  auto& w = pc.w();
  pc.shell.modal.scripts.push_back(AnswerYes);
  w.chkModePAL.UserClick();
  const size_t boxes = pc.shell.boxes.shown.size();

  ASSERT_TRUE(pc.shell.display.ChangeResolution(800, 600));

  EXPECT_EQ(pc.shell.modal.results.size(), 1u) << "no second keep-settings dialog";
  EXPECT_EQ(pc.shell.boxes.shown.size(), boxes);
  EXPECT_EQ(Eng.CurrentStandard, engine::vsPAL);
  EXPECT_EQ(pc.shell.pc.card().current_mode().width, 800);
  ExpectRates(SignalOf(pc.shell), kPalLineKhz, kPalFieldHz, "PAL at 800x600");
  ExpectWindowShows(w, engine::vsPAL, "PAL at 800x600");
}

// The 24 kHz standard has timing rows for 80, 100 and 106 character columns only, so a
// 512x384 desktop (64 columns) cannot take it, while PAL can.
TEST(StandardSwitching, UnsupportedWidthIsRefusedAndTheStandardInForceRestored) {
  struct Case {
    const char* name;
    std::function<void(StartedShell&)> arrange;  // the state before the refused step
    std::function<void(StartedShell&)> act;
    uint8_t standard_after;
    double line_khz;
    double field_hz;
  };
  auto keep = [](StartedShell& pc, toolkit::RadioButton app::TMain::*button) {
    pc.shell.modal.scripts.push_back(AnswerYes);
    (pc.w().*button).UserClick();
  };
  const virt::Signal monitor = [] {
    StartedShell probe("s3-trio64", 512, 384);
    return SignalOf(probe.shell);
  }();
  const double monitor_khz = monitor.line_rate_hz / 1000.0;
  const double monitor_hz = monitor.field_rate_hz;
  const Case cases[] = {
      {"24 kHz chosen in VGA", [](StartedShell&) {},
       [&](StartedShell& pc) { keep(pc, &app::TMain::chkModeSega); }, engine::vsVGA, monitor_khz,
       monitor_hz},
      {"24 kHz chosen in PAL", [&](StartedShell& pc) { keep(pc, &app::TMain::chkModePAL); },
       [&](StartedShell& pc) { keep(pc, &app::TMain::chkModeSega); }, engine::vsPAL, kPalLineKhz,
       kPalFieldHz},
      {"resolution changed to 512x384 under 24 kHz",
       [&](StartedShell& pc) {
         ASSERT_TRUE(pc.shell.display.ChangeResolution(640, 480));
         keep(pc, &app::TMain::chkModeSega);
         ASSERT_EQ(Eng.CurrentStandard, engine::vs24kHz);
       },
       [](StartedShell& pc) { ASSERT_TRUE(pc.shell.display.ChangeResolution(512, 384)); },
       engine::vsVGA, monitor_khz, monitor_hz},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StartedShell pc("s3-trio64", 512, 384);
    c.arrange(pc);
    const size_t dialogs = pc.shell.modal.results.size();
    pc.shell.boxes.shown.clear();
    c.act(pc);

    EXPECT_EQ(pc.shell.boxes.Count(app::texts::kModeUnsupported), 1);
    ASSERT_FALSE(pc.shell.boxes.shown.empty());
    EXPECT_EQ(pc.shell.boxes.shown.back().kind, MessageKind::kErrorAbort);
    EXPECT_EQ(pc.shell.modal.results.size(), dialogs) << "nothing to keep, nothing asked";
    EXPECT_EQ(Eng.CurrentStandard, c.standard_after);
    ExpectWindowShows(pc.w(), c.standard_after, c.name);
    const virt::Signal s = SignalOf(pc.shell);
    ExpectRates(s, c.line_khz, c.field_hz, c.name);
    EXPECT_EQ(s.display_chars, 64);
    EXPECT_TRUE(s.contradictions.empty());
  }
}

TEST(StandardSwitching, TrayVgaModeAndTvModeSwitchWithoutTheRadioButtons) {
  StartedShell pc;
  auto& w = pc.w();
  w.visible = false;  // the window is hidden, as it usually is
  int focus_moves = 0;
  w.chkModeVGA.focus_hook = [&] { ++focus_moves; };

  // TV Mode before any TV standard was used: the mode is re-set and nothing is asked.
  w.TVMode.Click();
  EXPECT_EQ(Eng.CurrentStandard, engine::vsVGA);
  EXPECT_EQ(pc.shell.display.resets, 1);
  EXPECT_TRUE(pc.shell.modal.results.empty());
  ExpectRates(SignalOf(pc.shell), kVgaLineKhz, kVgaFieldHz, "TV Mode, no TV standard yet");

  pc.shell.modal.scripts.push_back(AnswerYes);
  w.chkModePAL.UserClick();
  ASSERT_EQ(Eng.CurrentStandard, engine::vsPAL);

  w.VGAMode.Click();
  EXPECT_EQ(Eng.CurrentStandard, engine::vsVGA);
  ExpectWindowShows(w, engine::vsVGA, "VGA Mode");
  ExpectRates(SignalOf(pc.shell), kVgaLineKhz, kVgaFieldHz, "VGA Mode");
  EXPECT_EQ(focus_moves, 0) << "no focus change while the window is hidden";

  // TV Mode goes back to PAL through the keep-settings dialog; the window keeps showing VGA.
  pc.shell.modal.scripts.push_back(AnswerYes);
  const int confirmations = pc.shell.boxes.Count(app::texts::kConfirmText);
  w.TVMode.Click();
  EXPECT_EQ(Eng.CurrentStandard, engine::vsPAL);
  EXPECT_EQ(pc.shell.boxes.Count(app::texts::kConfirmText), confirmations);
  ASSERT_EQ(pc.shell.modal.results.size(), 2u);
  ExpectRates(SignalOf(pc.shell), kPalLineKhz, kPalFieldHz, "TV Mode back to PAL");
  EXPECT_TRUE(w.chkModeVGA.checked());
  EXPECT_TRUE(w.VGAMode.checked);

  // VGA Mode with the window shown moves the focus to the VGA button.
  w.visible = true;
  w.VGAMode.Click();
  EXPECT_EQ(Eng.CurrentStandard, engine::vsVGA);
  EXPECT_EQ(focus_moves, 1);
}

TEST(StandardSwitching, SelectingWhatIsAlreadyInForceDoesNothing) {
  struct Case {
    const char* name;
    bool in_pal;
    std::function<void(app::TMain&)> select;
  };
  const Case cases[] = {
      {"VGA button in VGA", false, [](app::TMain& w) { w.chkModeVGA.UserClick(); }},
      {"VGA Mode in VGA", false, [](app::TMain& w) { w.VGAMode.Click(); }},
      {"PAL button in PAL", true, [](app::TMain& w) { w.chkModePAL.UserClick(); }},
      {"TV Mode in PAL", true, [](app::TMain& w) { w.TVMode.Click(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StartedShell pc;
    if (c.in_pal) {
      pc.shell.modal.scripts.push_back(AnswerYes);
      pc.w().chkModePAL.UserClick();
    }
    const uint8_t standard = Eng.CurrentStandard;
    const int resets = pc.shell.display.resets;
    const size_t boxes = pc.shell.boxes.shown.size();
    const size_t dialogs = pc.shell.modal.results.size();
    const double khz = SignalOf(pc.shell).line_rate_hz;

    c.select(pc.w());

    EXPECT_EQ(Eng.CurrentStandard, standard);
    EXPECT_EQ(pc.shell.display.resets, resets);
    EXPECT_EQ(pc.shell.boxes.shown.size(), boxes);
    EXPECT_EQ(pc.shell.modal.results.size(), dialogs);
    EXPECT_DOUBLE_EQ(SignalOf(pc.shell).line_rate_hz, khz);
    ExpectWindowShows(pc.w(), standard, c.name);
  }
}

}  // namespace
}  // namespace zanvo::testing::tv
