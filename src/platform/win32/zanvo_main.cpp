// zanvo.exe: the shell on the real adapter, with port access through WinIo.

#include "platform/win32/program_run.h"

#include "engine/engine_port.h"
#include "platform/win32/win32_display.h"
#include "platform/win32/win32_message_boxes.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_single_instance.h"
#include "platform/win32/win32_thread_priority.h"
#include "platform/win32/win32_window_system.h"
#include "platform/win32/winio_port_access.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR arguments, int) {
  using namespace zanvo;
  win32::WinIoPortAccess winio;
  win32::Win32SingleInstance single_instance;
  win32::Win32Tray tray;
  win32::Win32Registry registry;
  win32::Win32Display display;
  win32::Win32MessageBoxes boxes;
  win32::Win32WindowSystem windows;
  toolkit::Application application;
  win32::Win32ModalRunner modal(application);
  app::ShellServices services{winio,   winio, winio,   single_instance, tray,       registry,
                              display, boxes, windows, modal,           application};

  win32::Win32ThreadPriority priority;
  engine::BindProcessorHold(&priority);
  engine::BindPort(winio);
  const int exit_code =
      win32::RunProgram(instance, arguments, services, tray, modal, [&](HWND main) {
        windows.SetMainWindow(main);
        boxes.SetOwner(main);
      });
  engine::UnbindPort();
  engine::BindProcessorHold(nullptr);
  return exit_code;
}
