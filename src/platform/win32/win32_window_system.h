#pragma once
// The window-system calls about the main window.

#include <windows.h>

#include "platform/window_system.h"

namespace zanvo::win32 {

class Win32WindowSystem final : public WindowSystem {
 public:
  void SetMainWindow(HWND window) { main_window_ = window; }

  ScreenPoint GetCursorPos() override;
  void SetForegroundWindow() override;
  void ShowWindow(int command) override;
  ForwardResult ForwardStandard(uint8_t standard) override;
  bool ShiftKeyDown() override;
  bool StartCopy(std::string_view arguments, bool wait_until_ready) override;
  void AnnounceReady() override;
  void Pause(uint32_t milliseconds) override;

 private:
  HWND main_window_ = nullptr;
};

}  // namespace zanvo::win32
