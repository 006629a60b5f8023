#pragma once
// The window's platform services on a Linux console: the boxes are lines on standard error, the
// keep question is asked on the terminal with its countdown, the display-mode re-set writes the
// saved registers back (no driver re-sets a mode here), and the rest of the window system has
// nothing to do for a program that runs once and ends.

#include <chrono>
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "platform/display.h"
#include "platform/linux/saved_registers.h"
#include "platform/message_boxes.h"
#include "platform/port_access.h"
#include "platform/single_instance.h"
#include "platform/toolkit/form.h"
#include "platform/tray.h"
#include "platform/window_system.h"

namespace zanvo::console {

// Every box is a line on the error stream; the confirmation before a switch is the command
// line itself, so it answers OK.
class ConsoleBoxes final : public MessageBoxes {
 public:
  explicit ConsoleBoxes(std::ostream& err) : err_(err) {}
  int Show(MessageKind kind, std::string_view text, std::string_view caption) override;
  std::vector<std::string> shown;

 private:
  std::ostream& err_;
};

class NoTray final : public Tray {
 public:
  void Add(const TrayIconData&) override {}
  void Remove(const TrayIconData&) override {}
};

// A program that runs once: no other copy to hand a standard to (the lock file turned it away
// before), no Shift key to read, no copies to start.
class ConsoleWindows final : public WindowSystem {
 public:
  ScreenPoint GetCursorPos() override { return {}; }
  void SetForegroundWindow() override {}
  void ShowWindow(int) override {}
  ForwardResult ForwardStandard(uint8_t) override { return ForwardResult::kUnreachable; }
  bool ShiftKeyDown() override { return false; }
  bool StartCopy(std::string_view, bool) override { return false; }
  void AnnounceReady() override {}
  void Pause(uint32_t milliseconds) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  }
};

// The single copy is already held (the lock was taken before the saved registers were read).
class HeldInstance final : public SingleInstance {
 public:
  InstanceResult Acquire(std::string_view) override { return InstanceResult::kFirst; }
  void Release() override {}
};

// Port access was opened before the VGA check.
class OpenedPortAccess final : public PortAccess {
 public:
  bool Initialize() override { return true; }
  void Shutdown() override {}
};

// Where the keep question's answers come from: one key a second at most.
class AnswerSource {
 public:
  enum class Answer { kNone, kYes, kNo, kClosed };
  virtual ~AnswerSource() = default;
  // Waits up to `timeout_ms` for an answer line.
  virtual Answer Wait(int timeout_ms) = 0;
};

// The keep question: Yes keeps, No, the end of the input or the countdown going back.
class TerminalKeepQuestion final : public toolkit::ModalRunner {
 public:
  TerminalKeepQuestion(AnswerSource& answers, std::ostream& err) : answers_(answers), err_(err) {}
  // Runs just before the question is asked (the saved registers are stored then).
  std::function<void()> before_asking;
  // A monotonic clock in seconds: the countdown runs on it, so that time the program spent
  // stopped (SIGSTOP) counts, and a question resumed after its seconds goes back at once.
  // Without it, each wait without an answer counts one second.
  std::function<double()> now_seconds;
  int ShowModal(toolkit::Form& form) override;
  // What the last question was answered: "yes", "no", "no answer" or "closed".
  std::string last_answer;

 private:
  AnswerSource& answers_;
  std::ostream& err_;
};

// The display-mode re-set: the saved registers go back on the card, and the window's own
// announcement goes to the main form.
class SavedSetDisplay final : public Display {
 public:
  SavedSetDisplay(PortIo& io, linux_pc::SavedRegisterSet& saved) : io_(io), saved_(saved) {}
  std::function<void(uint32_t lparam)> deliver;
  void ResetMode() override { linux_pc::RestoreSavedSet(io_, saved_); }
  void BroadcastDisplayChange(uint32_t, uint32_t lparam) override {
    if (deliver) deliver(lparam);
  }
  void ShowCursor(bool) override {}

 private:
  PortIo& io_;
  linux_pc::SavedRegisterSet& saved_;
};

}  // namespace zanvo::console
