#pragma once
// How a card shows itself on the PCI bus (function 0 only).

#include <cstdint>

namespace zanvo::virt {

struct PciIdentity {
  bool present = false;  // false: an ISA/VLB card, invisible to PCI configuration cycles
  uint16_t vendor = 0xFFFF;
  uint16_t device = 0xFFFF;
  uint32_t class_code = 0;  // base class << 8 | sub class, e.g. 0x0300 for a VGA display
  uint32_t bar_0x14 = 0;    // configuration register 0x14 (the second base address)
};

}  // namespace zanvo::virt
