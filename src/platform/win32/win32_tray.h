#pragma once
// The notification-area icon through Shell_NotifyIconA, with the first (88-byte) form of
// NOTIFYICONDATAA that every shell version accepts.

#include <windows.h>

#include <optional>

#include "platform/tray.h"

namespace zanvo::win32 {

class Win32Tray final : public Tray {
 public:
  // The window that receives the callback message, and the icon shown; set before Add.
  void SetWindow(HWND window) { window_ = window; }
  void SetIcon(HICON icon) { icon_ = icon; }

  void Add(const TrayIconData& data) override;
  void Remove(const TrayIconData& data) override;

  // Adds the icon again when Explorer has restarted (the "TaskbarCreated" message): the new
  // notification area starts empty. Does nothing while no icon is shown.
  void Restore();

 private:
  void Notify(DWORD message, const TrayIconData& data);

  HWND window_ = nullptr;
  HICON icon_ = nullptr;
  std::optional<TrayIconData> shown_;
};

}  // namespace zanvo::win32
