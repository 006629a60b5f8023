#include "winio_port_access.h"

namespace zanvo::win32 {

bool WinIoPortAccess::Initialize() {
  if (ready_) return true;
  if (!library_.Load()) return false;
  ready_ = library_.functions().InitializeWinIo();
  if (!ready_) library_.Unload();
  return ready_;
}

void WinIoPortAccess::Shutdown() {
  if (ready_) library_.functions().ShutdownWinIo();
  ready_ = false;
  library_.Unload();
}

uint32_t WinIoPortAccess::In(uint16_t port, uint8_t size) {
  DWORD value = 0xFFFFFFFF;
  if (!ready_ || !library_.functions().GetPortVal(port, &value, size)) return 0xFFFFFFFF;
  return value;
}

void WinIoPortAccess::Out(uint16_t port, uint32_t value, uint8_t size) {
  if (ready_) library_.functions().SetPortVal(port, value, size);
}

uint8_t WinIoPortAccess::InByte(uint16_t port) {
  return static_cast<uint8_t>(In(port, 1));
}

uint16_t WinIoPortAccess::InWord(uint16_t port) {
  return static_cast<uint16_t>(In(port, 2));
}

uint32_t WinIoPortAccess::InDword(uint16_t port) {
  return In(port, 4);
}

void WinIoPortAccess::OutByte(uint16_t port, uint8_t value) {
  Out(port, value, 1);
}

// One 16-bit OUT: the index reaches `port`, the value `port + 1`, in the same bus cycle.
void WinIoPortAccess::OutWord(uint16_t port, uint16_t value) {
  Out(port, value, 2);
}

void WinIoPortAccess::OutDword(uint16_t port, uint32_t value) {
  Out(port, value, 4);
}

uint32_t WinIoPortAccess::ReadPhysDword(uint32_t address) {
  DWORD value = 0xFFFFFFFF;
  // WinIo takes the physical address in a byte-pointer argument; it is a number, not a pointer
  // into this process.
  auto* physical = reinterpret_cast<PBYTE>(static_cast<uintptr_t>(address));
  if (!ready_ || !library_.functions().GetPhysLong(physical, &value)) return 0xFFFFFFFF;
  return value;
}

}  // namespace zanvo::win32
