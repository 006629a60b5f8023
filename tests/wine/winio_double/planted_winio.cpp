// A second winio.dll, different from the test double, for the loader's checks: it is put in
// the current folder and on PATH, where the program must never look. Loading it at all is the
// failure, so it reports itself as soon as it is mapped, and it never opens port access.

#include <windows.h>

#include "report.h"

namespace {

BOOL ReportLoaded(HINSTANCE module) {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(module, path, sizeof path);
  zanvo::winio_double::Report(std::string("planted copy loaded ") + path);
  return TRUE;
}

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  return reason == DLL_PROCESS_ATTACH ? ReportLoaded(module) : TRUE;
}

__declspec(dllexport) bool WINAPI InitializeWinIo() {
  return false;
}
__declspec(dllexport) void WINAPI ShutdownWinIo() {}
__declspec(dllexport) bool WINAPI GetPortVal(WORD, PDWORD, BYTE) {
  return false;
}
__declspec(dllexport) bool WINAPI SetPortVal(WORD, DWORD, BYTE) {
  return false;
}
__declspec(dllexport) bool WINAPI GetPhysLong(PBYTE, PDWORD) {
  return false;
}

}  // extern "C"
