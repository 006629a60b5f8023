#include "platform/virtual/virtual_pc.h"

#include <algorithm>
#include <utility>

namespace zanvo::virt {

namespace {

bool IsPitPort(uint16_t port) {
  return port == kPortPitChannel2 || port == kPortPitCommand || port == kPortSystemControlB;
}

}  // namespace

VirtualPc::VirtualPc(std::unique_ptr<VgaCard> card, PciSetup pci)
    : card_(std::move(card)), pci_(pci.mechanism) {
  if (card_) pci_.Place(pci.card_slot, card_->pci_identity());
}

void VirtualPc::AddExtraCard(uint32_t slot, std::unique_ptr<VgaCard> card) {
  if (!card) return;
  pci_.Place(slot, card->pci_identity());
  extra_cards_.push_back(std::move(card));
}

void VirtualPc::AddPciDevice(uint32_t slot, const PciIdentity& identity) {
  pci_.Place(slot, identity);
}

void VirtualPc::SetBusModel(const BusModel& model) {
  std::vector<Pause> chosen;
  for (const Stall& stall : model.stalls) {
    uint64_t base = now_ps_;
    if (stall.retrace != 0) {
      base = card_ ? card_->RetraceStart(now_ps_, stall.retrace) : UINT64_MAX;
      if (base == UINT64_MAX) continue;
    }
    uint64_t at = base;
    if (stall.at_ps >= 0) {
      const auto later = static_cast<uint64_t>(stall.at_ps);
      at = base > UINT64_MAX - later ? UINT64_MAX - 1 : base + later;
    } else {
      const uint64_t earlier = 0 - static_cast<uint64_t>(stall.at_ps);
      at = base - now_ps_ > earlier ? base - earlier : now_ps_;
    }
    chosen.push_back({at, stall.length_ps});
  }
  bus_model_ = model;
  bus_ = BusClock(model, now_ps_, std::move(chosen));
}

uint8_t VirtualPc::ReadByteNoTick(uint16_t port) {
  if (IsPitPort(port)) return pit_.Read(port, timer_time_ps());
  if (card_) return card_->ReadPort(port, now_ps_);
  return 0xFF;
}

void VirtualPc::WriteByteNoTick(uint16_t port, uint8_t value) {
  if (IsPitPort(port)) {
    pit_.Write(port, value, timer_time_ps());
  } else if (card_) {
    card_->WritePort(port, value);
  }
}

// A word or dword access to byte-wide devices reaches port, port + 1, ... in turn, low byte
// first, within the one bus cycle. The PCI host bridge sees the access whole first: mechanism #1
// latches its address only from a dword write.
uint8_t VirtualPc::InByte(uint16_t port) {
  CatchPauses();
  if (RepeatsSteadyStatus(port)) {
    Tick();
    return card_->steady_status();
  }
  if (RoutesToPci(port)) {
    Tick();
    return static_cast<uint8_t>(pci_.Read(port, 1));
  }
  const uint8_t value = ReadByteNoTick(port);
  Tick();
  return value;
}

// After a status read whose bits under the mask were unchanged, the reads that follow inside
// the stretch where those bits hold, and before the program loses the processor, get them too
// and change nothing on the card: the first read already reset the attribute flip-flop and
// refreshed the timing. The run is counted and the clock moved over it at once (on an uneven bus
// read by read, each access drawing its cost as a single read would); the last byte is what the
// raster shows at the last read.
uint32_t VirtualPc::InByteWhile(uint16_t port, uint8_t mask, uint8_t unchanged,
                                uint32_t max_reads, uint8_t& last) {
  uint32_t reads = 0;
  while (reads < max_reads) {
    CatchPauses();
    const uint64_t at = now_ps_;
    last = InByte(port);
    ++reads;
    if ((last & mask) != unchanged) break;
    if (!card_ || RoutesToPci(port) || port != card_->status_port()) continue;
    // Reads that begin before `until` are steady and no pause comes before them.
    const uint64_t until = std::min(card_->StatusSteadyUntil(at, mask), bus_.next_pause_ps());
    if (until <= now_ps_) continue;
    const uint32_t room = max_reads - reads;
    uint32_t run = 0;
    uint64_t last_at = now_ps_;
    if (bus_.even()) {
      const uint64_t cost = bus_.read_cost_ps();
      const uint64_t fit = (until - now_ps_ - 1) / cost + 1;  // at now, now + cost, ... < until
      run = fit < room ? static_cast<uint32_t>(fit) : room;
      if (run == 0) continue;
      last_at = now_ps_ + uint64_t{run - 1} * cost;
      now_ps_ += uint64_t{run} * cost;
    } else {
      while (run < room && now_ps_ < until) {
        last_at = now_ps_;
        now_ps_ += bus_.NextCost();
        ++run;
      }
      if (run == 0) continue;
    }
    accesses_ += run;
    reads += run;
    last = card_->PeekInputStatus1(last_at);
  }
  return reads;
}

uint16_t VirtualPc::InWord(uint16_t port) {
  CatchPauses();
  if (RoutesToPci(port)) {
    Tick();
    return static_cast<uint16_t>(pci_.Read(port, 2));
  }
  const uint8_t low = ReadByteNoTick(port);
  const uint8_t high = ReadByteNoTick(static_cast<uint16_t>(port + 1));
  Tick();
  return static_cast<uint16_t>(low | (high << 8));
}

uint32_t VirtualPc::InDword(uint16_t port) {
  CatchPauses();
  if (RoutesToPci(port)) {
    Tick();
    return pci_.Read(port, 4);
  }
  uint32_t value = 0;
  for (int i = 0; i < 4; ++i) {
    value |= static_cast<uint32_t>(ReadByteNoTick(static_cast<uint16_t>(port + i))) << (8 * i);
  }
  Tick();
  return value;
}

void VirtualPc::OutByte(uint16_t port, uint8_t value) {
  CatchPauses();
  if (RoutesToPci(port)) {
    pci_.Write(port, 1, value);
    Tick();
    return;
  }
  WriteByteNoTick(port, value);
  Tick();
}

void VirtualPc::OutWord(uint16_t port, uint16_t value) {
  CatchPauses();
  if (RoutesToPci(port)) {
    pci_.Write(port, 2, value);
    Tick();
    return;
  }
  WriteByteNoTick(port, static_cast<uint8_t>(value & 0xFF));
  WriteByteNoTick(static_cast<uint16_t>(port + 1), static_cast<uint8_t>(value >> 8));
  Tick();
}

void VirtualPc::OutDword(uint16_t port, uint32_t value) {
  CatchPauses();
  if (RoutesToPci(port)) {
    pci_.Write(port, 4, value);
    Tick();
    return;
  }
  for (int i = 0; i < 4; ++i) {
    WriteByteNoTick(static_cast<uint16_t>(port + i), static_cast<uint8_t>(value >> (8 * i)));
  }
  Tick();
}

// The primary card's ROM fills 0xC0000-0xDFFFF; the rest of physical memory floats here.
uint32_t VirtualPc::ReadPhysDword(uint32_t address) {
  uint32_t value = 0;
  for (uint32_t i = 0; i < 4; ++i) {
    const uint64_t byte_address = uint64_t{address} + i;
    uint8_t byte = 0xFF;
    if (card_ && byte_address >= kRomBase && byte_address < kRomEnd) {
      byte = card_->PeekRom(static_cast<uint32_t>(byte_address - kRomBase));
    }
    value |= uint32_t{byte} << (8 * i);
  }
  return value;
}

}  // namespace zanvo::virt
