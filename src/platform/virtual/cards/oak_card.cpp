#include "platform/virtual/cards/oak_card.h"

#include <cmath>

namespace zanvo::virt {

namespace {

constexpr uint8_t OAK0D = 0x0D;  // clock select bit 2, memory size, bus configuration
constexpr uint8_t OAK10 = 0x10;  // configuration switches, read-only
constexpr uint8_t OAK14 = 0x14;  // interlace and vertical overflow
constexpr uint8_t OAK15 = 0x15;  // interlace half line

constexpr uint8_t kOak0DClockSelect2 = 0x20;
constexpr uint8_t kOak14Interlace = 0x80;
// Board switches as a typical OTI-077 card reports them.
constexpr uint8_t kOakSwitches = 0x18;
// BIOS value of 0x0D with 512 KiB of memory.
constexpr uint8_t kOak0DPowerOn = 0x80;

// The board's clock generator: 86Box's table for the OTI-067/077 boards (clock 4 repeats
// 28.322 MHz, clocks 5 and 7 both give 36 MHz).
constexpr double kOakClocks[8] = {25'175'000.0, 28'322'000.0, 65'000'000.0, 44'900'000.0,
                                  28'322'000.0, 36'000'000.0, 40'000'000.0, 36'000'000.0};

int Bit(uint8_t value, int bit) {
  return (value >> bit) & 1;
}

}  // namespace

OakCard::OakCard(OakChip chip) : chip_(chip) {
  ext_[OAK0D] = kOak0DPowerOn;
  ext_[OAK10] = kOakSwitches;
}

std::string_view OakCard::name() const {
  return chip_ == OakChip::kOti077 ? "oak-oti077" : "oak-oti087";
}

uint16_t OakCard::model() const {
  return chip_ == OakChip::kOti077 ? 5 : 0x53;
}

double OakCard::OakClockHz(int index) {
  return index >= 0 && index < 8 ? kOakClocks[index] : 0;
}

int OakCard::SelectedClock() const {
  return ((misc() >> kMiscClockShift) & 0x03) | (Bit(ext_[OAK0D], 5) << 2);
}

double OakCard::ClockHz(int select) const {
  return OakClockHz((select & 0x03) | (Bit(ext_[OAK0D], 5) << 2));
}

double OakCard::DriverClockHz(double wanted_hz) const {
  double best = kOakClocks[0];
  for (double hz : kOakClocks) {
    if (std::fabs(hz - wanted_hz) < std::fabs(best - wanted_hz)) best = hz;
  }
  return best;
}

// Registers 0x06-0x19 exist on both chips; 0x10 holds the configuration switches. The 087 adds
// 0x20-0x3A, among them the 0x23 that detection tests.
RegisterAccess OakCard::ExtAccess(uint8_t index) const {
  if (index == OAK10) return {true, 0x00};
  if (index >= 0x06 && index <= 0x19) return {true, 0xFF};
  if (chip_ == OakChip::kOti087 && index >= 0x20 && index <= 0x3A) return {true, 0xFF};
  return {false, 0x00};
}

uint8_t OakCard::PeekExtraPort(uint16_t port) const {
  if (port == kPortOakIndex) {
    if (chip_ == OakChip::kOti077) return static_cast<uint8_t>(ext_index_ | (5 << 5));
    return ext_index_;
  }
  if (port == kPortOakData) {
    return ExtAccess(ext_index_).readable ? ext_[ext_index_] : kFloatingBus;
  }
  return kFloatingBus;
}

void OakCard::WriteExtraPort(uint16_t port, uint8_t value) {
  if (port == kPortOakIndex) {
    ext_index_ = value & ExtIndexMask();
  } else if (port == kPortOakData) {
    const uint8_t mask = ExtAccess(ext_index_).write_mask;
    uint8_t& stored = ext_[ext_index_];
    stored = static_cast<uint8_t>((stored & ~mask) | (value & mask));
  }
}

void OakCard::ApplyExtensions(CrtcTiming& t) const {
  const uint8_t overflow = ext_[OAK14];
  t.clock_select = SelectedClock();
  t.clock_hz = OakClockHz(t.clock_select);
  t.clock_defined = t.clock_hz > 0;
  t.v_total += Bit(overflow, 0) * 0x400;
  t.v_display += Bit(overflow, 1) * 0x400;
  t.v_sync_start += Bit(overflow, 2) * 0x400;
  // The chip interlaces with field-sized vertical values; 0x15 places the second field's sync.
  t.interlaced = (overflow & kOak14Interlace) != 0;
  t.v_frame_lines = false;
}

// The Oak driver picks the clock from all eight (lowest number on a tie), sets clock select
// bit 2 in 0x0D, and programs a progressive mode: 0x14 and 0x15 cleared.
void OakCard::ProgramMode(const ModeTiming& mode) {
  int index = 0;
  for (int i = 1; i < 8; ++i) {
    if (std::fabs(kOakClocks[i] - mode.pixel_clock_hz) <
        std::fabs(kOakClocks[index] - mode.pixel_clock_hz)) {
      index = i;
    }
  }
  WriteExtraPort(kPortOakIndex, OAK0D);
  WriteExtraPort(kPortOakData, static_cast<uint8_t>((ext_[OAK0D] & ~kOak0DClockSelect2) |
                                                    (index >= 4 ? kOak0DClockSelect2 : 0)));
  WriteExtraPort(kPortOakIndex, OAK14);
  WriteExtraPort(kPortOakData, 0x00);
  WriteExtraPort(kPortOakIndex, OAK15);
  WriteExtraPort(kPortOakData, 0x00);
  ModeTiming with_clock = mode;
  with_clock.pixel_clock_hz = kOakClocks[index];
  VgaCard::ProgramMode(with_clock);
}

}  // namespace zanvo::virt
