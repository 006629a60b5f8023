#pragma once
// The double's stand-in for the graphics driver's part in a display-mode re-set. The program
// asks the system to re-set the mode (ChangeDisplaySettingsA with CDS_RESET), which the double
// cannot see; what it can see is the WM_DISPLAYCHANGE the system sends to every top-level
// window while that call runs. A hidden topmost window receives it first: the system sends it
// down the z-order, topmost windows first, and the window lives on the thread that opened WinIo
// (the program's window thread), so it is handled inside the program's own call, before the
// program's windows see the message. The program's own announcement carries no screen size
// (width 0) and reloads nothing.

#include <windows.h>

#include <functional>

namespace zanvo::winio_double {

class DisplayResetWindow {
 public:
  // `reload` programs the card's monitor timings for its current mode.
  explicit DisplayResetWindow(std::function<void()> reload);
  ~DisplayResetWindow();
  DisplayResetWindow(const DisplayResetWindow&) = delete;
  DisplayResetWindow& operator=(const DisplayResetWindow&) = delete;

  bool created() const { return window_ != nullptr; }

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

  std::function<void()> reload_;
  HWND window_ = nullptr;
};

}  // namespace zanvo::winio_double
