#include "engine/pci_scan.h"

#include <algorithm>
#include <array>

#include "engine/engine_port.h"
#include "engine/engine_state.h"

namespace zanvo::engine {

namespace {

// Mechanism #1: a dword written to 0xCF8 selects bus, device, function and register
// (31 enable  23-16 bus  15-11 device  10-8 function  7-2 register); 0xCFC returns the data.
inline constexpr uint16_t kPciAddressPort = 0xCF8;
inline constexpr uint16_t kPciDataPort = 0xCFC;
inline constexpr uint32_t kPciEnable = 0x80000000;
inline constexpr uint32_t kMech1SlotStride = 2048;  // slot s = bus * 32 + device, at bits 11+
// Mechanism #2: 0xCF8 is the configuration space enable (key in bits 7-4), 0xCFA the forward
// (bus) register; while the key is set, port 0xC000 | device << 8 | register reaches the device.
inline constexpr uint16_t kPciForwardPort = 0xCFA;
inline constexpr uint16_t kPciWindowBase = 0xC000;
inline constexpr uint16_t kMech2SlotStride = 256;
inline constexpr uint8_t kMech2Open = 0x80;  // key 8, function 0
inline constexpr uint8_t kMech2Closed = 0x00;
inline constexpr uint8_t kBus0 = 0x00;

// Configuration registers.
inline constexpr uint8_t kRegId = 0x00;     // device << 16 | vendor
inline constexpr uint8_t kRegClass = 0x08;  // class code in bits 31-16 (base << 8 | sub)
inline constexpr uint8_t kRegIoBase = 0x14;
inline constexpr uint32_t kNoDevice = 0xFFFFFFFF;
inline constexpr uint16_t kClassVgaDisplay = 0x0300;
// The I/O base register's low byte holds the I/O-space indicator and the low address bits the
// 256-byte block does not decode.
inline constexpr uint16_t kIoBaseMask = 0xFF00;

inline constexpr uint16_t kVendorIntel = 0x8086;
inline constexpr uint16_t kVendorSiS = 0x1039;
inline constexpr uint16_t kVendorATI = 0x1002;
inline constexpr std::array<uint16_t, 4> kIntelDevices = {0x1102, 0x1112, 0x1132, 0x7800};
inline constexpr std::array<uint16_t, 6> kSiSDevices = {0x0300, 0x6326, 0x6225,
                                                        0x0205, 0x0002, 0x0200};
// The SiS 630/730 integrated display carries the 300's register set.
inline constexpr uint16_t kSiS630Device = 0x6300;

template <size_t N>
bool Contains(const std::array<uint16_t, N>& ids, uint16_t id) {
  return std::find(ids.begin(), ids.end(), id) != ids.end();
}

uint32_t ReadConfigDword(uint32_t slot, uint8_t reg) {
  PortIo& io = Port();
  if (Eng.PciMechanism == kPciMechanism1) {
    io.OutDword(kPciAddressPort, kPciEnable + slot * kMech1SlotStride + reg);
    return io.InDword(kPciDataPort);
  }
  return io.InDword(static_cast<uint16_t>(kPciWindowBase + slot * kMech2SlotStride + reg));
}

uint16_t ReadConfigWord(uint32_t slot, uint8_t reg) {
  PortIo& io = Port();
  if (Eng.PciMechanism == kPciMechanism1) {
    io.OutDword(kPciAddressPort, kPciEnable + slot * kMech1SlotStride + reg);
    return io.InWord(kPciDataPort);
  }
  return io.InWord(static_cast<uint16_t>(kPciWindowBase + slot * kMech2SlotStride + reg));
}

// One walk down from PciCursor; true when it stopped at an accepted adapter.
bool WalkToNextAdapter() {
  if (Eng.PciMechanism != kPciMechanism1 && Eng.PciMechanism != kPciMechanism2) return false;
  PortIo& io = Port();
  const bool mechanism2 = Eng.PciMechanism == kPciMechanism2;
  if (mechanism2) {
    io.OutByte(kPciAddressPort, kMech2Open);
    io.OutByte(kPciForwardPort, kBus0);
  }
  bool matched = false;
  // The cursor may hold the other mechanism's top (a search restores it): never walk past the
  // slots this mechanism has.
  for (uint32_t slot = std::min(Eng.PciCursor, PciTop()); slot-- > 0;) {
    const uint32_t id = ReadConfigDword(slot, kRegId);
    if (id == kNoDevice) continue;
    Eng.PciCursor = slot;
    if (PciMatchDevice(slot, static_cast<uint16_t>(id), static_cast<uint16_t>(id >> 16))) {
      matched = true;
      break;
    }
  }
  if (mechanism2) io.OutByte(kPciAddressPort, kMech2Closed);
  return matched;
}

}  // namespace

uint32_t PciTop() {
  return Eng.PciMechanism == kPciMechanism1 ? kPciSlotsMechanism1 : kPciSlotsMechanism2;
}

void PciProbeMechanism() {
  PortIo& io = Port();
  io.OutByte(kPciAddressPort, 0x00);
  io.OutByte(kPciForwardPort, 0x00);
  const uint8_t enable = io.InByte(kPciAddressPort);
  const uint8_t forward = io.InByte(kPciForwardPort);
  if (enable == 0x00 && forward == 0x00) {
    Eng.PciMechanism = kPciMechanism2;
    return;
  }
  const uint32_t saved = io.InDword(kPciAddressPort);
  io.OutDword(kPciAddressPort, kPciEnable);
  if (io.InDword(kPciAddressPort) == kPciEnable) {
    Eng.PciMechanism = kPciMechanism1;
    return;
  }
  io.OutDword(kPciAddressPort, saved);
}

void PciScanNext() {
  WalkToNextAdapter();
}

bool PciMatchDevice(uint32_t slot, uint16_t vendor_id, uint16_t device_id) {
  const uint16_t class_code = static_cast<uint16_t>(ReadConfigDword(slot, kRegClass) >> 16);
  if (class_code != kClassVgaDisplay) return false;

  if (vendor_id == kVendorIntel) {
    if (!Contains(kIntelDevices, device_id)) return false;
    Eng.ChipFamily = cfIntel;
    Eng.ChipModel = device_id;
    return true;
  }
  if (vendor_id == kVendorSiS) {
    if (device_id == kSiS630Device) {
      Eng.ChipFamily = cfSiS;
      Eng.ChipModel = kModelSiS300;
      return true;
    }
    if (!Contains(kSiSDevices, device_id)) return false;
    Eng.ChipFamily = cfSiS;
    Eng.ChipModel = device_id;
    return true;
  }
  if (vendor_id == kVendorATI) {
    Eng.ChipFamily = cfATI;
    Eng.ChipModel = device_id;
    Eng.ExtIoBase = static_cast<uint16_t>(ReadConfigWord(slot, kRegIoBase) & kIoBaseMask);
    return true;
  }
  return false;
}

void FindAdapter() {
  const uint32_t saved_cursor = Eng.PciCursor;
  const uint8_t wanted_family = Eng.ChipFamily;
  const uint16_t wanted_model = Eng.ChipModel;
  if (Eng.PciMechanism == kPciMechanismNone) PciProbeMechanism();
  Eng.PciCursor = PciTop();

  bool found = false;
  // Every walk starts below the previous match, so the loop ends after at most one walk per slot.
  while (WalkToNextAdapter()) {
    if (Eng.ChipFamily == wanted_family && (wanted_model == 0 || Eng.ChipModel == wanted_model)) {
      found = true;
      break;
    }
    if (Eng.PciCursor == 0) break;
  }
  if (!found) Eng.ExtIoBase = 0;
  Eng.PciCursor = saved_cursor;
}

}  // namespace zanvo::engine
