#include "platform/linux/dev_mem.h"

#include <fcntl.h>
#include <unistd.h>

namespace zanvo::linux_pc {

DevMem::DevMem(const char* path) : fd_(open(path, O_RDONLY | O_CLOEXEC)) {}

DevMem::~DevMem() {
  if (fd_ >= 0) close(fd_);
}

uint32_t DevMem::ReadPhysDword(uint32_t address) {
  uint8_t bytes[4];
  if (fd_ < 0 || pread(fd_, bytes, sizeof bytes, static_cast<off_t>(address)) != 4) {
    return 0xFFFFFFFFu;
  }
  return uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 |
         uint32_t{bytes[3]} << 24;
}

}  // namespace zanvo::linux_pc
