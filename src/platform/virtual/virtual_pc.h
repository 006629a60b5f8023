#pragma once
// The virtual PC: a VGA card, the PC timer's channel 2 with port 0x61, the PCI configuration
// space with the card and any other devices in their slots, the card's video ROM at 0xC0000, and
// a simulated clock that every port access advances by one bus cycle, so busy-wait loops
// progress deterministically and fast. Unmapped ports read all ones and ignore writes.
//
// While a program only polls the status, nothing on the card changes: a read is answered from
// how long the raster keeps the bits the last one saw (see VgaCard::ReadPort), and a run of
// reads through InByteWhile moves the clock straight to where the bits it waits on change, the
// timer counting the same time. Every read returns what it would one by one.
//
// The bus model (bus_model.h) sets what an access costs and when the program loses the
// processor; the default is one bus cycle per access and no pause.

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/physical_memory.h"
#include "platform/port_io.h"
#include "platform/virtual/bus_model.h"
#include "platform/virtual/pci_bus.h"
#include "platform/virtual/cards/pci_identity.h"
#include "platform/virtual/pit.h"
#include "platform/virtual/cards/vga_card.h"

namespace zanvo::virt {

// Where the primary card sits unless told otherwise: bus 1, device 0, behind the host's
// bridge, as an AGP card does.
inline constexpr uint32_t kDefaultCardSlot = 32;

// The video ROM window in physical memory.
inline constexpr uint32_t kRomBase = 0xC0000;
inline constexpr uint32_t kRomEnd = 0xE0000;

struct PciSetup {
  PciConfigMechanism mechanism = PciConfigMechanism::kMechanism1;
  // Slot of the primary card when it shows itself on PCI. Mechanism #2 reaches devices 0-15 of
  // bus 0 only, so a machine with it wants a slot below 16.
  uint32_t card_slot = kDefaultCardSlot;
};

class VirtualPc final : public PortIo, public PhysicalMemory {
 public:
  explicit VirtualPc(std::unique_ptr<VgaCard> card, PciSetup pci = {});

  // Another adapter, its VGA ports disabled: visible on PCI only.
  void AddExtraCard(uint32_t slot, std::unique_ptr<VgaCard> card);
  // A device that is nothing but its configuration registers.
  void AddPciDevice(uint32_t slot, const PciIdentity& identity);
  // Changes the configuration mechanism; the devices stay in their slots.
  void SetPciMechanism(PciConfigMechanism mechanism) { pci_.SetMechanism(mechanism); }
  const PciBus& pci() const { return pci_; }

  uint8_t InByte(uint16_t port) override;
  uint16_t InWord(uint16_t port) override;
  uint32_t InDword(uint16_t port) override;
  void OutByte(uint16_t port, uint8_t value) override;
  void OutWord(uint16_t port, uint16_t value) override;
  void OutDword(uint16_t port, uint32_t value) override;
  // A run of status reads costs a step for each change of the bits asked about.
  uint32_t InByteWhile(uint16_t port, uint8_t mask, uint8_t unchanged, uint32_t max_reads,
                       uint8_t& last) override;

  uint32_t ReadPhysDword(uint32_t address) override;

  VgaCard& card() { return *card_; }
  const VgaCard& card() const { return *card_; }

  // From now on: each access costs what `model` says, and the program loses the processor at
  // its moments, which count from now (retraces on the picture the card sends now).
  void SetBusModel(const BusModel& model);
  const BusModel& bus_model() const { return bus_model_; }

  uint64_t now_ps() const { return now_ps_; }
  void Advance(uint64_t ps) { now_ps_ += ps; }
  // A broken PC timer: from now on its input clock stands still, so channel 2 never counts (the
  // ports still answer). What the program does on such a machine.
  void StopTimer() {
    if (!timer_stopped_) timer_stopped_at_ps_ = now_ps_;
    timer_stopped_ = true;
  }
  uint64_t port_accesses() const { return accesses_; }

 private:
  // A status read that the card answers from its steady stretch: nothing else to route.
  bool RepeatsSteadyStatus(uint16_t port) const {
    return card_ && !RoutesToPci(port) && card_->RepeatsSteadyStatus(port, now_ps_);
  }
  // The port-number test first, so that VGA accesses pay one compare.
  bool RoutesToPci(uint16_t port) const { return PciBus::MayDecode(port) && pci_.Claims(port); }
  uint8_t ReadByteNoTick(uint16_t port);
  void WriteByteNoTick(uint16_t port, uint8_t value);
  void Tick() {
    now_ps_ += bus_.NextCost();
    ++accesses_;
  }
  // The pauses due before an access: the program gets the processor back later.
  void CatchPauses() {
    while (now_ps_ >= bus_.next_pause_ps() && bus_.next_pause_ps() != UINT64_MAX) {
      now_ps_ += bus_.TakePause();
    }
  }
  uint64_t timer_time_ps() const { return timer_stopped_ ? timer_stopped_at_ps_ : now_ps_; }

  std::unique_ptr<VgaCard> card_;
  std::vector<std::unique_ptr<VgaCard>> extra_cards_;
  PciBus pci_;
  Pit pit_;
  BusModel bus_model_;
  BusClock bus_;
  uint64_t now_ps_ = 0;
  uint64_t accesses_ = 0;
  bool timer_stopped_ = false;
  uint64_t timer_stopped_at_ps_ = 0;
};

}  // namespace zanvo::virt
