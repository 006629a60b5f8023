// The tray icon's mouse messages, the tray menu, and showing and hiding the main window.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/texts.h"
#include "engine/chip_codes.h"
#include "shell_checks.h"

namespace zanvo::testing::shell {
namespace {

using engine::Eng;

// A running copy with its window hidden, as most starts leave it.
void StartHidden(Machine& m, ShellHarness& h) {
  m.registry.SetDword(kKey, "Visible", 0);
  h.Start();
  ASSERT_FALSE(h.main->visible);
}

TEST(TrayWindow, RightButtonPopsTheMenuAtTheCursorWithTheWindowInFront) {
  Machine m;
  ShellHarness h(m);
  StartHidden(m, h);
  h.windows.cursor = {1201, 987};
  h.main->WMTrayIcon(app::kWmRButtonDown);

  EXPECT_EQ(h.main->popup_count, 1);
  EXPECT_EQ(h.main->popup_position.x, 1201);
  EXPECT_EQ(h.main->popup_position.y, 987);
  EXPECT_EQ(h.windows.foreground_calls, 1);
  EXPECT_TRUE(h.windows.show_commands.empty());
  EXPECT_FALSE(h.main->visible) << "the menu comes without the window";
}

TEST(TrayWindow, OtherMouseMessagesDoNothing) {
  const uint32_t messages[] = {0x200 /* move */, 0x201 /* left down */, 0x202 /* left up */,
                               0x205 /* right up */, 0x206 /* right double click */};
  for (uint32_t message : messages) {
    SCOPED_TRACE(::testing::Message() << "message 0x" << std::hex << message);
    Machine m;
    ShellHarness h(m);
    StartHidden(m, h);
    h.main->WMTrayIcon(message);
    EXPECT_EQ(h.main->popup_count, 0);
    EXPECT_EQ(h.windows.foreground_calls, 0);
    EXPECT_TRUE(h.windows.show_commands.empty());
    EXPECT_FALSE(h.main->visible);
  }
}

TEST(TrayWindow, DoubleClickAndOpenShowAHiddenOrMinimisedWindow) {
  struct Case {
    const char* name;
    bool minimised;
    bool from_menu;
  };
  const Case cases[] = {{"hidden, double click", false, false},
                        {"minimised, double click", true, false},
                        {"hidden, Open...", false, true},
                        {"minimised, Open...", true, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Machine m;
    ShellHarness h(m);
    h.Start();  // shown
    auto& w = *h.main;
    if (c.minimised) {
      h.application.OnMinimize();
      ASSERT_TRUE(w.minimized);
    } else {
      int action = 1;
      w.OnClose(action);
      h.windows.show_commands.clear();
    }
    if (c.from_menu) {
      w.WMTrayIcon(app::kWmRButtonDown);
      ASSERT_EQ(w.PopupMenu1[0]->caption, app::texts::kMenuOpen);
      w.PopupMenu1[0]->Click();
    } else {
      w.WMTrayIcon(app::kWmLButtonDblClk);
    }
    EXPECT_TRUE(w.visible);
    EXPECT_FALSE(w.minimized);
    EXPECT_EQ(h.windows.show_commands, std::vector<int>{kSwShowNormal});
    EXPECT_GE(h.windows.foreground_calls, 1);
  }
}

TEST(TrayWindow, CloseBoxOnlyHidesTheWindow) {
  Machine m;
  ShellHarness h(m);
  h.Start();
  ChooseAndKeep(h, h.main->chkModePAL);
  const auto values_before = m.registry.keys[kKey].size();

  int action = 1;  // caHide, as the toolkit proposes
  h.main->OnClose(action);

  EXPECT_EQ(action, 0) << "the form is kept";
  EXPECT_FALSE(h.main->visible);
  EXPECT_EQ(h.windows.show_commands, std::vector<int>{kSwHide});
  EXPECT_FALSE(h.application.terminate_requested());
  EXPECT_EQ(h.tray.icons(), 1);
  EXPECT_EQ(Eng.CurrentStandard, engine::vsPAL);
  EXPECT_NEAR(LineKhz(h), kPalKhz, kKhzTolerance);
  EXPECT_EQ(m.registry.keys[kKey].size(), values_before) << "nothing is stored";
}

TEST(TrayWindow, MenuItemsInOrderDoWhatTheySay) {
  const std::vector<std::string> captions = {app::texts::kMenuOpen,
                                             "-",
                                             app::texts::kMenuVgaMode,
                                             app::texts::kMenuTvMode,
                                             app::texts::kMenuComputedTimings,
                                             "-",
                                             app::texts::kMenuClose,
                                             app::texts::kMenuCloseToVga,
                                             "-",
                                             app::texts::kMenuAbout};
  Machine m;
  ShellHarness h(m);
  StartHidden(m, h);
  auto& w = *h.main;
  ASSERT_EQ(w.PopupMenu1.size(), captions.size());
  for (size_t i = 0; i < captions.size(); ++i) {
    EXPECT_EQ(w.PopupMenu1[i]->caption, captions[i]) << i;
    if (captions[i] == "-") {
      EXPECT_FALSE(w.PopupMenu1[i]->OnClick) << i;
    }
  }

  // PAL chosen earlier; from the tray, with the window hidden, VGA Mode goes back to VGA.
  ChooseAndKeep(h, w.chkModePAL);
  ASSERT_NEAR(LineKhz(h), kPalKhz, kKhzTolerance);
  w.WMTrayIcon(app::kWmRButtonDown);
  w.PopupMenu1[2]->Click();
  EXPECT_NEAR(LineKhz(h), kVgaKhz, kKhzTolerance);
  EXPECT_TRUE(w.VGAMode.checked);
  EXPECT_FALSE(w.TVMode.checked);
  EXPECT_FALSE(w.visible);
  EXPECT_TRUE(h.windows.show_commands.empty());

  // TV Mode brings PAL back (the keep-settings dialog asks), the buttons keep showing VGA.
  h.modal.scripts.push_back(AnswerYes);
  w.PopupMenu1[3]->Click();
  EXPECT_NEAR(LineKhz(h), kPalKhz, kKhzTolerance);
  EXPECT_TRUE(w.chkModeVGA.checked());

  // About shows the about box modally.
  h.modal.scripts.push_back(
      [](toolkit::Form& f) { dynamic_cast<app::TAboutBox&>(f).OKButton.Click(); });
  w.PopupMenu1[9]->Click();
  ASSERT_FALSE(h.modal.shown_captions.empty());
  EXPECT_EQ(h.modal.shown_captions.back(), app::texts::kAboutCaption);
  EXPECT_EQ(h.modal.results.back(), toolkit::mrOk);

  // Close ends the program.
  w.PopupMenu1[6]->Click();
  EXPECT_TRUE(h.application.terminate_requested());
}

// "Computed timings": off, the arcade monitor's 512x384 has no row and is refused; checked, the
// same switch fits, is asked about and kept; unchecked again under it, the switch is made again
// without and refused. The choice is stored with the settings and read back at the next start.
TEST(TrayWindow, ComputedTimingsTakesTheModesTheTablesLackAndIsStored) {
  Machine m;
  {
    ShellHarness h(m, "s3-trio64", 512, 384);
    StartHidden(m, h);
    auto& w = *h.main;
    EXPECT_FALSE(w.ComputedTimings.checked);
    w.chkModeSega.UserClick();
    EXPECT_EQ(Eng.CurrentStandard, engine::vsVGA);
    EXPECT_EQ(h.boxes.Count(app::texts::kModeUnsupported), 1);

    w.ComputedTimings.Click();
    EXPECT_TRUE(w.ComputedTimings.checked);
    ChooseAndKeep(h, w.chkModeSega);
    EXPECT_EQ(Eng.CurrentStandard, engine::vs24kHz);
    EXPECT_NEAR(LineKhz(h), kSegaKhz, kKhzTolerance);
    EXPECT_NEAR(FieldHz(h), 57.53, 0.6);

    w.ComputedTimings.Click();
    EXPECT_EQ(Eng.CurrentStandard, engine::vsVGA);
    EXPECT_EQ(h.boxes.Count(app::texts::kModeUnsupported), 2);

    w.ComputedTimings.Click();
    w.btnCloseClick();
  }
  EXPECT_EQ(StoredDword(m, app::texts::kValueComputedTimings), 1u);
  ShellHarness again(m, "s3-trio64", 512, 384);
  again.Start();
  EXPECT_TRUE(again.main->ComputedTimings.checked);
  EXPECT_EQ(Eng.ComputedTimings, 1);
}

TEST(TrayWindow, AboutBoxIsModalFromThePictureAndTheMenu) {
  Machine m;
  ShellHarness h(m);
  h.Start();
  auto& w = *h.main;
  bool visible_while_shown = false;
  auto answer_ok = [&](toolkit::Form& f) {
    auto& box = dynamic_cast<app::TAboutBox&>(f);
    visible_while_shown = box.visible;
    EXPECT_EQ(box.ProductName.caption, app::texts::kAboutProduct);
    EXPECT_EQ(box.Version.caption, app::texts::kAboutVersion);
    EXPECT_TRUE(box.OKButton.is_default);
    box.OKButton.Click();
  };
  h.modal.scripts.push_back(answer_ok);
  w.picScreen.DoubleClick();
  h.modal.scripts.push_back(answer_ok);
  w.About.Click();
  h.modal.scripts.push_back(PressCloseBox);
  w.About.Click();

  EXPECT_EQ(h.modal.shown_captions, (std::vector<std::string>{"About", "About", "About"}));
  EXPECT_EQ(h.modal.results, (std::vector<int>{toolkit::mrOk, toolkit::mrOk, toolkit::mrCancel}));
  EXPECT_TRUE(visible_while_shown);
  EXPECT_FALSE(w.AboutBox.visible) << "closed afterwards";
}

}  // namespace
}  // namespace zanvo::testing::shell
