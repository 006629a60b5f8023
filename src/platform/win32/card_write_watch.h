#pragma once
// The virtual PC as the program's port and memory access, telling whoever watches after each
// write: the Virtual TV redraws when the program reprograms the card. Reads pass straight on.

#include <functional>
#include <utility>

#include "platform/physical_memory.h"
#include "platform/port_io.h"
#include "platform/virtual/virtual_pc.h"

namespace zanvo::win32 {

class CardWriteWatch final : public PortIo, public PhysicalMemory {
 public:
  explicit CardWriteWatch(virt::VirtualPc& pc) : pc_(pc) {}
  void SetOnWrite(std::function<void()> on_write) { on_write_ = std::move(on_write); }

  uint8_t InByte(uint16_t port) override { return pc_.InByte(port); }
  uint16_t InWord(uint16_t port) override { return pc_.InWord(port); }
  uint32_t InDword(uint16_t port) override { return pc_.InDword(port); }
  uint32_t InByteWhile(uint16_t port, uint8_t mask, uint8_t unchanged, uint32_t max_reads,
                       uint8_t& last) override {
    return pc_.InByteWhile(port, mask, unchanged, max_reads, last);
  }
  void OutByte(uint16_t port, uint8_t value) override {
    pc_.OutByte(port, value);
    Written();
  }
  void OutWord(uint16_t port, uint16_t value) override {
    pc_.OutWord(port, value);
    Written();
  }
  void OutDword(uint16_t port, uint32_t value) override {
    pc_.OutDword(port, value);
    Written();
  }
  uint32_t ReadPhysDword(uint32_t address) override { return pc_.ReadPhysDword(address); }

 private:
  void Written() {
    if (on_write_) on_write_();
  }

  virt::VirtualPc& pc_;
  std::function<void()> on_write_;
};

}  // namespace zanvo::win32
