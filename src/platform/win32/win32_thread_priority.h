#pragma once
// The processor held for a measurement: the calling thread at time-critical priority, its own
// priority given back on release.

#include <windows.h>

#include "platform/processor_hold.h"

namespace zanvo::win32 {

class Win32ThreadPriority final : public ProcessorHold {
 public:
  void Hold() override;
  void Release() override;

 private:
  HANDLE thread_ = nullptr;
  int saved_ = THREAD_PRIORITY_ERROR_RETURN;
};

}  // namespace zanvo::win32
