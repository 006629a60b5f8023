// zanvo.exe's command line: what it takes, a standard forwarded to the copy that runs (made,
// refused, or with nobody to take it), a start-up with a standard, and a switch it does not know.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

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
      // What one copy gives another.
      {"/resident /ntsc", Kind::kStandard, engine::vsNTSC},
      {"/resident", Kind::kInvalid, 0},
      {"/usage /secam", Kind::kUsage, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    const CommandLineRequest request = app::ParseCommandLine(c.arguments);
    EXPECT_EQ(request.kind, c.kind);
    if (c.kind == Kind::kStandard) {
      EXPECT_EQ(request.standard, c.standard);
      EXPECT_EQ(request.resident, std::string(c.arguments).starts_with("/resident"));
      EXPECT_EQ(app::ParseCommandLine(app::ResidentArguments(c.standard)).standard, c.standard);
    }
    // The usage box names what it did not understand.
    if (c.kind == Kind::kInvalid) {
      EXPECT_NE(app::UsageText(request.not_understood).find(c.arguments), std::string::npos);
    }
  }
  EXPECT_EQ(app::ParseCommandLine("/usage /pal now").not_understood, "/pal now");
}

// A second copy started with `arguments` while `first` runs; its forwarded standard reaches the
// first copy's window as WM_COPYDATA does. The second copy is a process of its own: the engine
// (one per process, shared here) and its port are the first copy's again once it has started.
class SecondCopy {
 public:
  SecondCopy(StartedShell& first, const char* arguments,
             std::function<bool(std::string_view, bool)> start_copy = {})
      : first_(first) {
    const engine::EngineState first_engine = Eng;
    shell_ = std::make_unique<ShellHarness>(first.machine);
    Eng = first_engine;
    engine::BindPort(first.shell.pc);
    shell_->windows.running_copy = [&first](uint8_t standard) {
      return first.w().AnswerScript(standard);
    };
    shell_->windows.start_copy = std::move(start_copy);
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
      // A switched or refused answer ends the call: asking again would switch again.
      EXPECT_EQ(second.shell().windows.forwarded.size(), 1u);
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

// A script's call with no copy running: it starts the resident copy apart (here a second
// harness), hands it the standard as to any running copy and ends with its answer. The resident
// copy skips the stored standard, which stays stored unless the call's standard is kept.
TEST(CommandLine, ACallWithNoCopyRunningLeavesAResidentCopyAndEndsWithItsAnswer) {
  struct Case {
    const char* name;
    uint16_t width, height;
    const char* stored;
    const char* arguments;
    uint8_t standard_after;
    int exit_code;
    const char* stored_after;  // at Unload, with "Exit to VGA mode" cleared
    bool resident_starts = true;
    bool port_access = true;
  };
  const Case cases[] = {
      {"PAL", 640, 480, "VGA", "/pal", engine::vsPAL, app::kExitSwitched, "PAL"},
      // The copy cannot be started (CreateProcess fails): tried a few times, then 1, at once.
      {"no resident copy can start", 640, 480, "NTSC", "/pal", engine::vsVGA, app::kExitNotSwitched,
       "NTSC", false},
      // Without port access (no WinIo) the resident copy ends before it is ready, without a
      // box that would keep the marker taken: the call ends with 1, at once.
      {"the resident copy has no port access", 640, 480, "PAL", "/pal", engine::vsVGA,
       app::kExitNotSwitched, "PAL", true, false},
      {"VGA over a stored NTSC", 640, 480, "NTSC", "/vga", engine::vsVGA, app::kExitSwitched,
       "NTSC"},
      {"NTSC refused at 800x600", 800, 600, "PAL", "/ntsc", engine::vsVGA, app::kExitNotSwitched,
       "PAL"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Machine machine;
    StoreChipset(machine, engine::cfS3, engine::kModelS3Trio64);
    machine.registry.SetText(shell::kKey, app::texts::kValueVideoStandard, c.stored);
    std::unique_ptr<ShellHarness> resident;
    ShellHarness call(machine, "s3-trio64", c.width, c.height);
    call.windows.start_copy = [&](std::string_view arguments, bool wait_until_ready) {
      EXPECT_TRUE(wait_until_ready);
      // The mutex is free again: the resident copy becomes the first.
      EXPECT_TRUE(machine.mutexes.names.empty());
      if (!c.resident_starts) return false;
      resident = std::make_unique<ShellHarness>(machine, "s3-trio64", c.width, c.height);
      resident->port_access.init_result = c.port_access;
      resident->main->SetCommandLine(app::ParseCommandLine(arguments));
      resident->Start();
      const bool ready = resident->windows.ready_announcements == 1;
      if (!c.port_access) {
        EXPECT_FALSE(ready);
        EXPECT_EQ(resident->application.exit_code(), app::kExitNotSwitched);
        EXPECT_TRUE(resident->boxes.shown.empty()) << "a box holds the resident copy's marker";
        resident.reset();  // its process ends
      }
      return ready;
    };
    call.windows.running_copy = [&](uint8_t standard) {
      return resident ? resident->main->AnswerScript(standard) : ForwardResult::kUnreachable;
    };
    call.main->SetCommandLine(app::ParseCommandLine(c.arguments));
    call.Start();
    EXPECT_TRUE(call.application.terminate_requested());
    EXPECT_EQ(call.application.exit_code(), c.exit_code);
    if (!c.resident_starts || !c.port_access) {
      EXPECT_TRUE(call.boxes.shown.empty()) << "a box holds the script";
      EXPECT_GE(call.windows.started.size(), 1u);
      EXPECT_LE(call.windows.started.size(), 3u) << "started again and again";
      EXPECT_EQ(call.windows.pauses, 0) << "nothing to wait for";
      EXPECT_TRUE(machine.mutexes.names.empty()) << "the call left the marker taken";
      EXPECT_EQ(StoredText(machine, app::texts::kValueVideoStandard), c.stored_after);
      continue;
    }
    ASSERT_TRUE(resident);
    EXPECT_FALSE(resident->application.terminate_requested());
    EXPECT_TRUE(call.boxes.shown.empty() && resident->boxes.shown.empty()) << "a box holds the script";
    EXPECT_TRUE(resident->modal.shown_captions.empty()) << "a script was asked a question";
    EXPECT_EQ(Eng.CurrentStandard, c.standard_after);
    if (c.standard_after == engine::vsPAL) {
      ExpectRates(SignalOf(*resident), kPalLineKhz, kPalFieldHz, c.name);
    } else {
      EXPECT_NEAR(SignalOf(*resident).line_rate_hz / 1000.0, 37.9, 6.5) << "monitor timings";
      EXPECT_TRUE(resident->main->chkModeVGA.checked());
    }
    resident->main->chkExitVGA.UserClick();
    resident->main->btnCloseClick();
    EXPECT_EQ(StoredText(machine, app::texts::kValueVideoStandard), c.stored_after);
  }
}

// Two script calls at once with no copy running (`zanvo.exe /pal` twice): however their steps
// meet, one resident copy is left in PAL and both calls end with 0. Call A's resident copy is
// the one that stays; call B meets it at one of three moments.
TEST(CommandLine, TwoCallsAtOnceBothEndWithTheStandardInForce) {
  enum class Meet {
    kResidentStarting,   // B finds the marker taken by A's copy, which is still starting up
    kOwnResidentEnds,    // B starts a copy of its own, which finds A's starting up and ends
    kResidentSwitching,  // B asks while A's copy switches for A
  };
  for (const Meet meet :
       {Meet::kResidentStarting, Meet::kOwnResidentEnds, Meet::kResidentSwitching}) {
    SCOPED_TRACE(static_cast<int>(meet));
    Machine machine;
    StoreChipset(machine, engine::cfS3, engine::kModelS3Trio64);
    std::unique_ptr<ShellHarness> resident, ended;
    ShellHarness a(machine), b(machine);
    const std::string marker = app::texts::kMutexName;
    std::string resident_arguments;
    const auto start_resident = [&] {
      machine.mutexes.names.erase(marker);  // the place A's copy held while it started
      resident = std::make_unique<ShellHarness>(machine);
      resident->main->SetCommandLine(app::ParseCommandLine(resident_arguments));
      resident->Start();
    };
    // The resident copy's window, as WM_COPYDATA reaches it.
    const auto answer = [&](uint8_t standard) {
      if (!resident || !resident->main->TakesForwardedStandards())
        return ForwardResult::kUnreachable;
      return resident->main->AnswerScript(standard);
    };
    std::optional<ForwardResult> answer_while_switching;
    bool a_asks = false;
    a.windows.running_copy = [&](uint8_t standard) {
      a_asks = true;
      const ForwardResult result = answer(standard);
      a_asks = false;
      return result;
    };
    a.windows.start_copy = [&](std::string_view arguments, bool) {
      resident_arguments = arguments;
      if (meet == Meet::kResidentStarting) machine.mutexes.names.insert(marker);
      if (meet == Meet::kOwnResidentEnds) {
        b.windows.start_copy = [&](std::string_view own, bool) {
          machine.mutexes.names.insert(marker);  // A's copy took the marker first
          ended = std::make_unique<ShellHarness>(machine);
          ended->main->SetCommandLine(app::ParseCommandLine(own));
          ended->Start();
          return false;
        };
      }
      if (meet != Meet::kResidentSwitching) {
        // B's call runs while A's copy starts up; that start-up is over by B's first pause.
        b.windows.running_copy = answer;
        b.windows.pause = [&] {
          if (!resident) start_resident();
        };
        b.main->SetCommandLine(app::ParseCommandLine("/pal"));
        b.Start();
      }
      if (!resident) start_resident();
      // B asks (a message of its own) while A's copy re-sets the display for A's switch.
      const auto deliver = resident->display.deliver;
      resident->display.deliver = [&, deliver](uint32_t lparam) {
        if (a_asks && !answer_while_switching) answer_while_switching = answer(engine::vsPAL);
        deliver(lparam);
      };
      return resident->windows.ready_announcements == 1;
    };
    a.main->SetCommandLine(app::ParseCommandLine("/pal"));
    a.Start();
    if (meet == Meet::kResidentSwitching) {
      ASSERT_TRUE(answer_while_switching.has_value());
      bool first = true;
      b.windows.running_copy = [&](uint8_t standard) {
        return std::exchange(first, false) ? *answer_while_switching : answer(standard);
      };
      b.main->SetCommandLine(app::ParseCommandLine("/pal"));
      b.Start();
    }

    ASSERT_TRUE(resident);
    EXPECT_EQ(a.application.exit_code(), app::kExitSwitched);
    EXPECT_EQ(b.application.exit_code(), app::kExitSwitched);
    EXPECT_TRUE(a.application.terminate_requested() && b.application.terminate_requested());
    EXPECT_FALSE(resident->application.terminate_requested()) << "no resident copy left";
    EXPECT_TRUE(!ended || ended->application.terminate_requested()) << "two resident copies";
    EXPECT_TRUE(a.boxes.shown.empty() && b.boxes.shown.empty() && resident->boxes.shown.empty())
        << "a box holds a script";
    EXPECT_EQ(Eng.CurrentStandard, engine::vsPAL);
    ExpectRates(SignalOf(*resident), kPalLineKhz, kPalFieldHz, "PAL");
    resident->main->chkExitVGA.UserClick();
    resident->main->btnCloseClick();
    EXPECT_EQ(StoredText(machine, app::texts::kValueVideoStandard), app::texts::kStandardPal);
  }
}

// An unknown switch: the call ends with 2 and starts a copy of its own to show the usage box,
// which names what was not understood; only when none starts does the call show it itself. And
// two calls at once: the resident copy of the second finds the first's and ends without a word.
TEST(CommandLine, AnUnknownSwitchShowsTheUsageApartAndChangesNothing) {
  StartedShell first;
  first.w().chkExitVGA.UserClick();
  first.w().btnCloseClick();
  const auto stored = first.machine.registry.keys;
  for (const char* arguments : {"/secam", "pal", "/pal now"}) {
    SCOPED_TRACE(arguments);
    SecondCopy second(first, arguments, [](std::string_view, bool wait) { return !wait; });
    EXPECT_EQ(second.shell().application.exit_code(), app::kExitUsage);
    EXPECT_TRUE(second.shell().windows.forwarded.empty());
    EXPECT_TRUE(second.shell().boxes.shown.empty()) << "the call waits on its own box";
    ASSERT_EQ(second.shell().windows.started.size(), 1u);
    SecondCopy box(first, second.shell().windows.started[0].c_str());
    EXPECT_EQ(box.shell().boxes.Count(app::UsageText(arguments)), 1);
    EXPECT_EQ(box.shell().application.exit_code(), app::kExitUsage);
    second.shell().main->StoreSettingsAtSessionEnd();
  }
  EXPECT_EQ(SecondCopy(first, "/secam").shell().boxes.Count(app::UsageText("/secam")), 1);
  SecondCopy late(first, "/resident /pal");
  EXPECT_EQ(late.shell().application.exit_code(), app::kExitNotSwitched);
  EXPECT_TRUE(late.shell().boxes.shown.empty() && late.shell().windows.forwarded.empty());
  EXPECT_EQ(Eng.CurrentStandard, engine::vsVGA);
  EXPECT_TRUE(first.machine.registry.keys == stored);
}

// A copy runs (it holds the marker) but its window gives no answer to act on: a start-up box
// holds it, it stays busy, or it ends and no copy can start again. A script's call waits a
// bounded time and ends with 1 without a box; a copy started by hand says that one runs.
TEST(CommandLine, ACallThatTheRunningCopyNeverAnswersEndsWithOneAndNoBox) {
  struct Case {
    const char* name;
    const char* arguments;
    ForwardResult answer;
    bool copy_ends;  // at the first question; no copy can start after it
    int exit_code;
    int already_running_boxes;
  };
  const Case cases[] = {
      {"/pal, never answers", "/pal", ForwardResult::kUnreachable, false, app::kExitNotSwitched, 0},
      {"/vga, never answers", "/vga", ForwardResult::kUnreachable, false, app::kExitNotSwitched, 0},
      {"/pal, busy for good", "/pal", ForwardResult::kBusy, false, app::kExitNotSwitched, 0},
      {"/ntsc, the copy ends, none starts", "/ntsc", ForwardResult::kUnreachable, true,
       app::kExitNotSwitched, 0},
      {"started by hand", "", ForwardResult::kUnreachable, false, app::kExitSwitched, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Machine machine;
    const std::string marker = app::texts::kMutexName;
    machine.mutexes.names.insert(marker);  // the running copy's
    ShellHarness call(machine);
    call.windows.running_copy = [&](uint8_t) {
      if (c.copy_ends) machine.mutexes.names.erase(marker);
      return c.answer;
    };
    call.main->SetCommandLine(app::ParseCommandLine(c.arguments));
    call.Start();
    EXPECT_TRUE(call.application.terminate_requested());
    EXPECT_EQ(call.application.exit_code(), c.exit_code);
    EXPECT_EQ(call.boxes.Count(app::texts::kAlreadyRunning), c.already_running_boxes);
    EXPECT_EQ(call.boxes.shown.size(), static_cast<size_t>(c.already_running_boxes))
        << "a box holds the script";
    EXPECT_LE(call.windows.paused_ms, 30000u) << "waited without end";
    EXPECT_EQ(call.port_access.initializations, 0) << "the call started up as a copy itself";
    EXPECT_EQ(call.display.resets, 0) << "the call re-set the display";
    EXPECT_LE(call.windows.started.size(), 3u) << "started again and again";
    // The marker is the running copy's while it runs, and nobody's once it ended.
    EXPECT_EQ(machine.mutexes.names.empty(), c.copy_ends);
    if (c.copy_ends) {
      EXPECT_GE(call.windows.started.size(), 1u) << "no copy was started in its place";
    } else if (c.exit_code == app::kExitNotSwitched) {
      EXPECT_GE(call.windows.paused_ms, 5000u) << "a copy starting up was not waited for";
      EXPECT_TRUE(call.windows.started.empty());
    } else {
      EXPECT_TRUE(call.windows.forwarded.empty()) << "a copy started by hand forwarded";
    }
  }
}

}  // namespace
}  // namespace zanvo::testing::tv
