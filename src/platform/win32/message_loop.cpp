#include "platform/win32/message_loop.h"

#include "app/about_box.h"
#include "app/accept_dialog.h"
#include "platform/win32/about_window.h"
#include "platform/win32/accept_window.h"
#include "platform/win32/win32_toolkit.h"

namespace zanvo::win32 {

namespace {

// The queue has run empty: the idle handler once, the windows brought up to date.
void RunIdle(toolkit::Application& application) {
  if (application.OnIdle) application.OnIdle();
  ControlBinder::RefreshAll();
}

void Dispatch(HWND dialog_window, MSG& msg) {
  // Tab, the arrow keys inside a group, mnemonics, Enter and Esc.
  if (dialog_window && IsDialogMessageA(dialog_window, &msg)) return;
  TranslateMessage(&msg);
  DispatchMessageA(&msg);
}

}  // namespace

int RunMessageLoop(HWND main_window, toolkit::Application& application) {
  bool destroying = false;
  auto end_if_requested = [&] {
    if (destroying || !application.terminate_requested()) return;
    destroying = true;
    DestroyWindow(main_window);
  };
  MSG msg;
  for (;;) {
    end_if_requested();
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) return static_cast<int>(msg.wParam);
      Dispatch(destroying ? nullptr : main_window, msg);
      end_if_requested();
    }
    if (!destroying) RunIdle(application);
    end_if_requested();
    // Nothing to do until the next message arrives.
    WaitMessage();
  }
}

int RunModalLoop(HWND owner, toolkit::Form& form, toolkit::Application& application,
                 const std::function<HWND()>& create) {
  // The owner is disabled before the form exists, so that nobody sees both enabled at once.
  const bool owner_was_enabled = owner && IsWindowEnabled(owner);
  if (owner_was_enabled) EnableWindow(owner, FALSE);
  HWND window = create();
  if (!window) {
    if (owner_was_enabled) EnableWindow(owner, TRUE);
    form.SetModalResult(toolkit::mrCancel);
    return form.modal_result();
  }
  ShowWindow(window, SW_SHOWNORMAL);
  SetForegroundWindow(window);
  // The first tab stop has the focus when the form opens.
  HWND first = GetNextDlgTabItem(window, nullptr, FALSE);
  if (first) SetFocus(first);
  MSG msg;
  bool quit = false;
  while (form.modal_result() == toolkit::mrNone && IsWindow(window) && !quit) {
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      RunIdle(application);
      if (form.modal_result() != toolkit::mrNone) break;
      WaitMessage();
      continue;
    }
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      quit = true;
      break;
    }
    Dispatch(window, msg);
  }
  if (form.modal_result() == toolkit::mrNone) form.SetModalResult(toolkit::mrCancel);
  // The owner is enabled again before the dialog goes, so that it gets the activation back.
  if (owner_was_enabled) EnableWindow(owner, TRUE);
  if (IsWindow(window)) DestroyWindow(window);
  return form.modal_result();
}

int Win32ModalRunner::ShowModal(toolkit::Form& form) {
  form.ResetModalResult();
  if (auto* dialog = dynamic_cast<app::TAcceptDlg*>(&form)) {
    return ShowAcceptWindow(owner_, *dialog, application_);
  }
  if (auto* about = dynamic_cast<app::TAboutBox*>(&form)) {
    return ShowAboutWindow(owner_, *about, application_);
  }
  form.SetModalResult(toolkit::mrCancel);
  return form.modal_result();
}

}  // namespace zanvo::win32
