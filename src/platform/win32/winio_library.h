#pragma once
// winio.dll, loaded at run time from the program's own folder. The program runs elevated, so the
// library is never looked up in the current folder or along PATH, where anyone could plant one.

#include <windows.h>

#include <string>

namespace zanvo::win32 {

// The five entry points the program uses, as the library exports them (stdcall, C++ bool).
struct WinIoFunctions {
  using InitializeFn = bool(WINAPI*)();
  using ShutdownFn = void(WINAPI*)();
  using GetPortValFn = bool(WINAPI*)(WORD port, PDWORD value, BYTE size);
  using SetPortValFn = bool(WINAPI*)(WORD port, DWORD value, BYTE size);
  using GetPhysLongFn = bool(WINAPI*)(PBYTE address, PDWORD value);

  InitializeFn InitializeWinIo = nullptr;
  ShutdownFn ShutdownWinIo = nullptr;
  GetPortValFn GetPortVal = nullptr;
  SetPortValFn SetPortVal = nullptr;
  GetPhysLongFn GetPhysLong = nullptr;
};

// The folder of the running program's .exe, ending in a backslash; empty when it is unknown.
std::string ModuleFolder();

class WinIoLibrary {
 public:
  WinIoLibrary() = default;
  WinIoLibrary(const WinIoLibrary&) = delete;
  WinIoLibrary& operator=(const WinIoLibrary&) = delete;
  ~WinIoLibrary() { Unload(); }

  // Loads <program folder>\winio.dll and resolves all five functions; false (and nothing kept
  // loaded) when the file is missing or an export is absent.
  bool Load();
  void Unload();

  bool loaded() const { return module_ != nullptr; }
  const WinIoFunctions& functions() const { return functions_; }

 private:
  HMODULE module_ = nullptr;
  WinIoFunctions functions_;
};

}  // namespace zanvo::win32
