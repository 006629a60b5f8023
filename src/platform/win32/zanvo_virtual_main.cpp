// zanvo-virtual.exe: the same shell on a virtual PC, for trying the program and for tests. Port
// access always succeeds; the display re-set reloads the virtual card's monitor timings. Beside
// ZANVO's window the "Virtual TV" window shows what the set on the card's output shows;
// ZANVO_VIRTUAL_TV=off starts it hidden (the system menu of ZANVO's window brings it back).

#include "platform/win32/program_run.h"

#include <string>

#include "app/command_line.h"
#include "app/texts.h"
#include "engine/engine_port.h"
#include "platform/win32/card_write_watch.h"
#include "platform/win32/virtual_display.h"
#include "platform/win32/virtual_machine_setup.h"
#include "platform/win32/virtual_tv_menu.h"
#include "platform/win32/virtual_tv_window.h"
#include "platform/win32/win32_message_boxes.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_single_instance.h"
#include "platform/win32/win32_thread_priority.h"
#include "platform/win32/win32_window_system.h"

namespace {

// The exit code when the environment names a card or mode the virtual PC does not have.
constexpr int kBadSetup = 2;

// The virtual PC's ports need no driver.
class VirtualPortAccess final : public zanvo::PortAccess {
 public:
  bool Initialize() override { return true; }
  void Shutdown() override {}
};

std::string Environment(const char* name) {
  char value[256] = {};
  const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
  return length > 0 && length < sizeof value ? std::string(value, length) : std::string();
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR arguments, int) {
  using namespace zanvo;
  win32::VirtualMachineSetup setup = win32::SetUpVirtualMachine(Environment("ZANVO_VIRTUAL_CARD"),
                                                                Environment("ZANVO_VIRTUAL_MODE"));
  if (!setup.pc) {
    MessageBoxA(nullptr, setup.error.c_str(), app::texts::kAppTitle, MB_OK | MB_ICONERROR);
    return kBadSetup;
  }
  virt::VirtualPc& pc = *setup.pc;
  // The program reaches the card through the watch, so the Virtual TV sees every write.
  win32::CardWriteWatch ports(pc);
  win32::VirtualTvWindow tv(pc);
  ports.SetOnWrite([&tv] { tv.CardWritten(); });
  const std::string tv_setting = Environment("ZANVO_VIRTUAL_TV");
  // A copy that only carries a script's call or shows the usage box ends at once: its Virtual
  // TV would only flash up.
  const app::CommandLineRequest request = app::ParseCommandLine(arguments ? arguments : "");
  const bool passing = request.kind == app::CommandLineRequest::Kind::kInvalid ||
                       request.kind == app::CommandLineRequest::Kind::kUsage ||
                       (request.kind == app::CommandLineRequest::Kind::kStandard && !request.resident);
  const bool tv_shown = tv_setting != "off" && tv_setting != "0" && !passing;

  VirtualPortAccess port_access;
  win32::Win32SingleInstance single_instance;
  win32::Win32Tray tray;
  win32::Win32Registry registry;
  win32::VirtualDisplay display(pc);
  win32::Win32MessageBoxes boxes;
  win32::Win32WindowSystem windows;
  toolkit::Application application;
  win32::Win32ModalRunner modal(application);
  display.SetAfterReset([&tv] { tv.CardWritten(); });
  app::ShellServices services{ports,   ports, port_access, single_instance, tray,       registry,
                              display, boxes, windows,     modal,           application};

  win32::Win32ThreadPriority priority;
  engine::BindProcessorHold(&priority);
  engine::BindPort(ports);
  const int exit_code =
      win32::RunProgram(instance, arguments, services, tray, modal, [&](HWND main) {
        windows.SetMainWindow(main);
        boxes.SetOwner(main);
        display.SetMainWindow(main);
        tv.Create(instance, main, tv_shown);
        win32::AddVirtualTvMenuItem(main, tv);
      });
  engine::UnbindPort();
  engine::BindProcessorHold(nullptr);
  return exit_code;
}
