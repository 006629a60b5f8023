#pragma once
// The display of zanvo-virtual: re-setting the mode reloads the virtual card's monitor timings,
// and the system's own WM_DISPLAYCHANGE reaches the main window during the call, as it does on
// Windows. The cursor and the broadcast are the real ones.

#include <windows.h>

#include <functional>
#include <utility>

#include "platform/display.h"
#include "platform/virtual/virtual_pc.h"

namespace zanvo::win32 {

class VirtualDisplay final : public Display {
 public:
  explicit VirtualDisplay(virt::VirtualPc& pc) : pc_(pc) {}
  // The window that receives the mode re-set's WM_DISPLAYCHANGE.
  void SetMainWindow(HWND window) { main_window_ = window; }
  // Called after each re-set, which reloads the card without a port write.
  void SetAfterReset(std::function<void()> after_reset) { after_reset_ = std::move(after_reset); }

  void ResetMode() override;
  void BroadcastDisplayChange(uint32_t wparam, uint32_t lparam) override;
  void ShowCursor(bool show) override;

 private:
  virt::VirtualPc& pc_;
  HWND main_window_ = nullptr;
  std::function<void()> after_reset_;
};

}  // namespace zanvo::win32
