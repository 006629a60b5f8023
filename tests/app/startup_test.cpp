// Start-up of the program on a virtual PC: single instance, port access, tray icon, the stored
// standard and the window's visibility.

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

#include "app/texts.h"
#include "chipset/catalogue.h"
#include "engine/chip_codes.h"
#include "shell_checks.h"

namespace zanvo::testing::shell {
namespace {

using engine::Eng;

TEST(Startup, FirstRunOnAnEmptyMachineCreatesTheKeyAndShowsTheWindowInVga) {
  Machine m;
  ShellHarness h(m);
  const double monitor_khz = LineKhz(h);
  h.Start();
  auto& w = *h.main;

  EXPECT_EQ(m.registry.keys.count(kKey), 1u) << "the key is created";
  EXPECT_EQ(m.registry.open_keys, 0) << "the key is closed again";
  EXPECT_TRUE(w.chkExitVGA.checked());
  EXPECT_TRUE(w.chkSaveExit.checked());
  EXPECT_TRUE(w.chkModeVGA.checked());
  EXPECT_TRUE(w.VGAMode.checked);
  EXPECT_FALSE(w.TVMode.checked);
  EXPECT_TRUE(w.visible);
  EXPECT_FALSE(w.Initialising);
  EXPECT_EQ(Eng.CurrentStandard, engine::vsVGA);
  EXPECT_EQ(h.display.resets, 0) << "no display change at all";
  EXPECT_EQ(h.display.broadcasts, 0);
  EXPECT_NEAR(LineKhz(h), monitor_khz, 0.01);
  EXPECT_NEAR(LineKhz(h), kVgaKhz, kKhzTolerance);
  EXPECT_TRUE(h.boxes.shown.empty());
  EXPECT_FALSE(h.application.terminate_requested());
  EXPECT_EQ(h.port_access.initializations, 1);

  ASSERT_EQ(h.tray.added.size(), 1u);
  const TrayIconData& icon = h.tray.added[0];
  EXPECT_EQ(icon.cbSize, 88u);
  EXPECT_EQ(icon.uID, 1u);
  EXPECT_EQ(icon.uFlags, 7u);
  EXPECT_EQ(icon.uCallbackMessage, 0x40Au);
  EXPECT_EQ(icon.szTip, "ZANVO");

  // The brand list holds the twelve brands in catalogue order, each with its family code.
  const auto brands = chipset::Brands();
  ASSERT_EQ(w.comboChipsets.size(), static_cast<int>(brands.size()));
  for (int i = 0; i < w.comboChipsets.size(); ++i) {
    EXPECT_EQ(w.comboChipsets.item(i).text, brands[static_cast<size_t>(i)].caption) << i;
    EXPECT_EQ(w.comboChipsets.item(i).data, brands[static_cast<size_t>(i)].family) << i;
  }

  // The application's events reach the window.
  ASSERT_TRUE(h.application.OnIdle);
  ASSERT_TRUE(h.application.OnMinimize);
  h.application.OnMinimize();
  EXPECT_TRUE(w.minimized);

  h.Stop();
  EXPECT_EQ(h.tray.icons(), 0);
  ASSERT_EQ(h.tray.removed.size(), 1u);
  EXPECT_EQ(h.tray.removed[0].uFlags, 0u);
  EXPECT_EQ(h.tray.removed[0].uID, 1u);
  EXPECT_EQ(h.port_access.shutdowns, 1);
}

TEST(Startup, StoredStandardIsAppliedWithoutQuestions) {
  struct Case {
    const char* name;
    std::optional<std::string> stored;  // nothing: value missing
    uint8_t standard;
    double line_khz;
    double field_hz;
    int resets;
  };
  const Case cases[] = {
      {"missing", std::nullopt, engine::vsVGA, kVgaKhz, 59.94, 0},
      {"empty", "", engine::vsVGA, kVgaKhz, 59.94, 0},
      {"VGA", "VGA", engine::vsVGA, kVgaKhz, 59.94, 0},
      {"PAL", "PAL", engine::vsPAL, kPalKhz, 50.0, 1},
      {"NTSC", "NTSC", engine::vsNTSC, kNtscKhz, 59.94, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Machine m;
    if (c.stored) m.registry.SetText(kKey, "VideoStandard", *c.stored);
    ShellHarness h(m);
    h.Start();
    auto& w = *h.main;
    const bool tv = c.standard != engine::vsVGA;

    EXPECT_EQ(Eng.CurrentStandard, c.standard);
    EXPECT_EQ(h.display.resets, c.resets);
    EXPECT_TRUE(h.boxes.shown.empty()) << "no confirmation, no error";
    EXPECT_TRUE(h.modal.shown_captions.empty()) << "no keep-settings dialog";
    EXPECT_EQ(w.chkModeVGA.checked(), !tv);
    EXPECT_EQ(w.chkModePAL.checked(), c.standard == engine::vsPAL);
    EXPECT_EQ(w.chkModeNTSC.checked(), c.standard == engine::vsNTSC);
    EXPECT_EQ(w.VGAMode.checked, !tv);
    EXPECT_EQ(w.TVMode.checked, tv);
    EXPECT_NEAR(LineKhz(h), c.line_khz, kKhzTolerance);
    EXPECT_NEAR(FieldHz(h), c.field_hz, 0.5);
    EXPECT_FALSE(w.Initialising);
  }
}

TEST(Startup, ShiftHeldSkipsTheStoredStandardUntilAnotherIsKept) {
  // What the user does in the run started with Shift.
  enum class Then { kNothing, kKeepPal, kPalAnsweredNo, kNtscNotAnswered };
  struct Case {
    const char* name;
    const char* card;
    const char* stored;
    Then then;
    bool close_to_vga;         // ended with the tray's "Close to VGA", else with Unload
    const char* stored_after;  // what is stored then
    uint8_t next_start;        // the standard the next start (no Shift) applies
  };
  const Case cases[] = {
      {"PAL skipped", "s3-trio64", "PAL", Then::kNothing, false, "PAL", engine::vsPAL},
      {"NTSC skipped", "s3-trio64", "NTSC", Then::kNothing, false, "NTSC", engine::vsNTSC},
      {"NTSC skipped, PAL kept", "s3-trio64", "NTSC", Then::kKeepPal, false, "PAL", engine::vsPAL},
      {"NTSC skipped, PAL answered No", "s3-trio64", "NTSC", Then::kPalAnsweredNo, false, "NTSC",
       engine::vsNTSC},
      // The SiS 6326 doubles NTSC's field at 640x480: measured, it holds with the row's own
      // clock, and the question is closed unanswered; the stored PAL stays (and holds at the next
      // start with the own clock too).
      {"PAL skipped, NTSC not answered", "sis-6326", "PAL", Then::kNtscNotAnswered, false, "PAL",
       engine::vsPAL},
      {"PAL skipped, Close to VGA", "s3-trio64", "PAL", Then::kNothing, true, "VGA", engine::vsVGA},
      {"VGA stored", "s3-trio64", "VGA", Then::kNothing, false, "VGA", engine::vsVGA},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Machine m;
    m.registry.SetText(kKey, "VideoStandard", c.stored);
    // Options other than the defaults: they stay stored with the skipped standard.
    m.registry.SetDword(kKey, "Interlaced", 0);
    m.registry.SetDword(kKey, "Polarity", 0xF3);
    if (std::string(c.card) == "sis-6326") m.registry.SetDword(kKey, "Chipset", engine::cfSiS);
    {
      ShellHarness h(m, c.card);
      h.windows.shift_down = true;
      h.Start();
      auto& w = *h.main;

      EXPECT_EQ(Eng.CurrentStandard, engine::vsVGA);
      EXPECT_TRUE(w.chkModeVGA.checked());
      EXPECT_FALSE(w.chkModePAL.checked() || w.chkModeNTSC.checked());
      EXPECT_TRUE(w.VGAMode.checked);
      // Shift puts the monitor timings back once, whatever an earlier copy left (24 kHz kept at
      // its close is stored as VGA).
      EXPECT_EQ(h.display.resets, 1);
      EXPECT_NEAR(LineKhz(h), kVgaKhz, kKhzTolerance);
      EXPECT_TRUE(h.boxes.shown.empty());
      EXPECT_TRUE(h.modal.shown_captions.empty());

      if (c.then == Then::kKeepPal) {
        ChooseAndKeep(h, w.chkModePAL);
        ASSERT_EQ(Eng.CurrentStandard, engine::vsPAL);
      }
      if (c.then == Then::kPalAnsweredNo) {
        h.modal.scripts.push_back(AnswerNo);
        w.chkModePAL.UserClick();
      }
      if (c.then == Then::kNtscNotAnswered) {
        w.chkModeNTSC.UserClick();
        EXPECT_EQ(h.boxes.Count(app::texts::kModeUnsupported), 0);
        EXPECT_EQ(h.modal.shown_captions.size(), 1u) << "the keep question";
      }
      if (c.then != Then::kKeepPal) {
        EXPECT_EQ(Eng.CurrentStandard, engine::vsVGA);
        EXPECT_NEAR(LineKhz(h), kVgaKhz, kKhzTolerance);
      }
      if (c.close_to_vga) {
        w.ClosetoVGA.Click();
      } else {
        w.btnClose.Click();
      }
      h.Stop();
    }
    EXPECT_EQ(StoredText(m, "VideoStandard"), std::optional<std::string>(c.stored_after));
    if (c.then != Then::kKeepPal) {
      EXPECT_EQ(StoredDword(m, "Interlaced"), 0u);
      EXPECT_EQ(StoredDword(m, "Polarity"), 0xF3u);
    }

    ShellHarness next(m, c.card);
    next.Start();
    EXPECT_EQ(Eng.CurrentStandard, c.next_start);
    next.Stop();
  }
}

TEST(Startup, ShiftBringsTheMonitorTimingsBackFrom24kHzLeftOnTheCard) {
  // A run keeps 24 kHz on the card at its close ("Exit to VGA" clear) and stores VGA: the next
  // start skips nothing, and the card still sends 24 kHz.
  Machine m;
  m.registry.SetDword(kKey, app::texts::kValueChipset, engine::cfWD);
  ShellHarness h(m, "wd-90c00", 800, 600);
  const double monitor_khz = LineKhz(h);
  h.Start();
  ChooseAndKeep(h, h.main->chkModeSega);
  h.main->chkExitVGA.UserClick();
  h.main->Close.Click();
  h.Stop();
  ASSERT_NEAR(LineKhz(h), kSegaKhz, kKhzTolerance);

  // The next process on the same machine, Shift held down.
  m.mutexes.names.clear();
  Eng = engine::EngineState{};
  h.application = toolkit::Application{};
  h.main = std::make_unique<app::TMain>(h.services);
  h.windows.shift_down = true;
  h.Start();
  EXPECT_EQ(Eng.CurrentStandard, engine::vsVGA);
  EXPECT_NEAR(LineKhz(h), monitor_khz, 0.01);
}

TEST(Startup, SecondCopyOnlySaysItWasRunning) {
  Machine m;
  m.registry.SetText(kKey, "VideoStandard", "PAL");
  ShellHarness first(m);
  first.Start();
  ASSERT_EQ(Eng.CurrentStandard, engine::vsPAL);
  const double first_khz = LineKhz(first);
  const int opens = m.registry.opens;

  ShellHarness second(m);
  second.Start();

  ASSERT_EQ(second.boxes.shown.size(), 1u);
  EXPECT_EQ(second.boxes.shown[0].kind, MessageKind::kInformationOk);
  EXPECT_EQ(second.boxes.shown[0].text, app::texts::kAlreadyRunning);
  EXPECT_TRUE(second.application.terminate_requested());
  EXPECT_FALSE(second.main->visible);
  EXPECT_EQ(second.port_access.initializations, 0);
  EXPECT_TRUE(second.tray.added.empty());
  EXPECT_EQ(m.registry.opens, opens) << "the registry is not read";
  EXPECT_EQ(second.display.resets + second.display.broadcasts, 0);

  // The first copy and its display are untouched.
  EXPECT_FALSE(first.application.terminate_requested());
  EXPECT_EQ(first.tray.icons(), 1);
  EXPECT_TRUE(first.main->chkModePAL.checked());
  EXPECT_NEAR(LineKhz(first), first_khz, 0.001);
  EXPECT_NEAR(first_khz, kPalKhz, kKhzTolerance);

  second.Stop();
  EXPECT_EQ(second.port_access.shutdowns, 1);
}

TEST(Startup, FailureEndsStartUpBeforeIconAndSettings) {
  struct Case {
    const char* name;
    std::function<void(Machine&, ShellHarness&)> arrange;
    const char* message;  // nullptr: none
    int initializations;
  };
  const Case cases[] = {
      {"mutex cannot be created", [](Machine& m, ShellHarness&) { m.mutexes.fail = true; }, nullptr,
       0},
      {"port access fails", [](Machine&, ShellHarness& h) { h.port_access.init_result = false; },
       app::texts::kDriverLoadFailed, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Machine m;
    m.registry.SetText(kKey, "VideoStandard", "PAL");
    ShellHarness h(m);
    const double monitor_khz = LineKhz(h);
    c.arrange(m, h);
    h.Start();

    EXPECT_TRUE(h.application.terminate_requested());
    EXPECT_EQ(h.port_access.initializations, c.initializations);
    EXPECT_TRUE(h.tray.added.empty());
    EXPECT_EQ(m.registry.opens, 0);
    EXPECT_EQ(Eng.CurrentStandard, engine::vsVGA);
    EXPECT_NEAR(LineKhz(h), monitor_khz, 0.001) << "the stored PAL is not applied";
    if (c.message) {
      ASSERT_EQ(h.boxes.shown.size(), 1u);
      EXPECT_EQ(h.boxes.shown[0].kind, MessageKind::kErrorAbort);
      EXPECT_EQ(h.boxes.shown[0].text, c.message);
    } else {
      EXPECT_TRUE(h.boxes.shown.empty());
    }
    // Destroying the form still removes the icon and closes port access, both tolerated.
    h.Stop();
    EXPECT_EQ(h.port_access.shutdowns, 1);
    EXPECT_EQ(h.tray.removed.size(), 1u);
  }
}

TEST(Startup, UnreadableKeyLeavesEveryDefault) {
  Machine m;
  m.registry.fail_open = true;
  ShellHarness h(m);
  h.Start();
  EXPECT_TRUE(h.main->chkExitVGA.checked());
  EXPECT_TRUE(h.main->chkSaveExit.checked());
  EXPECT_TRUE(h.main->chkModeVGA.checked());
  EXPECT_TRUE(h.main->visible);
  EXPECT_FALSE(h.application.terminate_requested());
  EXPECT_EQ(h.tray.icons(), 1);
}

}  // namespace
}  // namespace zanvo::testing::shell
