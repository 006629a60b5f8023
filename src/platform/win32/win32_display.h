#pragma once
// Display-mode re-set, the cursor and the display-change broadcast on the real desktop.

#include "platform/display.h"

namespace zanvo::win32 {

class Win32Display final : public Display {
 public:
  void ResetMode() override;
  void BroadcastDisplayChange(uint32_t wparam, uint32_t lparam) override;
  void ShowCursor(bool show) override;
};

}  // namespace zanvo::win32
