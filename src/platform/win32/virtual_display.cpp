#include "virtual_display.h"

#include "platform/virtual/display_driver.h"

namespace zanvo::win32 {

namespace {

// Every desktop mode of the virtual driver has 8-bit pixels.
constexpr WPARAM kBitsPerPixel = 8;

}  // namespace

void VirtualDisplay::ResetMode() {
  virt::ResetCurrentMode(pc_.card());
  if (after_reset_) after_reset_();
  if (main_window_ == nullptr) return;
  // WM_DISPLAYCHANGE: wParam the bits per pixel, lParam width (low word) | height (high word).
  const auto& mode = pc_.card().current_mode();
  const auto screen = static_cast<LPARAM>(static_cast<uint32_t>(mode.width) |
                                          (static_cast<uint32_t>(mode.height) << 16));
  ::SendMessageA(main_window_, WM_DISPLAYCHANGE, kBitsPerPixel, screen);
}

void VirtualDisplay::BroadcastDisplayChange(uint32_t wparam, uint32_t lparam) {
  ::SendMessageA(HWND_BROADCAST, WM_DISPLAYCHANGE, static_cast<WPARAM>(wparam),
                 static_cast<LPARAM>(lparam));
}

void VirtualDisplay::ShowCursor(bool show) {
  ::ShowCursor(show ? TRUE : FALSE);
}

}  // namespace zanvo::win32
