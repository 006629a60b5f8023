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

}  // namespace zanvo::win32
