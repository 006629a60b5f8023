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

  // A busy-wait's reads: InByte(port) up to `max_reads` times in a row, stopping after the first
  // byte whose bits under `mask` differ from `unchanged`. Returns the number of reads made and
  // leaves the last byte read in `last` (untouched when none). The same accesses as that many
  // InByte calls; a port that knows how long its answer stays the same may make a run of them
  // at once.
  virtual uint32_t InByteWhile(uint16_t port, uint8_t mask, uint8_t unchanged,
                               uint32_t max_reads, uint8_t& last) {
    uint32_t reads = 0;
    while (reads < max_reads) {
      last = InByte(port);
      ++reads;
      if ((last & mask) != unchanged) break;
    }
    return reads;
  }
};

}  // namespace zanvo
