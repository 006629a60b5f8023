#pragma once
// Modal message boxes with fixed buttons; the program waits until the box is closed.

#include <string_view>

namespace zanvo {

enum class MessageKind {
  kInformationOk,    // information icon, one OK button
  kErrorAbort,       // error icon, one Abort button
  kErrorOk,          // error icon, one OK button
  kConfirmOkCancel,  // MB_OKCANCEL + MB_ICONINFORMATION
};

// Button results, as Windows numbers them.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdAbort = 3;

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // Shows the box; returns the button pressed (kIdOk, kIdCancel or kIdAbort).
  virtual int Show(MessageKind kind, std::string_view text, std::string_view caption) = 0;
};

}  // namespace zanvo
