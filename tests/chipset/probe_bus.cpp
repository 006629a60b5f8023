#include "probe_bus.h"

namespace zanvo::test {

ProbeBus::ProbeBus() {
  Plain(0x3CC, 0x01, 0x00);
}

bool ProbeBus::IsIndexPort(uint16_t port) {
  return port == 0x3C4 || port == 0x3CE || port == 0x3D4 || port == 0x3DE;
}

ProbeBus::Reg& ProbeBus::Indexed(uint16_t index_port, uint8_t index, uint8_t stored, uint8_t mask) {
  Reg& reg = indexed_[Key(index_port, index)];
  reg.stored = stored;
  reg.mask = mask;
  return reg;
}

ProbeBus::Reg& ProbeBus::Plain(uint16_t port, uint8_t stored, uint8_t mask) {
  Reg& reg = plain_[port];
  reg.stored = stored;
  reg.mask = mask;
  return reg;
}

uint8_t ProbeBus::Stored(uint16_t index_port, uint8_t index) const {
  const auto it = indexed_.find(Key(index_port, index));
  return it == indexed_.end() ? 0xFF : it->second.stored;
}

uint8_t ProbeBus::StoredPlain(uint16_t port) const {
  const auto it = plain_.find(port);
  return it == plain_.end() ? 0xFF : it->second.stored;
}

uint8_t ProbeBus::SelectedIndex(uint16_t index_port) const {
  const auto it = index_.find(index_port);
  return it == index_.end() ? 0 : it->second;
}

ProbeBus::Reg* ProbeBus::Find(uint16_t port) {
  if (IsIndexPort(static_cast<uint16_t>(port - 1))) {
    const uint16_t index_port = static_cast<uint16_t>(port - 1);
    const auto it = indexed_.find(Key(index_port, SelectedIndex(index_port)));
    return it == indexed_.end() ? nullptr : &it->second;
  }
  const auto it = plain_.find(port);
  return it == plain_.end() ? nullptr : &it->second;
}

uint8_t ProbeBus::ReadReg(const Reg* reg) const {
  if (reg == nullptr) return 0xFF;
  return reg->read ? reg->read(*this, reg->stored) : reg->stored;
}

void ProbeBus::WriteReg(Reg* reg, uint8_t value) {
  if (reg == nullptr) return;
  const uint8_t mask = reg->lock ? reg->lock(*this) : reg->mask;
  reg->stored = static_cast<uint8_t>((reg->stored & ~mask) | (value & mask));
}

uint8_t ProbeBus::InByte(uint16_t port) {
  if (IsIndexPort(port)) {
    const auto bits = index_bits_.find(port);
    return static_cast<uint8_t>(SelectedIndex(port) |
                                (bits == index_bits_.end() ? 0 : bits->second));
  }
  return ReadReg(Find(port));
}

uint16_t ProbeBus::InWord(uint16_t port) {
  const uint8_t low = InByte(port);
  return static_cast<uint16_t>(low | InByte(static_cast<uint16_t>(port + 1)) << 8);
}

uint32_t ProbeBus::InDword(uint16_t port) {
  const uint16_t low = InWord(port);
  return low | uint32_t{InWord(static_cast<uint16_t>(port + 2))} << 16;
}

void ProbeBus::OutByte(uint16_t port, uint8_t value) {
  if (IsIndexPort(port)) {
    index_[port] = value;
    return;
  }
  WriteReg(Find(port), value);
}

void ProbeBus::OutWord(uint16_t port, uint16_t value) {
  OutByte(port, static_cast<uint8_t>(value));
  OutByte(static_cast<uint16_t>(port + 1), static_cast<uint8_t>(value >> 8));
}

void ProbeBus::OutDword(uint16_t port, uint32_t value) {
  OutWord(port, static_cast<uint16_t>(value));
  OutWord(static_cast<uint16_t>(port + 2), static_cast<uint16_t>(value >> 16));
}

}  // namespace zanvo::test
