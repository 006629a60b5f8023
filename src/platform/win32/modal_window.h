#pragma once
// A modal form as a real window: its controls bound to the form's models, Enter and Esc routed
// to the default and cancel buttons, the close box answering as the form says, the focus kept
// across deactivation. The keep-settings dialog and the about box derive from it.

#include <windows.h>

#include <memory>

#include "platform/toolkit/form.h"
#include "platform/win32/win32_toolkit.h"

namespace zanvo::win32 {

class ModalWindow {
 public:
  explicit ModalWindow(toolkit::Form& form) : form_(form) {}
  virtual ~ModalWindow() = default;
  ModalWindow(const ModalWindow&) = delete;
  ModalWindow& operator=(const ModalWindow&) = delete;

  // Creates the window centred on the screen, shows it with the focus on its first control and
  // runs the modal loop; returns the form's modal result.
  int ShowModal(HWND owner, toolkit::Application& application);

 protected:
  virtual const char* class_name() const = 0;
  virtual DWORD style() const = 0;
  virtual DWORD ex_style() const = 0;
  // Adds the form's controls in tab order; runs at WM_CREATE.
  virtual void CreateControls(HWND hwnd, ControlBinder& binder) = 0;
  virtual void OnTimer(HWND, UINT_PTR) {}

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT OnMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT OnCreate(HWND hwnd);
  LRESULT OnCommand(WPARAM wparam, LPARAM lparam);
  LRESULT OnActivate(HWND hwnd, WPARAM wparam);
  LRESULT OnCtlColor(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT OnTimerMessage(HWND hwnd, WPARAM wparam);
  LRESULT OnClose();
  LRESULT OnDestroy();
  // After every handler: the models' changes onto the screen.
  LRESULT Refreshed(LRESULT result);

  toolkit::Form& form_;
  std::unique_ptr<ControlBinder> binder_;
  HWND focus_ = nullptr;  // the control that had the focus when the window was deactivated
};

}  // namespace zanvo::win32
