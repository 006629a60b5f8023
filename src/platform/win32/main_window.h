#pragma once
// The main window: the shell's TMain with its controls, the tray icon's callback and pop-up
// menu, and the window messages the shell answers. Every message goes to a TMain handler or to
// a control's model; the window only carries them.

#include <windows.h>

#include <array>
#include <memory>
#include <utility>

#include "app/main_form.h"
#include "platform/toolkit/form.h"
#include "platform/win32/win32_toolkit.h"
#include "platform/win32/win32_tray.h"

namespace zanvo::win32 {

class MainWindow {
 public:
  MainWindow(app::TMain& main, toolkit::Application& application, Win32Tray& tray);
  ~MainWindow();
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Creates the window with its controls, hidden; false when Windows refused.
  bool Create(HINSTANCE instance);
  // Shows the window when the shell has made the form visible.
  void ShowIfVisible();
  // Copies every control model's state to its window.
  void Refresh();

  HWND hwnd() const { return hwnd_; }
  // The 16 x 16 icon of the window, which the tray shows too.
  HICON small_icon() const { return small_icon_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT OnCreate();
  LRESULT OnCommand(WPARAM wparam, LPARAM lparam);
  LRESULT OnTrayIcon(LPARAM lparam);
  LRESULT OnDisplayChange(LPARAM lparam);
  LRESULT OnSysCommand(WPARAM wparam, LPARAM lparam);
  LRESULT OnClose();
  LRESULT OnEndSession(WPARAM ending);
  // A standard forwarded by a second copy from its command line.
  LRESULT OnCopyData(LPARAM lparam);
  LRESULT OnDestroy();
  LRESULT OnTaskbarCreated();
  LRESULT OnCtlColor(UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT OnDrawItem(LPARAM lparam);
  // After every handler: the models' changes onto the screen.
  LRESULT Refreshed(LRESULT result);

  void CreateControls();
  void PopUpTrayMenu();

  app::TMain& main_;
  toolkit::Application& application_;
  Win32Tray& tray_;
  HWND hwnd_ = nullptr;
  HICON icon_ = nullptr;
  HICON small_icon_ = nullptr;
  HBITMAP unload_glyph_ = nullptr;
  HBITMAP detect_glyph_ = nullptr;
  UINT taskbar_created_ = 0;
  std::unique_ptr<ControlBinder> binder_;
  // The tray menu's items with their command IDs; separators carry 0.
  std::array<std::pair<toolkit::MenuItem*, int>, 10> menu_items_{};
};

}  // namespace zanvo::win32
