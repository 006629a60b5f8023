#pragma once
// One running copy: an exclusive flock on a file in the program's private directory, held for
// the life of the process (the kernel drops it when the process ends, however it ends).

#include <string>

#include "platform/single_instance.h"

namespace zanvo::linux_pc {

class LockFile final : public SingleInstance {
 public:
  explicit LockFile(std::string directory) : directory_(std::move(directory)) {}
  ~LockFile() override { Release(); }
  LockFile(const LockFile&) = delete;
  LockFile& operator=(const LockFile&) = delete;
  // `name` names the lock file in the directory.
  InstanceResult Acquire(std::string_view name) override;
  void Release() override;

 private:
  std::string directory_;
  int fd_ = -1;
};

}  // namespace zanvo::linux_pc
