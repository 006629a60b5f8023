#include "platform/win32/modal_window.h"

#include "platform/win32/form_window.h"
#include "platform/win32/message_loop.h"

namespace zanvo::win32 {

int ModalWindow::ShowModal(HWND owner, toolkit::Application& application) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  RegisterFormClass(instance, class_name(), WindowProc);
  form_.visible = true;
  const int result = RunModalLoop(owner, form_, application, [&] {
    return CreateCentredForm(instance, class_name(), form_, style(), ex_style(), owner, this);
  });
  form_.visible = false;
  return result;
}

LRESULT CALLBACK ModalWindow::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  ModalWindow* self = WindowObject<ModalWindow>(hwnd, message, lparam);
  if (!self) return DefWindowProcA(hwnd, message, wparam, lparam);
  return self->OnMessage(hwnd, message, wparam, lparam);
}

LRESULT ModalWindow::OnMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      return OnCreate(hwnd);
    case WM_COMMAND:
      return Refreshed(OnCommand(wparam, lparam));
    case DM_GETDEFID:
      return binder_ ? MAKELRESULT(binder_->default_id(), DC_HASDEFID) : 0;
    case WM_ACTIVATE:
      return OnActivate(hwnd, wparam);
    case WM_DRAWITEM:
      return binder_ && binder_->OnDrawItem(*reinterpret_cast<DRAWITEMSTRUCT*>(lparam));
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
      return OnCtlColor(hwnd, message, wparam, lparam);
    case WM_TIMER:
      return Refreshed(OnTimerMessage(hwnd, wparam));
    case WM_CLOSE:
      return Refreshed(OnClose());
    case WM_DESTROY:
      return OnDestroy();
    case WM_NCDESTROY:
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
      return DefWindowProcA(hwnd, message, wparam, lparam);
    default:
      return DefWindowProcA(hwnd, message, wparam, lparam);
  }
}

LRESULT ModalWindow::OnCreate(HWND hwnd) {
  binder_ = std::make_unique<ControlBinder>(hwnd, FormFont());
  CreateControls(hwnd, *binder_);
  binder_->Refresh();
  return 0;
}

LRESULT ModalWindow::OnCommand(WPARAM wparam, LPARAM lparam) {
  if (!binder_) return 0;
  // IsDialogMessage turns Esc into IDCANCEL, and Enter into the default button's ID (or IDOK
  // when there is none).
  switch (LOWORD(wparam)) {
    case IDOK:
      binder_->ClickDefault();
      return 0;
    case IDCANCEL:
      binder_->ClickCancel();
      return 0;
    default:
      binder_->OnCommand(wparam, lparam);
      return 0;
  }
}

LRESULT ModalWindow::OnActivate(HWND hwnd, WPARAM wparam) {
  if (LOWORD(wparam) == WA_INACTIVE) {
    HWND focus = GetFocus();
    if (focus && IsChild(hwnd, focus)) focus_ = focus;
  } else if (focus_ && IsWindow(focus_)) {
    SetFocus(focus_);
  }
  return 0;
}

LRESULT ModalWindow::OnCtlColor(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  HBRUSH brush =
      binder_ ? binder_->OnCtlColor(reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam))
              : nullptr;
  if (brush) return reinterpret_cast<LRESULT>(brush);
  return DefWindowProcA(hwnd, message, wparam, lparam);
}

LRESULT ModalWindow::OnTimerMessage(HWND hwnd, WPARAM wparam) {
  OnTimer(hwnd, static_cast<UINT_PTR>(wparam));
  return 0;
}

LRESULT ModalWindow::OnClose() {
  form_.CloseBox();
  return 0;
}

LRESULT ModalWindow::OnDestroy() {
  binder_.reset();
  return 0;
}

LRESULT ModalWindow::Refreshed(LRESULT result) {
  if (binder_) binder_->Refresh();
  return result;
}

}  // namespace zanvo::win32
