#pragma once
// Message boxes with the program's fixed button sets.

#include <windows.h>

#include "platform/message_boxes.h"

namespace zanvo::win32 {

class Win32MessageBoxes final : public MessageBoxes {
 public:
  // The window the boxes belong to; null (the default) makes them top-level.
  void SetOwner(HWND owner) { owner_ = owner; }

  int Show(MessageKind kind, std::string_view text, std::string_view caption) override;

 private:
  HWND owner_ = nullptr;
};

}  // namespace zanvo::win32
