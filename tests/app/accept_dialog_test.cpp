// The keep-settings dialog: its countdown and how each way of closing it answers.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/accept_dialog.h"
#include "app/texts.h"
#include "engine/chip_codes.h"
#include "shell_checks.h"

namespace zanvo::testing::shell {
namespace {

using app::TAcceptDlg;

std::string Reverting(int seconds) {
  return "Reverting in " + std::to_string(seconds) + " seconds.";
}

TEST(AcceptDialog, OpensCountingFromFifteenWithNoFocused) {
  TAcceptDlg dialog;
  EXPECT_EQ(dialog.caption, app::texts::kAcceptCaption);
  EXPECT_EQ(dialog.RevertCountdown, 15);
  EXPECT_EQ(dialog.lblRevert.caption, Reverting(15));
  EXPECT_TRUE(dialog.timer.enabled);
  EXPECT_EQ(dialog.timer.interval_ms, 1000);
  EXPECT_EQ(dialog.infoIconId, 32514) << "IDI_QUESTION";
  EXPECT_EQ(dialog.btnCancel.caption, app::texts::kAcceptNo);
  EXPECT_LT(dialog.btnCancel.tab_order, dialog.btnOk.tab_order) << "No has the focus";
  EXPECT_EQ(dialog.modal_result(), toolkit::mrNone);
}

TEST(AcceptDialog, WithoutAnswerCountsDownAndRefusesAfterFifteenSeconds) {
  TAcceptDlg dialog;
  std::vector<std::string> labels;
  for (int tick = 1; tick <= 15; ++tick) {
    EXPECT_EQ(dialog.modal_result(), toolkit::mrNone) << "closed early, before tick " << tick;
    dialog.timer.Tick();
    labels.push_back(dialog.lblRevert.caption);
  }
  std::vector<std::string> expected;
  for (int s = 14; s >= 0; --s)
    expected.push_back(Reverting(s));
  EXPECT_EQ(labels, expected);
  EXPECT_EQ(dialog.modal_result(), toolkit::mrCancel);
  EXPECT_FALSE(dialog.timer.enabled);
  dialog.timer.Tick();  // a late tick changes nothing
  EXPECT_EQ(dialog.RevertCountdown, 0);
  EXPECT_EQ(dialog.lblRevert.caption, Reverting(0));
}

TEST(AcceptDialog, EveryWayOfClosingAnswers) {
  struct Case {
    const char* name;
    ScriptedModalRunner::Script script;
    int result;
  };
  const Case cases[] = {
      {"Yes", AnswerYes, toolkit::mrOk},
      {"No", AnswerNo, toolkit::mrCancel},
      {"Enter", PressEnter, toolkit::mrCancel},
      {"Esc", PressEsc, toolkit::mrCancel},
      {"close box", PressCloseBox, toolkit::mrCancel},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TAcceptDlg dialog;
    dialog.timer.Tick();
    dialog.timer.Tick();
    ScriptedModalRunner runner;
    runner.scripts.push_back(c.script);
    EXPECT_EQ(runner.ShowModal(dialog), c.result);
    EXPECT_FALSE(dialog.timer.enabled) << "the timer stops however the dialog closes";
    const uint16_t left = dialog.RevertCountdown;
    dialog.timer.Tick();
    EXPECT_EQ(dialog.RevertCountdown, left);
    EXPECT_EQ(dialog.modal_result(), c.result);
  }
}

TEST(AcceptDialog, ANewDialogStartsAgainAtFifteen) {
  {
    TAcceptDlg first;
    for (int i = 0; i < 6; ++i)
      first.timer.Tick();
    first.btnCancel.Click();
  }
  TAcceptDlg second;
  EXPECT_EQ(second.lblRevert.caption, Reverting(15));
  for (int i = 0; i < 14; ++i)
    second.timer.Tick();
  EXPECT_EQ(second.modal_result(), toolkit::mrNone) << "not earlier than 15 seconds";
  second.timer.Tick();
  EXPECT_EQ(second.modal_result(), toolkit::mrCancel);
}

// In the running program: PAL is chosen and nobody answers; fifteen seconds later the display
// is back on monitor timings and the window shows VGA. A second try counts from 15 again.
TEST(AcceptDialog, UnansweredSwitchRevertsToVgaOnTheCard) {
  Machine m;
  ShellHarness h(m);
  h.Start();
  auto& w = *h.main;
  std::vector<int> ticks_needed;
  auto wait_out = [&](toolkit::Form& f) {
    auto& dialog = dynamic_cast<TAcceptDlg&>(f);
    int ticks = 0;
    while (dialog.modal_result() == toolkit::mrNone && ticks < 100) {
      EXPECT_NEAR(LineKhz(h), kPalKhz, kKhzTolerance) << "PAL is on while the dialog asks";
      dialog.timer.Tick();
      ++ticks;
    }
    ticks_needed.push_back(ticks);
  };
  for (int attempt = 0; attempt < 2; ++attempt) {
    SCOPED_TRACE(attempt);
    h.modal.scripts.push_back(wait_out);
    w.chkModePAL.UserClick();
    EXPECT_EQ(engine::Eng.CurrentStandard, engine::vsVGA);
    EXPECT_TRUE(w.chkModeVGA.checked());
    EXPECT_TRUE(w.VGAMode.checked);
    EXPECT_NEAR(LineKhz(h), kVgaKhz, kKhzTolerance);
  }
  EXPECT_EQ(ticks_needed, (std::vector<int>{15, 15}));
  EXPECT_EQ(h.modal.revert_labels.size(), 2u);
  for (const auto& labels : h.modal.revert_labels)
    EXPECT_EQ(labels.front(), Reverting(15));
}

}  // namespace
}  // namespace zanvo::testing::shell
