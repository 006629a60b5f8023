#pragma once
// Reads of physical memory, used for the video ROM at 0xC0000.

#include <cstdint>

namespace zanvo {

class PhysicalMemory {
 public:
  virtual ~PhysicalMemory() = default;
  // 32 bits, little-endian, at a physical address; unmapped memory reads all ones.
  virtual uint32_t ReadPhysDword(uint32_t address) = 0;
};

}  // namespace zanvo
