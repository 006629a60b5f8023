#pragma once
// The virtual PC: a VGA card, the PC timer's channel 2 with port 0x61, and a simulated clock
// that every port access advances by one bus cycle, so busy-wait loops progress
// deterministically and fast. Unmapped ports read all ones and ignore writes.

#include <cstdint>
#include <memory>

#include "platform/physical_memory.h"
#include "platform/port_io.h"
#include "platform/virtual/pit.h"
#include "platform/virtual/vga_card.h"

namespace zanvo::virt {

// One ISA bus cycle, in picoseconds.
inline constexpr uint64_t kBusCyclePs = 1'000'000;

class VirtualPc final : public PortIo, public PhysicalMemory {
 public:
  explicit VirtualPc(std::unique_ptr<VgaCard> card);

  uint8_t InByte(uint16_t port) override;
  uint16_t InWord(uint16_t port) override;
  uint32_t InDword(uint16_t port) override;
  void OutByte(uint16_t port, uint8_t value) override;
  void OutWord(uint16_t port, uint16_t value) override;
  void OutDword(uint16_t port, uint32_t value) override;

  uint32_t ReadPhysDword(uint32_t address) override;

  VgaCard& card() { return *card_; }
  const VgaCard& card() const { return *card_; }

  uint64_t now_ps() const { return now_ps_; }
  void Advance(uint64_t ps) { now_ps_ += ps; }
  uint64_t port_accesses() const { return accesses_; }

 private:
  uint8_t ReadByteNoTick(uint16_t port);
  void WriteByteNoTick(uint16_t port, uint8_t value);
  void Tick();

  std::unique_ptr<VgaCard> card_;
  Pit pit_;
  uint64_t now_ps_ = 0;
  uint64_t accesses_ = 0;
};

}  // namespace zanvo::virt
