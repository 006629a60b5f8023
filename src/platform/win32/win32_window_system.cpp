#include "win32_window_system.h"

namespace zanvo::win32 {

ScreenPoint Win32WindowSystem::GetCursorPos() {
  POINT point{};
  if (!::GetCursorPos(&point)) return {};
  return {static_cast<int>(point.x), static_cast<int>(point.y)};
}

void Win32WindowSystem::SetForegroundWindow() {
  if (main_window_ != nullptr) ::SetForegroundWindow(main_window_);
}

void Win32WindowSystem::ShowWindow(int command) {
  if (main_window_ != nullptr) ::ShowWindow(main_window_, command);
}

// GetKeyState would answer from this thread's input queue, which holds nothing yet at start-up;
// GetAsyncKeyState reads the key itself (the high bit: down now).
bool Win32WindowSystem::ShiftKeyDown() {
  return (::GetAsyncKeyState(VK_SHIFT) & 0x8000) != 0;
}

}  // namespace zanvo::win32
