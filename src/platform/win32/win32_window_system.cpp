#include "win32_window_system.h"

#include "platform/win32/forwarded_standard.h"

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

namespace zanvo::win32 {

ForwardResult Win32WindowSystem::ForwardStandard(uint8_t standard) {
  // Every main window of the class but our own: the running copy's answers; those of copies that
  // are ending (another call, a usage box's copy) answer nothing, and the next is asked.
  ForwardResult result = ForwardResult::kUnreachable;
  BYTE data = standard;
  COPYDATASTRUCT copy{kForwardedStandardTag, sizeof data, &data};
  for (HWND running = nullptr;
       (running = ::FindWindowExA(nullptr, running, kMainWindowClass, nullptr)) != nullptr;) {
    if (running == main_window_) continue;
    DWORD_PTR answer = 0;
    const LRESULT sent = ::SendMessageTimeoutA(
        running, WM_COPYDATA, reinterpret_cast<WPARAM>(main_window_),
        reinterpret_cast<LPARAM>(&copy), SMTO_ABORTIFHUNG, kForwardTimeoutMs, &answer);
    if (sent == 0) continue;
    if (static_cast<LRESULT>(answer) == kForwardSwitched) return ForwardResult::kSwitched;
    if (static_cast<LRESULT>(answer) == kForwardRefused) return ForwardResult::kRefused;
    if (static_cast<LRESULT>(answer) == kForwardBusy) result = ForwardResult::kBusy;
  }
  return result;
}

void Win32WindowSystem::Pause(uint32_t milliseconds) {
  // Messages other copies send to this window (their own calls asking around) are answered
  // meanwhile, so that none of them waits on this one.
  const DWORD start = ::GetTickCount();
  for (DWORD waited = 0; waited < milliseconds; waited = ::GetTickCount() - start) {
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - waited, QS_SENDMESSAGE);
    MSG message;
    ::PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
  }
}

}  // namespace zanvo::win32
