#pragma once
// Physical memory through /dev/mem, for the video ROM at 0xC0000 (the kernel lets root read the
// first megabyte even with strict /dev/mem). A read that fails gives all ones, as unmapped
// memory does.

#include <cstdint>

#include "platform/physical_memory.h"

namespace zanvo::linux_pc {

class DevMem final : public PhysicalMemory {
 public:
  explicit DevMem(const char* path = "/dev/mem");
  ~DevMem() override;
  DevMem(const DevMem&) = delete;
  DevMem& operator=(const DevMem&) = delete;
  uint32_t ReadPhysDword(uint32_t address) override;

 private:
  int fd_ = -1;
};

}  // namespace zanvo::linux_pc
