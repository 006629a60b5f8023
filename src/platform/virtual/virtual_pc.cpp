#include "platform/virtual/virtual_pc.h"

#include <utility>

namespace zanvo::virt {

namespace {

bool IsPitPort(uint16_t port) {
  return port == kPortPitChannel2 || port == kPortPitCommand || port == kPortSystemControlB;
}

}  // namespace

VirtualPc::VirtualPc(std::unique_ptr<VgaCard> card) : card_(std::move(card)) {}

void VirtualPc::Tick() {
  now_ps_ += kBusCyclePs;
  ++accesses_;
}

uint8_t VirtualPc::ReadByteNoTick(uint16_t port) {
  if (IsPitPort(port)) return pit_.Read(port, now_ps_);
  if (card_) return card_->ReadPort(port, now_ps_);
  return 0xFF;
}

void VirtualPc::WriteByteNoTick(uint16_t port, uint8_t value) {
  if (IsPitPort(port)) {
    pit_.Write(port, value, now_ps_);
  } else if (card_) {
    card_->WritePort(port, value);
  }
}

// A word or dword access to byte-wide devices reaches port, port + 1, ... in turn, low byte
// first, within the one bus cycle.
uint8_t VirtualPc::InByte(uint16_t port) {
  const uint8_t value = ReadByteNoTick(port);
  Tick();
  return value;
}

uint16_t VirtualPc::InWord(uint16_t port) {
  const uint8_t low = ReadByteNoTick(port);
  const uint8_t high = ReadByteNoTick(static_cast<uint16_t>(port + 1));
  Tick();
  return static_cast<uint16_t>(low | (high << 8));
}

uint32_t VirtualPc::InDword(uint16_t port) {
  uint32_t value = 0;
  for (int i = 0; i < 4; ++i) {
    value |= static_cast<uint32_t>(ReadByteNoTick(static_cast<uint16_t>(port + i))) << (8 * i);
  }
  Tick();
  return value;
}

void VirtualPc::OutByte(uint16_t port, uint8_t value) {
  WriteByteNoTick(port, value);
  Tick();
}

void VirtualPc::OutWord(uint16_t port, uint16_t value) {
  WriteByteNoTick(port, static_cast<uint8_t>(value & 0xFF));
  WriteByteNoTick(static_cast<uint16_t>(port + 1), static_cast<uint8_t>(value >> 8));
  Tick();
}

void VirtualPc::OutDword(uint16_t port, uint32_t value) {
  for (int i = 0; i < 4; ++i) {
    WriteByteNoTick(static_cast<uint16_t>(port + i), static_cast<uint8_t>(value >> (8 * i)));
  }
  Tick();
}

// The video ROM arrives with the PCI model; until then all of physical memory floats.
uint32_t VirtualPc::ReadPhysDword(uint32_t /*address*/) {
  return 0xFFFFFFFF;
}

}  // namespace zanvo::virt
