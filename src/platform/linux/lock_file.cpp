#include "platform/linux/lock_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace zanvo::linux_pc {

InstanceResult LockFile::Acquire(std::string_view name) {
  if (fd_ >= 0) return InstanceResult::kFirst;
  const std::string path = directory_ + "/" + std::string(name) + ".lock";
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return InstanceResult::kFailed;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    close(fd);
    return error == EWOULDBLOCK ? InstanceResult::kAlreadyRunning : InstanceResult::kFailed;
  }
  fd_ = fd;
  return InstanceResult::kFirst;
}

void LockFile::Release() {
  if (fd_ < 0) return;
  flock(fd_, LOCK_UN);
  close(fd_);
  fd_ = -1;
}

}  // namespace zanvo::linux_pc
