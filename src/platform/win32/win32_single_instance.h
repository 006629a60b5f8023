#pragma once
// The running-copy marker: a named kernel mutex, created not owned.

#include "platform/single_instance.h"

namespace zanvo::win32 {

class Win32SingleInstance final : public SingleInstance {
 public:
  // The handle is kept: the mutex marks this copy until the process ends or it is released.
  InstanceResult Acquire(std::string_view name) override;
  void Release() override;

 private:
  void* mutex_ = nullptr;
};

}  // namespace zanvo::win32
