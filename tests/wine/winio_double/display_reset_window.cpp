#include "display_reset_window.h"

#include <utility>

#include "report.h"

namespace zanvo::winio_double {

namespace {

constexpr const char* kClassName = "ZanvoWinIoDoubleDisplay";

HINSTANCE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExA(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCSTR>(&ThisModule), &module);
  return module;
}

}  // namespace

DisplayResetWindow::DisplayResetWindow(std::function<void()> reload) : reload_(std::move(reload)) {
  const HINSTANCE instance = ThisModule();
  WNDCLASSA window_class{};
  window_class.lpfnWndProc = &DisplayResetWindow::Procedure;
  window_class.hInstance = instance;
  window_class.lpszClassName = kClassName;
  RegisterClassA(&window_class);  // fails harmlessly when a previous open registered it
  // Never shown, no taskbar button (tool window), above every normal window in the z-order.
  window_ = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kClassName, "", WS_POPUP, 0, 0, 0, 0,
                            nullptr, nullptr, instance, this);
}

DisplayResetWindow::~DisplayResetWindow() {
  if (window_ != nullptr) DestroyWindow(window_);
}

LRESULT CALLBACK DisplayResetWindow::Procedure(HWND window, UINT message, WPARAM wparam,
                                               LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lparam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  } else if (message == WM_DISPLAYCHANGE && LOWORD(lparam) != 0) {
    // lParam: the screen's width (low word) and height (high word) after the change.
    auto* self = reinterpret_cast<DisplayResetWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self != nullptr && self->reload_) {
      self->reload_();
      Report("display mode re-set: monitor timings reloaded");
    }
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

}  // namespace zanvo::winio_double
