#pragma once
// The few window-system calls the shell makes about its own main window, and the one question
// it asks the keyboard.

#include <cstdint>
#include <string_view>

namespace zanvo {

enum class ForwardResult {
  kSwitched,     // the running copy switched
  kRefused,      // it could not (the standard does not fit, or measured wrong)
  kUnreachable,  // no window of a running copy answered
  kBusy,         // it is starting, or carrying out another switch: ask again shortly
};

struct ScreenPoint {
  int x = 0;
  int y = 0;
};

class WindowSystem {
 public:
  virtual ~WindowSystem() = default;
  virtual ScreenPoint GetCursorPos() = 0;
  virtual void SetForegroundWindow() = 0;    // the main window
  virtual void ShowWindow(int command) = 0;  // the main window; SW_HIDE 0, SW_SHOWNORMAL 1
  // Asks the copy of the program that runs already to switch to `standard` and waits for its
  // answer.
  virtual ForwardResult ForwardStandard(uint8_t standard) = 0;
  // Whether a Shift key is held down now: the key's physical state, which a process that has
  // just started can ask before it has any input of its own.
  virtual bool ShiftKeyDown() = 0;
  // Starts another copy of this program with `arguments`, apart from this one so that it
  // outlives it. With `wait_until_ready` this waits (at most 30 s) until that copy has called
  // AnnounceReady or has ended: true when it announced itself. Without, true when it started.
  virtual bool StartCopy(std::string_view arguments, bool wait_until_ready) = 0;
  // Start-up is over and the main window takes forwarded standards: the copy that started this
  // one, if it waits, goes on.
  virtual void AnnounceReady() = 0;
  // Waits `milliseconds` before a script's call asks again, answering the messages other copies
  // send meanwhile.
  virtual void Pause(uint32_t milliseconds) = 0;
};

inline constexpr int kSwHide = 0;
inline constexpr int kSwShowNormal = 1;

}  // namespace zanvo
