#pragma once
// The few window-system calls the shell makes about its own main window, and the one question
// it asks the keyboard.

namespace zanvo {

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
  // Whether a Shift key is held down now: the key's physical state, which a process that has
  // just started can ask before it has any input of its own.
  virtual bool ShiftKeyDown() = 0;
};

inline constexpr int kSwHide = 0;
inline constexpr int kSwShowNormal = 1;

}  // namespace zanvo
