#include "platform/win32/program_run.h"

#include <commctrl.h>

#include "app/command_line.h"
#include "app/main_form.h"
#include "app/texts.h"
#include "platform/win32/main_window.h"

namespace zanvo::win32 {

int RunProgram(HINSTANCE instance, const char* arguments, app::ShellServices& services,
               Win32Tray& tray, Win32ModalRunner& modal,
               const std::function<void(HWND main_window)>& attach) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);

  toolkit::Application& application = services.application;
  application.show_main_form = false;
  application.title = app::texts::kAppTitle;

  app::TMain main(services);
  main.SetCommandLine(app::ParseCommandLine(arguments != nullptr ? arguments : ""));
  MainWindow window(main, application, tray);
  if (!window.Create(instance)) return 1;
  tray.SetWindow(window.hwnd());
  tray.SetIcon(window.small_icon());
  modal.set_owner(window.hwnd());
  if (attach) attach(window.hwnd());

  // The window exists but stays hidden: start-up may re-set the display (which reaches the
  // window) and decides from the settings whether it is shown.
  main.OnFormCreate();
  window.Refresh();
  if (!application.terminate_requested()) window.ShowIfVisible();
  return RunMessageLoop(window.hwnd(), application);
}

}  // namespace zanvo::win32
