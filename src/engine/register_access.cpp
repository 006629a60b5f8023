#include "engine/register_access.h"

#include "engine/engine_port.h"
#include "engine/engine_state.h"
#include "engine/vga_regs.h"

namespace zanvo::engine {

void SelectCrtcPort() {
  Eng.CrtcPort = kCrtcIndexColor;
  if ((Port().InByte(kMiscOutputRead) & kMiscColorAddressing) == 0) Eng.CrtcPort = kCrtcIndexMono;
}

uint8_t ReadCrtcReg(uint8_t index) {
  return ReadIndexedReg(Eng.CrtcPort, index);
}

void WriteCrtcReg(uint8_t index, uint8_t value) {
  WriteIndexedBytes(Eng.CrtcPort, index, value);
}

void WriteSelectedReg(uint16_t data_port, uint8_t value) {
  Port().OutByte(data_port, value);
}

void ModifyIndexedReg(uint16_t index_port, uint8_t index, uint8_t mask, uint8_t value) {
  const uint16_t data_port = static_cast<uint16_t>(index_port + 1);
  const uint8_t d = ReadIndexedReg(index_port, index);
  WriteSelectedReg(data_port, static_cast<uint8_t>((d & ~mask) + (value & mask)));
}

namespace {

// Clear the masked bits, read back, set them, read back, restore. The caller has already
// addressed the register (index selected, or a plain port).
bool BitsToggle(uint16_t data_port, uint8_t mask) {
  PortIo& io = Port();
  const uint8_t original = io.InByte(data_port);
  io.OutByte(data_port, static_cast<uint8_t>(original & ~mask));
  const uint8_t cleared = io.InByte(data_port);
  io.OutByte(data_port, static_cast<uint8_t>(original | mask));
  const uint8_t set = io.InByte(data_port);
  io.OutByte(data_port, original);
  return (cleared & mask) == 0 && (set & mask) == mask;
}

}  // namespace

bool TestIndexedBits(uint16_t index_port, uint8_t index, uint8_t mask) {
  Port().OutByte(index_port, index);
  return BitsToggle(static_cast<uint16_t>(index_port + 1), mask);
}

bool TestPortBits(uint16_t port, uint8_t mask) {
  return BitsToggle(port, mask);
}

uint8_t ReadIndexedReg(uint16_t index_port, uint8_t index) {
  PortIo& io = Port();
  io.OutByte(index_port, index);
  return io.InByte(static_cast<uint16_t>(index_port + 1));
}

void WriteIndexedPair(uint16_t index_port, uint8_t index, uint8_t value) {
  Port().OutWord(index_port, static_cast<uint16_t>(index | (value << 8)));
}

void WriteIndexedBytes(uint16_t index_port, uint8_t index, uint8_t value) {
  PortIo& io = Port();
  io.OutByte(index_port, index);
  io.OutByte(static_cast<uint16_t>(index_port + 1), value);
}

uint8_t UpdateIndexedReg(uint16_t index_port, uint8_t index, uint8_t and_mask, uint8_t or_mask) {
  const uint8_t value =
      static_cast<uint8_t>((ReadIndexedReg(index_port, index) & and_mask) | or_mask);
  WriteSelectedReg(static_cast<uint16_t>(index_port + 1), value);
  return value;
}

uint8_t UpdateCrtcReg(uint8_t index, uint8_t and_mask, uint8_t or_mask) {
  return UpdateIndexedReg(Eng.CrtcPort, index, and_mask, or_mask);
}

uint16_t BlockIoPort(uint8_t offset) {
  return static_cast<uint16_t>((Eng.ExtIoBase & 0xFF00) | offset);
}

}  // namespace zanvo::engine
