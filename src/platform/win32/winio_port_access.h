#pragma once
// Port access, port I/O and physical-memory reads through winio.dll. Until the driver is open
// (and again after Shutdown) writes do nothing and reads give all ones, as an empty bus does.

#include <cstdint>

#include "platform/physical_memory.h"
#include "platform/port_access.h"
#include "platform/port_io.h"
#include "winio_library.h"

namespace zanvo::win32 {

class WinIoPortAccess final : public PortAccess, public PortIo, public PhysicalMemory {
 public:
  WinIoPortAccess() = default;
  ~WinIoPortAccess() override { Shutdown(); }

  // Loads the library from the program's folder and opens its driver: true only when all five
  // functions were found and InitializeWinIo succeeded.
  bool Initialize() override;
  // Closes the driver (if open) and unloads the library; harmless when nothing was opened.
  void Shutdown() override;
  bool ready() const { return ready_; }

  uint8_t InByte(uint16_t port) override;
  uint16_t InWord(uint16_t port) override;
  uint32_t InDword(uint16_t port) override;
  void OutByte(uint16_t port, uint8_t value) override;
  void OutWord(uint16_t port, uint16_t value) override;
  void OutDword(uint16_t port, uint32_t value) override;

  uint32_t ReadPhysDword(uint32_t address) override;

 private:
  // Size is the access width in bytes (1, 2 or 4), as WinIo takes it.
  uint32_t In(uint16_t port, uint8_t size);
  void Out(uint16_t port, uint32_t value, uint8_t size);

  WinIoLibrary library_;
  bool ready_ = false;
};

}  // namespace zanvo::win32
