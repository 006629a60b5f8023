#include "win32_message_boxes.h"

#include <string>

#include "abort_box.h"

namespace zanvo::win32 {

namespace {

UINT BoxStyle(MessageKind kind) {
  switch (kind) {
    case MessageKind::kInformationOk:
      return MB_OK | MB_ICONINFORMATION;
    case MessageKind::kErrorOk:
      return MB_OK | MB_ICONERROR;
    case MessageKind::kConfirmOkCancel:
      return MB_OKCANCEL | MB_ICONINFORMATION;
    case MessageKind::kErrorAbort:
      break;
  }
  return MB_OK;
}

}  // namespace

int Win32MessageBoxes::Show(MessageKind kind, std::string_view text, std::string_view caption) {
  if (kind == MessageKind::kErrorAbort) return ShowAbortBox(owner_, text, caption);
  const std::string box_text(text);
  const std::string box_caption(caption);
  const int result = ::MessageBoxA(owner_, box_text.c_str(), box_caption.c_str(), BoxStyle(kind));
  // 0 when the box could not be shown: nobody confirmed anything.
  if (result == 0) return kind == MessageKind::kConfirmOkCancel ? kIdCancel : kIdOk;
  return result;
}

}  // namespace zanvo::win32
