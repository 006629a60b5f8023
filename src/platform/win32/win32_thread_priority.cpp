#include "platform/win32/win32_thread_priority.h"

namespace zanvo::win32 {

void Win32ThreadPriority::Hold() {
  thread_ = GetCurrentThread();
  saved_ = GetThreadPriority(thread_);
  // Without the old priority there is nothing to give back: leave it as it is.
  if (saved_ == THREAD_PRIORITY_ERROR_RETURN) return;
  SetThreadPriority(thread_, THREAD_PRIORITY_TIME_CRITICAL);
}

void Win32ThreadPriority::Release() {
  if (saved_ == THREAD_PRIORITY_ERROR_RETURN) return;
  SetThreadPriority(thread_, saved_);
  saved_ = THREAD_PRIORITY_ERROR_RETURN;
}

}  // namespace zanvo::win32
