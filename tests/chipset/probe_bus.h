#pragma once
// A register model built per test: index/data pairs (sequencer, graphics controller, CRTC at
// 0x3D4, Oak at 0x3DE) and plain ports, each register with its writable bits and, where the
// chip behaves oddly, a hook for the read-back or for a lock. What is not set up floats (0xFF).

#include <cstdint>
#include <functional>
#include <map>

#include "platform/port_io.h"

namespace zanvo::test {

class ProbeBus final : public PortIo {
 public:
  struct Reg {
    uint8_t stored = 0;
    uint8_t mask = 0xFF;                                           // bits a write changes
    std::function<uint8_t(const ProbeBus&)> lock;                  // replaces mask when set
    std::function<uint8_t(const ProbeBus&, uint8_t stored)> read;  // replaces the read-back
  };

  ProbeBus();  // Miscellaneous Output reads 0x01: colour addressing, CRTC at 0x3D4

  Reg& Indexed(uint16_t index_port, uint8_t index, uint8_t stored = 0, uint8_t mask = 0xFF);
  Reg& Plain(uint16_t port, uint8_t stored = 0, uint8_t mask = 0xFF);
  // Bits ORed into what the index port reads back (the Oak chip ID in bits 7-5).
  void IndexReadBits(uint16_t index_port, uint8_t bits) { index_bits_[index_port] = bits; }

  uint8_t Stored(uint16_t index_port, uint8_t index) const;
  uint8_t StoredPlain(uint16_t port) const;
  uint8_t SelectedIndex(uint16_t index_port) const;

  uint8_t InByte(uint16_t port) override;
  uint16_t InWord(uint16_t port) override;
  uint32_t InDword(uint16_t port) override;
  void OutByte(uint16_t port, uint8_t value) override;
  void OutWord(uint16_t port, uint16_t value) override;
  void OutDword(uint16_t port, uint32_t value) override;

 private:
  static bool IsIndexPort(uint16_t port);
  static uint32_t Key(uint16_t index_port, uint8_t index) {
    return uint32_t{index_port} << 8 | index;
  }
  uint8_t ReadReg(const Reg* reg) const;
  void WriteReg(Reg* reg, uint8_t value);
  Reg* Find(uint16_t port);

  std::map<uint32_t, Reg> indexed_;
  std::map<uint16_t, Reg> plain_;
  std::map<uint16_t, uint8_t> index_;
  std::map<uint16_t, uint8_t> index_bits_;
};

}  // namespace zanvo::test
