#pragma once
// Direct port input and output, as the engine and the probes need it: byte, word and dword
// accesses on 16-bit port numbers, synchronous, without error results. Hardware that does not
// answer yields whatever the bus delivers (typically all ones).

#include <cstdint>

namespace zanvo {

class PortIo {
 public:
  virtual ~PortIo() = default;

  virtual uint8_t InByte(uint16_t port) = 0;
  virtual uint16_t InWord(uint16_t port) = 0;
  virtual uint32_t InDword(uint16_t port) = 0;

  virtual void OutByte(uint16_t port, uint8_t value) = 0;
  // A word write to an index port carries the index in the low byte and the value in the high
  // byte, reaching the index port and the data port after it in one bus cycle.
  virtual void OutWord(uint16_t port, uint16_t value) = 0;
  virtual void OutDword(uint16_t port, uint32_t value) = 0;
};

}  // namespace zanvo
