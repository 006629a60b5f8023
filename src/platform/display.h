#pragma once
// The display settings and the window-system calls around a display-mode re-set.

#include <cstdint>

namespace zanvo {

class Display {
 public:
  virtual ~Display() = default;
  // ChangeDisplaySettingsA(no mode, CDS_RESET): the driver programs the current mode's monitor
  // timings again. The system's own WM_DISPLAYCHANGE may reach the main window during the call.
  virtual void ResetMode() = 0;
  // SendMessageA(HWND_BROADCAST, WM_DISPLAYCHANGE, wparam, lparam): every top-level window, the
  // program's own included, handles it before the call returns.
  virtual void BroadcastDisplayChange(uint32_t wparam, uint32_t lparam) = 0;
  // ShowCursor(show).
  virtual void ShowCursor(bool show) = 0;
};

}  // namespace zanvo
