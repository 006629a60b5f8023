#pragma once
// The PCI configuration space of the virtual PC, reached through configuration mechanism #1,
// mechanism #2 or not at all. Only function 0 of each device exists; absent devices, functions
// and buses read all ones. Configuration writes change nothing: the modelled devices show the
// identification and base-address registers the firmware left in them.
//
// Slots count devices across buses: slot = bus * 32 + device (buses 0-15), the order in which
// the engine's scan walks them.
//
// Mechanism #1 (ports 0xCF8-0xCFF):
//   0xCF8 dword: 31 enable  30-24 reserved  23-16 bus  15-11 device  10-8 function  7-2 register
//   0xCFC-0xCFF: the selected dword, any width; all ones while the enable bit is clear.
//   Only a dword write latches the address; byte and word accesses to 0xCF8-0xCFB pass to the
//   ISA bus, where nothing answers, so they read all ones and a probe for mechanism #2 fails.
// Mechanism #2:
//   0xCF8 byte, configuration space enable: 7-4 key (nonzero opens the window)  3-1 function
//   0xCFA byte, forward register: the bus the window reaches.
//   0xC000-0xCFFF while open: 11-8 device (0-15)  7-0 register.
//   Both registers read back as written; the window ports are plain I/O while the key is 0.

#include <cstdint>
#include <map>

#include "platform/virtual/cards/pci_identity.h"

namespace zanvo::virt {

enum class PciConfigMechanism : uint8_t { kNone, kMechanism1, kMechanism2 };

inline constexpr uint16_t kPortPciAddress = 0xCF8;  // mechanism #1 address, #2 enable
inline constexpr uint16_t kPortPciForward = 0xCFA;  // mechanism #2 forward register
inline constexpr uint16_t kPortPciData = 0xCFC;     // mechanism #1 data, 0xCFC-0xCFF
inline constexpr uint16_t kPortPciWindow = 0xC000;  // mechanism #2 window, 0xC000-0xCFFF

inline constexpr uint32_t kPciSlotsPerBus = 32;
inline constexpr uint32_t kPciBuses = 16;
inline constexpr uint32_t kPciSlots = kPciSlotsPerBus * kPciBuses;

class PciBus {
 public:
  explicit PciBus(PciConfigMechanism mechanism = PciConfigMechanism::kMechanism1)
      : mechanism_(mechanism) {}

  PciConfigMechanism mechanism() const { return mechanism_; }
  void SetMechanism(PciConfigMechanism mechanism);

  // Puts a device into a slot (replacing what was there); an identity that is not present
  // empties the slot. Slots past the last bus are ignored.
  void Place(uint32_t slot, const PciIdentity& identity);

  // A cheap test on the port number alone, so that VGA accesses pass by untouched.
  static bool MayDecode(uint16_t port) {
    return (port & 0xFFF8) == kPortPciAddress || (port & 0xF000) == kPortPciWindow;
  }
  // Whether the bus answers an access starting at `port` in its present state.
  bool Claims(uint16_t port) const;

  // An access of `width` bytes (1, 2 or 4) at a port the bus claims.
  uint32_t Read(uint16_t port, unsigned width) const;
  void Write(uint16_t port, unsigned width, uint32_t value);

  // Register `reg` (dword-aligned) of a device, as a configuration read sees it.
  uint32_t ConfigDword(uint32_t bus, uint32_t device, uint32_t function, uint8_t reg) const;

 private:
  uint8_t ReadByte(uint16_t port) const;
  void WriteByte(uint16_t port, uint8_t value);
  bool WindowOpen() const { return (enable_ & 0xF0) != 0; }

  PciConfigMechanism mechanism_;
  std::map<uint32_t, PciIdentity> slots_;
  uint32_t address_ = 0;  // mechanism #1 address latch
  uint8_t enable_ = 0;    // mechanism #2 configuration space enable
  uint8_t forward_ = 0;   // mechanism #2 forward register
};

}  // namespace zanvo::virt
