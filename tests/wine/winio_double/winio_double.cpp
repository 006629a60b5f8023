// winio.dll for the end-to-end tests: WinIo's five functions, as the real library exports them
// (stdcall, undecorated names), over a virtual PC instead of the port-access driver. The card
// and desktop mode come from ZANVO_VIRTUAL_CARD and ZANVO_VIRTUAL_MODE, as for
// zanvo-virtual.exe. Never shipped: the release package holds zanvo.exe only.
//
// Like the real library, nothing works before InitializeWinIo succeeded or after
// ShutdownWinIo, and a port access of another size than 1, 2 or 4 bytes fails. GetPhysLong
// answers for the video ROM window only, the one piece of physical memory the virtual PC maps;
// elsewhere it fails, as the real library does when it cannot map the address.

#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>

#include "display_reset_window.h"
#include "platform/virtual/display_driver.h"
#include "platform/virtual/signal/signal.h"
#include "platform/virtual/virtual_pc.h"
#include "platform/win32/virtual_machine_setup.h"
#include "report.h"

namespace {

using namespace zanvo;

struct OpenDriver {
  std::unique_ptr<virt::VirtualPc> pc;
  std::unique_ptr<winio_double::DisplayResetWindow> display;
};
OpenDriver* driver = nullptr;

std::string Environment(const char* name) {
  char value[256] = {};
  const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
  return length > 0 && length < sizeof value ? std::string(value, length) : std::string();
}

// The Windows version the program is told, so that a run under an older reported version
// can be checked to have been one.
std::string ReportedWindows() {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  if (!GetVersionExA(&version)) return "windows ?";
  char text[64];
  std::snprintf(text, sizeof text, "windows %lu.%lu %s", version.dwMajorVersion,
                version.dwMinorVersion,
                version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS ? "9x" : "nt");
  return text;
}

std::string SignalReport(const virt::VgaCard& card) {
  const virt::Signal signal = virt::AnalyzeSignal(card);
  char text[96];
  std::snprintf(text, sizeof text, "signal %.2f kHz %.2f Hz", signal.line_rate_hz / 1000.0,
                signal.field_rate_hz);
  return text;
}

bool Open() {
  winio_double::Report("loaded " + winio_double::ModulePathOf(reinterpret_cast<void*>(&Open)));
  winio_double::Report(ReportedWindows());
  win32::VirtualMachineSetup setup = win32::SetUpVirtualMachine(Environment("ZANVO_VIRTUAL_CARD"),
                                                                Environment("ZANVO_VIRTUAL_MODE"));
  if (!setup.pc) {
    // A driver that cannot start: the program must say so and end.
    winio_double::Report("not opened: " + setup.error);
    return false;
  }
  auto open = std::make_unique<OpenDriver>();
  open->pc = std::move(setup.pc);
  virt::VirtualPc& pc = *open->pc;
  open->display = std::make_unique<winio_double::DisplayResetWindow>(
      [&pc] { virt::ResetCurrentMode(pc.card()); });
  if (!open->display->created()) {
    winio_double::Report("not opened: no window for display changes");
    return false;
  }
  driver = open.release();
  winio_double::Report("opened");
  return true;
}

bool ValidSize(BYTE size) {
  return size == 1 || size == 2 || size == 4;
}

}  // namespace

extern "C" {

__declspec(dllexport) bool WINAPI InitializeWinIo() {
  return driver != nullptr || Open();
}

__declspec(dllexport) void WINAPI ShutdownWinIo() {
  if (driver == nullptr) return;
  winio_double::Report("closed with " + SignalReport(driver->pc->card()));
  delete driver;
  driver = nullptr;
}

__declspec(dllexport) bool WINAPI GetPortVal(WORD port, PDWORD value, BYTE size) {
  if (driver == nullptr || value == nullptr || !ValidSize(size)) return false;
  virt::VirtualPc& pc = *driver->pc;
  *value = size == 1 ? pc.InByte(port) : size == 2 ? pc.InWord(port) : pc.InDword(port);
  return true;
}

__declspec(dllexport) bool WINAPI SetPortVal(WORD port, DWORD value, BYTE size) {
  if (driver == nullptr || !ValidSize(size)) return false;
  virt::VirtualPc& pc = *driver->pc;
  if (size == 1) {
    pc.OutByte(port, static_cast<uint8_t>(value));
  } else if (size == 2) {
    pc.OutWord(port, static_cast<uint16_t>(value));
  } else {
    pc.OutDword(port, value);
  }
  return true;
}

// The physical address travels in a pointer-typed argument; it is a number, never dereferenced.
__declspec(dllexport) bool WINAPI GetPhysLong(PBYTE physical_address, PDWORD value) {
  const auto address = reinterpret_cast<uintptr_t>(physical_address);
  if (driver == nullptr || value == nullptr || address < virt::kRomBase ||
      address > virt::kRomEnd - sizeof(DWORD))
    return false;
  *value = driver->pc->ReadPhysDword(static_cast<uint32_t>(address));
  return true;
}

}  // extern "C"
