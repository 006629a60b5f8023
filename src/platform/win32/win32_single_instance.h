#pragma once
// The running-copy marker: a named kernel mutex, created not owned.

#include "platform/single_instance.h"

namespace zanvo::win32 {

class Win32SingleInstance final : public SingleInstance {
 public:
  // The handle is never closed: the mutex marks this copy until the process ends.
  InstanceResult Acquire(std::string_view name) override;
};

}  // namespace zanvo::win32
