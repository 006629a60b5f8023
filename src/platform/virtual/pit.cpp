#include "platform/virtual/pit.h"

namespace zanvo::virt {

namespace {

// 14 318 180 Hz / 12 = 3 579 545 / 3 MHz: edges = ps * 3 579 545 / (3 * 10^12), split so that
// the product fits 64 bits for any simulated time.
constexpr uint64_t kEdgeNumerator = 3'579'545;
constexpr uint64_t kEdgeDenominatorPs = 3'000'000'000'000;

// DRAM refresh requests come from channel 1 every 18 input clocks (15.1 us); port 0x61 bit 4
// toggles with each.
constexpr uint64_t kRefreshEdges = 18;

constexpr uint8_t kGateBit = 0x01;
constexpr uint8_t kControlBWritable = 0x0F;
constexpr uint8_t kRefreshBit = 0x10;
constexpr uint8_t kOut2Bit = 0x20;

// Command byte: 7-6 counter (3 = read-back), 5-4 access (0 = latch), 3-1 mode, 0 BCD.
constexpr uint8_t kSelectChannel2 = 2;
constexpr uint8_t kSelectReadBack = 3;
// Read-back: bit 5 clear latches the count, bit 4 clear the status, bit 3 selects counter 2.
constexpr uint8_t kReadBackNoCount = 0x20;
constexpr uint8_t kReadBackNoStatus = 0x10;
constexpr uint8_t kReadBackCounter2 = 0x08;

uint8_t Low(uint16_t value) {
  return static_cast<uint8_t>(value & 0xFF);
}
uint8_t High(uint16_t value) {
  return static_cast<uint8_t>(value >> 8);
}

}  // namespace

uint64_t Pit::EdgesAt(uint64_t now_ps) {
  return now_ps / kEdgeDenominatorPs * kEdgeNumerator +
         now_ps % kEdgeDenominatorPs * kEdgeNumerator / kEdgeDenominatorPs;
}

uint64_t Pit::CountedEdges(uint64_t now_ps) const {
  // Modes 1 and 5 are started by the gate's rising edge and then ignore its level.
  const bool counting = gate_ || mode_ == 1 || mode_ == 5;
  return counted_before_ + (counting ? EdgesAt(now_ps) - anchor_edge_ : 0);
}

uint16_t Pit::CountAt(uint64_t now_ps) const {
  if (!armed_) return held_count_;
  const uint64_t edges = CountedEdges(now_ps);
  if (edges == 0) return held_count_;  // the first counted edge loads the count
  const uint64_t k = edges - 1;
  switch (mode_) {
    case 2:
      return static_cast<uint16_t>(reload_ - k % reload_);
    case 3: {
      const uint64_t half = reload_ / 2 > 0 ? reload_ / 2 : 1;
      return static_cast<uint16_t>(reload_ - 2 * (k % half));
    }
    default:
      // Wraps modulo 65536 after the terminal count, as the hardware does.
      return static_cast<uint16_t>(reload_ - k);
  }
}

bool Pit::Out2At(uint64_t now_ps) const {
  if (!armed_) return mode_ != 0;  // a mode 0 command drives OUT low at once
  const uint64_t edges = CountedEdges(now_ps);
  switch (mode_) {
    case 0:
    case 1:
      return edges > reload_;
    case 3:
      return edges == 0 || (edges - 1) % reload_ < (reload_ + 1) / 2;
    default:
      return true;  // modes 2, 4 and 5 pulse low for one clock only
  }
}

void Pit::SetGate(bool gate, uint64_t now_ps) {
  if (gate == gate_) return;
  counted_before_ = CountedEdges(now_ps);
  anchor_edge_ = EdgesAt(now_ps);
  // A rising gate restarts the count in the modes it triggers or reloads.
  if (gate && mode_ != 0 && mode_ != 4) counted_before_ = 0;
  gate_ = gate;
}

void Pit::LoadCount(uint32_t count, uint64_t now_ps) {
  held_count_ = CountAt(now_ps);
  reload_ = count == 0 ? 0x10000 : count;
  armed_ = true;
  counted_before_ = 0;
  anchor_edge_ = EdgesAt(now_ps);
}

void Pit::LatchCount(uint64_t now_ps) {
  // A second latch before the first was read is ignored.
  if (count_latched_) return;
  latched_count_ = CountAt(now_ps);
  count_latched_ = true;
}

uint8_t Pit::StatusByte(uint64_t now_ps) const {
  const bool null_count = !armed_ || CountedEdges(now_ps) == 0;
  return static_cast<uint8_t>((Out2At(now_ps) ? 0x80 : 0) | (null_count ? 0x40 : 0) |
                              (static_cast<uint8_t>(access_) << 4) | (mode_ << 1) | (bcd_ ? 1 : 0));
}

void Pit::WriteCommand(uint8_t value, uint64_t now_ps) {
  const uint8_t select = value >> 6;
  if (select == kSelectReadBack) {
    if ((value & kReadBackCounter2) == 0) return;
    if ((value & kReadBackNoCount) == 0) LatchCount(now_ps);
    if ((value & kReadBackNoStatus) == 0 && !status_latched_) {
      latched_status_ = StatusByte(now_ps);
      status_latched_ = true;
    }
    return;
  }
  if (select != kSelectChannel2) return;  // channels 0 and 1 are not part of this PC
  const auto access = static_cast<Access>((value >> 4) & 0x03);
  if (access == Access::kLatch) {
    LatchCount(now_ps);
    return;
  }
  held_count_ = CountAt(now_ps);
  access_ = access;
  mode_ = (value >> 1) & 0x07;
  if (mode_ >= 6) mode_ -= 4;  // 6 and 7 are aliases of 2 and 3
  bcd_ = (value & 0x01) != 0;
  armed_ = false;
  write_high_next_ = false;
  read_high_next_ = false;
  count_latched_ = false;
  status_latched_ = false;
}

void Pit::WriteData(uint8_t value, uint64_t now_ps) {
  switch (access_) {
    case Access::kLow:
      LoadCount(value, now_ps);
      break;
    case Access::kHigh:
      LoadCount(static_cast<uint32_t>(value) << 8, now_ps);
      break;
    case Access::kLowHigh:
    case Access::kLatch:
      if (!write_high_next_) {
        pending_low_ = value;
        write_high_next_ = true;
        // In mode 0 the first byte of a new count stops the counter.
        if (mode_ == 0) {
          held_count_ = CountAt(now_ps);
          armed_ = false;
        }
      } else {
        write_high_next_ = false;
        LoadCount(pending_low_ | (static_cast<uint32_t>(value) << 8), now_ps);
      }
      break;
  }
}

uint8_t Pit::ReadData(uint64_t now_ps) {
  if (status_latched_) {
    status_latched_ = false;
    return latched_status_;
  }
  const uint16_t count = count_latched_ ? latched_count_ : CountAt(now_ps);
  uint8_t byte = 0;
  bool done = true;
  switch (access_) {
    case Access::kLow:
      byte = Low(count);
      break;
    case Access::kHigh:
      byte = High(count);
      break;
    case Access::kLowHigh:
    case Access::kLatch:
      byte = read_high_next_ ? High(count) : Low(count);
      done = read_high_next_;
      read_high_next_ = !read_high_next_;
      break;
  }
  if (done) count_latched_ = false;
  return byte;
}

uint8_t Pit::Read(uint16_t port, uint64_t now_ps) {
  switch (port) {
    case kPortPitChannel2:
      return ReadData(now_ps);
    case kPortSystemControlB:
      return static_cast<uint8_t>(control_b_ |
                                  ((EdgesAt(now_ps) / kRefreshEdges) & 1 ? kRefreshBit : 0) |
                                  (Out2At(now_ps) ? kOut2Bit : 0));
    default:
      return 0xFF;  // the command port cannot be read
  }
}

void Pit::Write(uint16_t port, uint8_t value, uint64_t now_ps) {
  switch (port) {
    case kPortPitChannel2:
      WriteData(value, now_ps);
      break;
    case kPortPitCommand:
      WriteCommand(value, now_ps);
      break;
    case kPortSystemControlB:
      control_b_ = value & kControlBWritable;
      SetGate((value & kGateBit) != 0, now_ps);
      break;
    default:
      break;
  }
}

}  // namespace zanvo::virt
