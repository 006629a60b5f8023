#pragma once
// The PC timer's channel 2 (ports 0x42 data, 0x43 command) and system control port B (0x61),
// counting at 14.31818 MHz / 12 = 1 193 181.67 Hz of simulated time.
//
// Port 0x61: 7 6 5 4 3 2 1 0
//                | | | | | `- channel 2 gate
//                | | | | `--- speaker data
//                | | `-+----- parity and channel check enables (stored)
//                | `--------- refresh request, toggles every 15 us (read)
//                `----------- channel 2 output (read)
//
// Counting is binary in every mode (the BCD bit is stored and reported, not honoured). Modes 0,
// 1, 4 and 5 count down from the loaded value and wrap; OUT2 rises when the count has run out
// in mode 0 (and 1, 4, 5, which differ only in OUT pulses nobody here reads). Modes 2 and 3
// reload at the end of each period; mode 3 drives OUT2 high for the first half of it.

#include <cstdint>

namespace zanvo::virt {

inline constexpr uint16_t kPortPitChannel2 = 0x42;
inline constexpr uint16_t kPortPitCommand = 0x43;
inline constexpr uint16_t kPortSystemControlB = 0x61;

class Pit {
 public:
  // Ports 0x42, 0x43 and 0x61; other ports read 0xFF and ignore writes.
  uint8_t Read(uint16_t port, uint64_t now_ps);
  void Write(uint16_t port, uint8_t value, uint64_t now_ps);

  // Clock edges of the timer input since time zero.
  static uint64_t EdgesAt(uint64_t now_ps);
  // The counter and output as a latch at `now_ps` would see them; no state changes.
  uint16_t CountAt(uint64_t now_ps) const;
  bool Out2At(uint64_t now_ps) const;

 private:
  enum class Access : uint8_t { kLatch = 0, kLow = 1, kHigh = 2, kLowHigh = 3 };

  uint64_t CountedEdges(uint64_t now_ps) const;
  void SetGate(bool gate, uint64_t now_ps);
  void WriteCommand(uint8_t value, uint64_t now_ps);
  void WriteData(uint8_t value, uint64_t now_ps);
  void LoadCount(uint32_t count, uint64_t now_ps);
  uint8_t ReadData(uint64_t now_ps);
  void LatchCount(uint64_t now_ps);
  uint8_t StatusByte(uint64_t now_ps) const;

  // Programming.
  uint8_t mode_ = 0;
  Access access_ = Access::kLowHigh;
  bool bcd_ = false;
  uint32_t reload_ = 0x10000;  // count 0 means 65536
  uint8_t pending_low_ = 0;    // first byte of a low/high count write
  bool write_high_next_ = false;
  bool read_high_next_ = false;

  // Counting: edges counted while the gate was open, since the count was loaded.
  bool armed_ = false;       // a full count has been written
  uint16_t held_count_ = 0;  // what the counter shows while not armed
  uint64_t counted_before_ = 0;
  uint64_t anchor_edge_ = 0;
  bool gate_ = false;

  // Latches.
  bool count_latched_ = false;
  uint16_t latched_count_ = 0;
  bool status_latched_ = false;
  uint8_t latched_status_ = 0;

  uint8_t control_b_ = 0;  // port 0x61 bits 0-3
};

}  // namespace zanvo::virt
