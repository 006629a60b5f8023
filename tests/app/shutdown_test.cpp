// The close commands: what the display shows after the program has ended and what is stored.

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "app/texts.h"
#include "engine/chip_codes.h"
#include "shell_checks.h"

namespace zanvo::testing::shell {
namespace {

using engine::Eng;

enum class Before { kVga, kPal, kSega, kPalFromTray };
enum class Command { kUnload, kClose, kCloseToVga };

const char* CommandName(Command c) {
  switch (c) {
    case Command::kUnload:
      return "Unload";
    case Command::kClose:
      return "Close";
    case Command::kCloseToVga:
      return "Close to VGA";
  }
  return "?";
}

void Arrange(ShellHarness& h, Before before) {
  auto& w = *h.main;
  switch (before) {
    case Before::kVga:
      break;
    case Before::kPal:
      ChooseAndKeep(h, w.chkModePAL);
      break;
    case Before::kSega:
      ChooseAndKeep(h, w.chkModeSega);
      break;
    case Before::kPalFromTray:
      // PAL once, back to VGA, then PAL again from the tray: the buttons show VGA.
      ChooseAndKeep(h, w.chkModePAL);
      w.VGAMode.Click();
      h.modal.scripts.push_back(AnswerYes);
      w.TVMode.Click();
      break;
  }
}

void RunCommand(ShellHarness& h, Command command) {
  switch (command) {
    case Command::kUnload:
      h.main->btnClose.Click();
      break;
    case Command::kClose:
      h.main->Close.Click();
      break;
    case Command::kCloseToVga:
      h.main->ClosetoVGA.Click();
      break;
  }
}

TEST(Shutdown, CloseCommandsLeaveTheDisplayAndStoreTheStandard) {
  struct Case {
    Before before;
    bool exit_vga;
    Command command;
    bool window_visible;
    double line_khz_after;  // what the card sends once the program has ended
    const char* stored;     // VideoStandard
    bool display_reset;     // the command re-set the display mode
  };
  const Case cases[] = {
      {Before::kPal, true, Command::kUnload, true, kVgaKhz, "PAL", true},
      {Before::kPal, true, Command::kClose, false, kVgaKhz, "PAL", true},
      {Before::kPal, false, Command::kUnload, true, kPalKhz, "PAL", false},
      {Before::kPal, false, Command::kClose, false, kPalKhz, "PAL", false},
      {Before::kPal, true, Command::kCloseToVga, false, kVgaKhz, "VGA", true},
      {Before::kPal, false, Command::kCloseToVga, true, kVgaKhz, "VGA", true},
      {Before::kSega, true, Command::kUnload, true, kVgaKhz, "VGA", true},
      {Before::kSega, false, Command::kClose, false, kSegaKhz, "VGA", false},
      {Before::kSega, false, Command::kCloseToVga, false, kVgaKhz, "VGA", true},
      {Before::kVga, true, Command::kUnload, true, kVgaKhz, "VGA", false},
      {Before::kVga, false, Command::kClose, false, kVgaKhz, "VGA", false},
      {Before::kVga, true, Command::kCloseToVga, false, kVgaKhz, "VGA", false},
      {Before::kPalFromTray, false, Command::kUnload, true, kPalKhz, "VGA", false},
      {Before::kPalFromTray, true, Command::kClose, false, kVgaKhz, "VGA", true},
      {Before::kPalFromTray, false, Command::kCloseToVga, false, kVgaKhz, "VGA", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message()
                 << "before " << static_cast<int>(c.before) << ", ExitToVGA " << c.exit_vga << ", "
                 << CommandName(c.command) << ", visible " << c.window_visible);
    Machine m;
    ShellHarness h(m);
    h.Start();
    auto& w = *h.main;
    Arrange(h, c.before);
    w.chkExitVGA.SetChecked(c.exit_vga);
    if (!c.window_visible) {
      int action = 1;
      w.OnClose(action);
    }
    const int resets = h.display.resets;

    RunCommand(h, c.command);
    h.Stop();

    EXPECT_TRUE(h.application.terminate_requested());
    EXPECT_NEAR(LineKhz(h), c.line_khz_after, kKhzTolerance);
    EXPECT_EQ(h.display.resets > resets, c.display_reset);
    EXPECT_EQ(StoredDword(m, "SaveChanges"), 1u);
    EXPECT_EQ(StoredText(m, "VideoStandard"), c.stored);
    EXPECT_EQ(StoredDword(m, "ExitToVGA"), c.exit_vga ? 1u : 0u);
    EXPECT_EQ(StoredDword(m, "Visible"), c.window_visible ? 1u : 0u);
    EXPECT_TRUE(h.boxes.Count(app::texts::kSettingsNotSaved) == 0);
    EXPECT_EQ(h.tray.icons(), 0);
    EXPECT_EQ(h.port_access.shutdowns, 1);
  }
}

TEST(Shutdown, WithoutSaveChangesOnlyThatIsWritten) {
  for (Command command : {Command::kUnload, Command::kClose, Command::kCloseToVga}) {
    SCOPED_TRACE(CommandName(command));
    Machine m;
    // What the previous save left.
    m.registry.SetDword(kKey, "Polarity", 0xF3);
    m.registry.SetText(kKey, "VideoStandard", "NTSC");
    m.registry.SetDword(kKey, "Visible", 0);
    ShellHarness h(m);
    h.Start();
    ChooseAndKeep(h, h.main->chkModePAL);
    h.main->chkISP.UserClick();
    h.modal.scripts.push_back(AnswerYes);  // keep the changed polarity
    h.main->chkSaveExit.SetChecked(false);
    RunCommand(h, command);

    EXPECT_TRUE(h.application.terminate_requested());
    EXPECT_EQ(StoredDword(m, "SaveChanges"), 0u);
    EXPECT_EQ(StoredDword(m, "Polarity"), 0xF3u);
    EXPECT_EQ(StoredText(m, "VideoStandard"), "NTSC");
    EXPECT_EQ(StoredDword(m, "Visible"), 0u);
    EXPECT_FALSE(StoredDword(m, "ExitToVGA"));
    EXPECT_FALSE(StoredDword(m, "Chipset"));
    EXPECT_EQ(m.registry.keys.at(kKey).size(), 4u);
  }
}

TEST(Shutdown, FailingWriteStillEndsTheProgramAndSaysSo) {
  Machine m;
  ShellHarness h(m);
  h.Start();
  ChooseAndKeep(h, h.main->chkModePAL);
  m.registry.fail_writes = true;
  h.main->btnClose.Click();

  EXPECT_TRUE(h.application.terminate_requested());
  ASSERT_EQ(h.boxes.Count(app::texts::kSettingsNotSaved), 1);
  EXPECT_EQ(h.boxes.shown.back().kind, MessageKind::kErrorOk);
  EXPECT_NEAR(LineKhz(h), kVgaKhz, kKhzTolerance) << "Exit to VGA still happened";
  EXPECT_FALSE(StoredText(m, "VideoStandard"));
  EXPECT_EQ(m.registry.open_keys, 0);
}

}  // namespace
}  // namespace zanvo::testing::shell
