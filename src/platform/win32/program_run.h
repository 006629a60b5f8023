#pragma once
// What both programs do once their services exist: the main window created hidden, the shell's
// start-up, then the message loop until a close command ends the program.

#include <windows.h>

#include "app/main_form.h"
#include "app/shell_services.h"

#include <functional>

#include "platform/win32/message_loop.h"
#include "platform/win32/win32_tray.h"

namespace zanvo::win32 {

// `attach` gives the main window to the services that need it, before the shell starts.
// `arguments` is the command line without the program's name. Returns the program's exit code.
int RunProgram(HINSTANCE instance, const char* arguments, app::ShellServices& services, Win32Tray& tray,
               Win32ModalRunner& modal, const std::function<void(HWND main_window)>& attach);

}  // namespace zanvo::win32
