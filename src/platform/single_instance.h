#pragma once
// The named mutex that marks a running copy (CreateMutexA, not owned, then GetLastError).

#include <string_view>

namespace zanvo {

enum class InstanceResult {
  kFirst,           // the mutex was created; it is held for the life of the process
  kAlreadyRunning,  // ERROR_ALREADY_EXISTS
  kFailed,          // no handle
};

class SingleInstance {
 public:
  virtual ~SingleInstance() = default;
  virtual InstanceResult Acquire(std::string_view name) = 0;
  // Gives up the marker this copy acquired, so that another copy can be the first.
  virtual void Release() = 0;
};

}  // namespace zanvo
