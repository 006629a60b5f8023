// zanvo.exe's command line: what it takes, a standard forwarded to the copy that runs (made,
// refused, or with nobody to take it), a start-up with a standard, and a switch it does not know.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/command_line.h"
#include "app/texts.h"
#include "engine/chip_codes.h"
#include "engine/engine_state.h"
#include "shell_checks.h"
#include "tv_scenario.h"

namespace zanvo::testing::tv {
namespace {

using app::CommandLineRequest;
using engine::Eng;
using shell::StoredText;

TEST(CommandLine, TakesOneStandardSwitchInAnyCaseWithSlashOrDash) {
  using Kind = CommandLineRequest::Kind;
  struct Case {
    const char* arguments;
    Kind kind;
    uint8_t standard;
  };
  const Case cases[] = {
      {"", Kind::kNone, 0},
      {"   ", Kind::kNone, 0},
      {"/pal", Kind::kStandard, engine::vsPAL},
      {"-PAL", Kind::kStandard, engine::vsPAL},
      {"  /Ntsc\t", Kind::kStandard, engine::vsNTSC},
      {"/24KHZ", Kind::kStandard, engine::vs24kHz},
      {"-vga", Kind::kStandard, engine::vsVGA},
      {"pal", Kind::kInvalid, 0},
      {"/", Kind::kInvalid, 0},
      {"/secam", Kind::kInvalid, 0},
      {"/pal /ntsc", Kind::kInvalid, 0},
      {"/pa", Kind::kInvalid, 0},
      {"//pal", Kind::kInvalid, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    const CommandLineRequest request = app::ParseCommandLine(c.arguments);
    EXPECT_EQ(request.kind, c.kind);
    if (c.kind == Kind::kStandard) {
      EXPECT_EQ(request.standard, c.standard);
    }
  }
}

// A second copy started with `arguments` while `first` runs; its forwarded standard reaches the
// first copy's window as WM_COPYDATA does. The second copy is a process of its own: the engine
// (one per process, shared here) and its port are the first copy's again once it has started.
class SecondCopy {
 public:
  SecondCopy(StartedShell& first, const char* arguments) : first_(first) {
    const engine::EngineState first_engine = Eng;
    shell_ = std::make_unique<ShellHarness>(first.machine);
    Eng = first_engine;
    engine::BindPort(first.shell.pc);
    shell_->windows.running_copy = [&first](uint8_t standard) {
      return first.w().SwitchFromScript(standard) ? ForwardResult::kSwitched
                                                  : ForwardResult::kRefused;
    };
    shell_->main->SetCommandLine(app::ParseCommandLine(arguments));
    shell_->Start();
  }
  ~SecondCopy() {
    shell_.reset();
    engine::BindPort(first_.shell.pc);
  }
  ShellHarness& shell() { return *shell_; }

 private:
  StartedShell& first_;
  std::unique_ptr<ShellHarness> shell_;
};

TEST(CommandLine, ASecondCopyHandsItsStandardToTheRunningOneAndEndsWithItsAnswer) {
  struct Case {
    const char* name;
    uint16_t width, height;
    const char* arguments;
    uint8_t standard_after;
    int exit_code;
    const char* stored;
  };
  const Case cases[] = {
      {"PAL from VGA", 640, 480, "/pal", engine::vsPAL, app::kExitSwitched,
       app::texts::kStandardPal},
      {"24 kHz, stored as VGA", 640, 480, "-24khz", engine::vs24kHz, app::kExitSwitched,
       app::texts::kStandardVga},
      // 600 lines halved by interlace are still more than an NTSC field: refused, and told.
      {"NTSC refused at 800x600", 800, 600, "/NTSC", engine::vsVGA, app::kExitNotSwitched,
       app::texts::kStandardVga},
      {"VGA from VGA", 640, 480, "/vga", engine::vsVGA, app::kExitSwitched,
       app::texts::kStandardVga},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StartedShell first("s3-trio64", c.width, c.height);
    const int resets = first.shell.display.resets;
    {
      SecondCopy second(first, c.arguments);
      EXPECT_TRUE(second.shell().application.terminate_requested());
      EXPECT_EQ(second.shell().application.exit_code(), c.exit_code);
      EXPECT_EQ(second.shell().boxes.Count(app::texts::kAlreadyRunning), 0);
    }
    EXPECT_EQ(Eng.CurrentStandard, c.standard_after);
    EXPECT_TRUE(first.shell.modal.shown_captions.empty()) << "a script was asked a question";
    EXPECT_EQ(first.shell.boxes.shown.size(), 0u) << "a box waits for someone at the screen";
    if (c.standard_after == engine::vsPAL) {
      ExpectRates(SignalOf(first.shell), kPalLineKhz, kPalFieldHz, c.name);
      EXPECT_TRUE(first.w().chkModePAL.checked());
    } else if (c.standard_after == engine::vsVGA) {
      EXPECT_NEAR(SignalOf(first.shell).line_rate_hz / 1000.0, 37.9, 6.5) << "monitor timings";
      EXPECT_TRUE(first.w().chkModeVGA.checked());
    }
    if (std::string(c.arguments) == "/vga") {
      EXPECT_EQ(first.shell.display.resets, resets) << "VGA in force needs no re-set";
    }
    first.w().chkExitVGA.UserClick();
    first.w().btnCloseClick();
    EXPECT_EQ(StoredText(first.machine, app::texts::kValueVideoStandard), c.stored);
  }
}

TEST(CommandLine, NoSwitchInterruptsAUserSwitchThatWaitsForItsAnswer) {
  StartedShell first;
  int exit_code = -1;
  first.shell.modal.scripts.push_back([&](toolkit::Form& form) {
    SecondCopy second(first, "/ntsc");
    exit_code = second.shell().application.exit_code();
    AnswerYes(form);
  });
  first.w().chkModePAL.UserClick();
  EXPECT_EQ(exit_code, app::kExitNotSwitched);
  EXPECT_EQ(Eng.CurrentStandard, engine::vsPAL) << "the user's own switch was kept";
}

TEST(CommandLine, AStartWithAStandardAppliesItWithoutQuestionsAndKeepsIt) {
  Machine machine;
  ShellHarness shell(machine);
  machine.registry.SetDword(shell::kKey, app::texts::kValueChipset, engine::cfS3);
  machine.registry.SetDword(shell::kKey, app::texts::kValueModel, engine::kModelS3Trio64);
  shell.main->SetCommandLine(app::ParseCommandLine("/pal"));
  shell.Start();
  EXPECT_EQ(Eng.CurrentStandard, engine::vsPAL);
  EXPECT_TRUE(shell.modal.shown_captions.empty());
  EXPECT_EQ(shell.boxes.Count(app::texts::kConfirmCaption), 0);
  ExpectRates(SignalOf(shell), kPalLineKhz, kPalFieldHz, "started with /pal");
  shell.main->chkExitVGA.UserClick();
  shell.main->btnCloseClick();
  EXPECT_EQ(StoredText(machine, app::texts::kValueVideoStandard), app::texts::kStandardPal);
}

TEST(CommandLine, AnUnknownSwitchShowsTheUsageAndChangesNothing) {
  StartedShell first;
  first.w().chkExitVGA.UserClick();
  first.w().btnCloseClick();
  const auto stored = first.machine.registry.keys;
  for (const char* arguments : {"/secam", "pal", "/pal now"}) {
    SCOPED_TRACE(arguments);
    SecondCopy second(first, arguments);
    EXPECT_EQ(second.shell().boxes.Count(app::texts::kUsage), 1);
    EXPECT_EQ(second.shell().application.exit_code(), app::kExitUsage);
    EXPECT_TRUE(second.shell().windows.forwarded.empty());
    second.shell().main->StoreSettingsAtSessionEnd();
  }
  EXPECT_EQ(Eng.CurrentStandard, engine::vsVGA);
  EXPECT_TRUE(first.machine.registry.keys == stored);

  // With nobody to hand the standard to, the second copy says the first runs and fails.
  first.shell.windows.running_copy = nullptr;
  ShellHarness lone(first.machine);
  lone.main->SetCommandLine(app::ParseCommandLine("/pal"));
  lone.Start();
  EXPECT_EQ(lone.boxes.Count(app::texts::kAlreadyRunning), 1);
  EXPECT_EQ(lone.application.exit_code(), app::kExitNotSwitched);
}

}  // namespace
}  // namespace zanvo::testing::tv
