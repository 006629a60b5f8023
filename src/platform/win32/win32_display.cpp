#include "win32_display.h"

#include <windows.h>

namespace zanvo::win32 {

// No mode record with CDS_RESET: the driver sets the current mode again, monitor timings and all,
// even though nothing about it changed.
void Win32Display::ResetMode() {
  ::ChangeDisplaySettingsA(nullptr, CDS_RESET);
}

// SendMessage to HWND_BROADCAST returns only after every top-level window has handled it.
void Win32Display::BroadcastDisplayChange(uint32_t wparam, uint32_t lparam) {
  ::SendMessageA(HWND_BROADCAST, WM_DISPLAYCHANGE, static_cast<WPARAM>(wparam),
                 static_cast<LPARAM>(lparam));
}

void Win32Display::ShowCursor(bool show) {
  ::ShowCursor(show ? TRUE : FALSE);
}

}  // namespace zanvo::win32
