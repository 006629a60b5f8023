#pragma once
// The notification-area icon (Shell_NotifyIconA with the first, 88-byte NOTIFYICONDATA).

#include <cstdint>
#include <string>

namespace zanvo {

struct TrayIconData {
  uint32_t cbSize = 88;
  uint32_t uID = 1;
  uint32_t uFlags = 0;  // NIF_MESSAGE 1 | NIF_ICON 2 | NIF_TIP 4
  uint32_t uCallbackMessage = 0;
  std::string szTip;  // at most 63 characters; the record holds 64, zero-padded
};

class Tray {
 public:
  virtual ~Tray() = default;
  virtual void Add(const TrayIconData& data) = 0;     // NIM_ADD; result ignored
  virtual void Remove(const TrayIconData& data) = 0;  // NIM_DELETE; result ignored
};

}  // namespace zanvo
