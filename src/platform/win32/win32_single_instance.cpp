#include "win32_single_instance.h"

#include <windows.h>

#include <string>

namespace zanvo::win32 {

InstanceResult Win32SingleInstance::Acquire(std::string_view name) {
  const std::string mutex_name(name);
  HANDLE mutex = ::CreateMutexA(nullptr, FALSE, mutex_name.c_str());
  if (mutex == nullptr) return InstanceResult::kFailed;
  // CreateMutexA opens an existing mutex of that name and says so through the last error (183).
  if (::GetLastError() == ERROR_ALREADY_EXISTS) {
    ::CloseHandle(mutex);
    return InstanceResult::kAlreadyRunning;
  }
  mutex_ = mutex;
  return InstanceResult::kFirst;
}

void Win32SingleInstance::Release() {
  // The last handle closed destroys the named mutex.
  if (mutex_ != nullptr) ::CloseHandle(static_cast<HANDLE>(mutex_));
  mutex_ = nullptr;
}

}  // namespace zanvo::win32
