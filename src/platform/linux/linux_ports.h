#pragma once
// The PC's own I/O ports under Linux: iopl(3) opens all 65 536 of them to this process (the
// chips' extension ports and the PCI configuration ports lie above the 0x3FF that ioperm
// reaches), and inb/outb reach them. x86 only; elsewhere opening fails with a message.

#include <cstdint>
#include <string>

#include "platform/port_access.h"
#include "platform/port_io.h"

namespace zanvo::linux_pc {

class LinuxPortAccess final : public PortAccess {
 public:
  bool Initialize() override;
  void Shutdown() override;
  // Why Initialize failed, for the user (empty after a success).
  const std::string& failure() const { return failure_; }

 private:
  bool open_ = false;
  std::string failure_;
};

class LinuxPorts final : public PortIo {
 public:
  uint8_t InByte(uint16_t port) override;
  uint16_t InWord(uint16_t port) override;
  uint32_t InDword(uint16_t port) override;
  void OutByte(uint16_t port, uint8_t value) override;
  void OutWord(uint16_t port, uint16_t value) override;
  void OutDword(uint16_t port, uint32_t value) override;
};

}  // namespace zanvo::linux_pc
