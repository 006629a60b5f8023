#include "win32_tray.h"

#include <shellapi.h>

#include <algorithm>
#include <cstddef>

namespace zanvo::win32 {

namespace {

// The first NOTIFYICONDATAA ends with a 64-character tip; on a 32-bit system that is 88 bytes.
constexpr DWORD kFirstFormSize = NOTIFYICONDATAA_V1_SIZE;
#if !defined(_WIN64)
static_assert(kFirstFormSize == 88);
#endif
constexpr size_t kTipChars = 64;

}  // namespace

void Win32Tray::Notify(DWORD message, const TrayIconData& data) {
  NOTIFYICONDATAA record{};
  record.cbSize = kFirstFormSize;
  record.hWnd = window_;
  record.uID = data.uID;
  record.uFlags = data.uFlags;
  record.uCallbackMessage = data.uCallbackMessage;
  record.hIcon = icon_;
  // At most 63 characters and a terminator; the rest of the field stays zero.
  const size_t length = std::min(data.szTip.size(), kTipChars - 1);
  std::copy_n(data.szTip.data(), length, record.szTip);
  ::Shell_NotifyIconA(message, &record);
}

void Win32Tray::Add(const TrayIconData& data) {
  Notify(NIM_ADD, data);
  shown_ = data;
}

void Win32Tray::Remove(const TrayIconData& data) {
  Notify(NIM_DELETE, data);
  shown_.reset();
}

void Win32Tray::Restore() {
  if (shown_) Notify(NIM_ADD, *shown_);
}

}  // namespace zanvo::win32
