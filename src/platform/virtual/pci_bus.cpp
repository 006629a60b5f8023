#include "platform/virtual/pci_bus.h"

namespace zanvo::virt {

namespace {

inline constexpr uint32_t kAllOnes = 0xFFFFFFFF;
inline constexpr uint8_t kFloating = 0xFF;

// Mechanism #1 address latch: the bits a chipset keeps (enable, bus, device, function, dword
// register); the reserved bits 30-24 and the type bits 1-0 read back as 0.
inline constexpr uint32_t kAddressEnable = 0x80000000;
inline constexpr uint32_t kAddressKept = 0x80FFFFFC;

// Configuration header, type 0.
inline constexpr uint8_t kRegId = 0x00;             // device << 16 | vendor
inline constexpr uint8_t kRegCommandStatus = 0x04;  // I/O and memory decoding on
inline constexpr uint8_t kRegClassRevision = 0x08;  // class << 16 | prog-if << 8 | revision
inline constexpr uint8_t kRegBar1 = 0x14;
inline constexpr uint32_t kCommandIoMemory = 0x00000003;

inline constexpr uint16_t kWindowLast = 0xCFFF;

}  // namespace

void PciBus::SetMechanism(PciConfigMechanism mechanism) {
  mechanism_ = mechanism;
  address_ = 0;
  enable_ = 0;
  forward_ = 0;
}

void PciBus::Place(uint32_t slot, const PciIdentity& identity) {
  if (slot >= kPciSlots) return;
  if (identity.present) {
    slots_[slot] = identity;
  } else {
    slots_.erase(slot);
  }
}

bool PciBus::Claims(uint16_t port) const {
  switch (mechanism_) {
    case PciConfigMechanism::kNone:
      return false;
    case PciConfigMechanism::kMechanism1:
      return (port & 0xFFF8) == kPortPciAddress;
    case PciConfigMechanism::kMechanism2:
      // 0xCF8 and 0xCFA are the two registers; 0xCF9 and 0xCFB are decoded but empty.
      if (port >= kPortPciAddress && port <= kPortPciForward + 1) return true;
      return WindowOpen() && port >= kPortPciWindow && port <= kWindowLast;
  }
  return false;
}

uint32_t PciBus::ConfigDword(uint32_t bus, uint32_t device, uint32_t function, uint8_t reg) const {
  if (bus >= kPciBuses || device >= kPciSlotsPerBus || function != 0) return kAllOnes;
  const auto it = slots_.find(bus * kPciSlotsPerBus + device);
  if (it == slots_.end()) return kAllOnes;
  const PciIdentity& id = it->second;
  switch (reg & 0xFC) {
    case kRegId:
      return uint32_t{id.vendor} | (uint32_t{id.device} << 16);
    case kRegCommandStatus:
      return kCommandIoMemory;
    case kRegClassRevision:
      return id.class_code << 16;
    case kRegBar1:
      return id.bar_0x14;
    default:
      return 0;
  }
}

uint8_t PciBus::ReadByte(uint16_t port) const {
  if (mechanism_ == PciConfigMechanism::kMechanism1) {
    if (port < kPortPciData || port > kPortPciData + 3) return kFloating;
    if ((address_ & kAddressEnable) == 0) return kFloating;
    const uint32_t dword = ConfigDword((address_ >> 16) & 0xFF, (address_ >> 11) & 0x1F,
                                       (address_ >> 8) & 0x07, static_cast<uint8_t>(address_));
    return static_cast<uint8_t>(dword >> (8 * (port - kPortPciData)));
  }
  if (mechanism_ == PciConfigMechanism::kMechanism2) {
    if (port == kPortPciAddress) return enable_;
    if (port == kPortPciForward) return forward_;
    if (!WindowOpen() || port < kPortPciWindow || port > kWindowLast) return kFloating;
    const uint8_t reg = static_cast<uint8_t>(port);
    const uint32_t dword = ConfigDword(forward_, (port >> 8) & 0x0F, (enable_ >> 1) & 0x07, reg);
    return static_cast<uint8_t>(dword >> (8 * (reg & 3)));
  }
  return kFloating;
}

void PciBus::WriteByte(uint16_t port, uint8_t value) {
  if (mechanism_ != PciConfigMechanism::kMechanism2) return;
  if (port == kPortPciAddress) enable_ = value;
  if (port == kPortPciForward) forward_ = value;
}

uint32_t PciBus::Read(uint16_t port, unsigned width) const {
  if (mechanism_ == PciConfigMechanism::kMechanism1 && port == kPortPciAddress && width == 4) {
    return address_;
  }
  uint32_t value = 0;
  for (unsigned i = 0; i < width && i < 4; ++i) {
    value |= uint32_t{ReadByte(static_cast<uint16_t>(port + i))} << (8 * i);
  }
  return value;
}

void PciBus::Write(uint16_t port, unsigned width, uint32_t value) {
  if (mechanism_ == PciConfigMechanism::kMechanism1) {
    if (port == kPortPciAddress && width == 4) address_ = value & kAddressKept;
    return;
  }
  for (unsigned i = 0; i < width && i < 4; ++i) {
    WriteByte(static_cast<uint16_t>(port + i), static_cast<uint8_t>(value >> (8 * i)));
  }
}

}  // namespace zanvo::virt
