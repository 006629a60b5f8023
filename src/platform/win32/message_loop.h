#pragma once
// The program's message loops: the main loop, and the modal loop that shows the keep-settings
// dialog and the about box. Both run the application's idle handler whenever the queue runs
// empty, then wait for the next message.

#include <windows.h>

#include <functional>

#include "platform/toolkit/form.h"

namespace zanvo::win32 {

// Runs until WM_QUIT. After each message, a termination request destroys the main window (its
// WM_DESTROY ends the loop). Returns WM_QUIT's exit code.
int RunMessageLoop(HWND main_window, toolkit::Application& application);

// Disables the owner, creates the form's window with `create`, shows it with the focus on its
// first tab stop and dispatches messages until the form has a modal result; then destroys the
// window and returns the result. A WM_QUIT meanwhile is put back for the outer loop and answers
// mrCancel.
int RunModalLoop(HWND owner, toolkit::Form& form, toolkit::Application& application,
                 const std::function<HWND()>& create);

// Shows the shell's modal forms as real windows owned by the main window.
class Win32ModalRunner final : public toolkit::ModalRunner {
 public:
  explicit Win32ModalRunner(toolkit::Application& application) : application_(application) {}
  void set_owner(HWND owner) { owner_ = owner; }
  int ShowModal(toolkit::Form& form) override;

 private:
  toolkit::Application& application_;
  HWND owner_ = nullptr;
};

}  // namespace zanvo::win32
