#include "platform/virtual/cards/wd_card.h"

#include <cmath>

namespace zanvo::virt {

namespace {

constexpr uint8_t GR09 = 0x09;
constexpr uint8_t GR0C = 0x0C;
constexpr uint8_t GR0E = 0x0E;
constexpr uint8_t GR0F = 0x0F;
constexpr uint8_t CR29 = 0x29;
constexpr uint8_t CR2A = 0x2A;
constexpr uint8_t CR2C = 0x2C;
constexpr uint8_t CR2D = 0x2D;
constexpr uint8_t CR2F = 0x2F;
constexpr uint8_t CR30 = 0x30;
constexpr uint8_t CR31 = 0x31;
constexpr uint8_t CR37 = 0x37;
constexpr uint8_t CR3E = 0x3E;

constexpr uint8_t kGR0FKeyMask = 0x07;
constexpr uint8_t kGR0FKey = 0x05;
constexpr uint8_t kGR0FHide = 0x10;
constexpr uint8_t kGR0FReadMask = 0x17;
constexpr uint8_t kGR0FReadsSet = 0x80;
constexpr uint8_t kCR29KeyMask = 0x07;
constexpr uint8_t kCR29Key = 0x05;
constexpr uint8_t kCR29ReadMask = 0x88;
constexpr uint8_t kCR29ReadOpen = 0x80;
constexpr uint8_t kGR0CClockSelect2 = 0x02;
constexpr uint8_t kCR2DInterlace = 0x20;

// A typical Paradise board clock set (the drivers probe the clocks at run time; boards differ).
constexpr double kWdClocks[8] = {25'175'000.0, 28'322'000.0, 65'000'000.0, 36'000'000.0,
                                 40'000'000.0, 44'900'000.0, 50'350'000.0, 80'000'000.0};

constexpr char kWd90C30Id[] = "WD90C30";

int Bit(uint8_t value, int bit) {
  return (value >> bit) & 1;
}

}  // namespace

WdCard::WdCard(WdChip chip) : chip_(chip) {
  if (chip_ == WdChip::k90C30) {
    for (uint8_t i = 0; i <= CR37 - CR31; ++i)
      StoredRef(RegFile::kCrtc, static_cast<uint8_t>(CR31 + i)) =
          static_cast<uint8_t>(kWd90C30Id[i]);
    // Clock select bit 2 reads inverted: the power-on clocks 0-3 need the bit set.
    StoredRef(RegFile::kGraphics, GR0C) = kGR0CClockSelect2;
  }
}

std::string_view WdCard::name() const {
  return chip_ == WdChip::k90C00 ? "wd-90c00" : "wd-90c30";
}

uint16_t WdCard::model() const {
  return chip_ == WdChip::k90C00 ? 0x0000 : 0x3330;
}

double WdCard::WdClockHz(int index) {
  return index >= 0 && index < 8 ? kWdClocks[index] : 0;
}

bool WdCard::ClockSelect2() const {
  const bool bit = (Stored(RegFile::kGraphics, GR0C) & kGR0CClockSelect2) != 0;
  return chip_ == WdChip::k90C30 ? !bit : bit;
}

int WdCard::SelectedClock() const {
  return ((misc() >> kMiscClockShift) & 0x03) | (ClockSelect2() ? 4 : 0);
}

double WdCard::ClockHz(int select) const {
  return WdClockHz((select & 0x03) | (ClockSelect2() ? 4 : 0));
}

double WdCard::DriverClockHz(double wanted_hz) const {
  double best = kWdClocks[0];
  for (double hz : kWdClocks) {
    if (std::fabs(hz - wanted_hz) < std::fabs(best - wanted_hz)) best = hz;
  }
  return best;
}

RegisterAccess WdCard::Access(RegFile file, uint8_t index) const {
  if (file == RegFile::kGraphics) {
    const uint8_t pr5 = Stored(RegFile::kGraphics, GR0F);
    if (index >= GR09 && index <= GR0E) {
      const bool writable = (pr5 & kGR0FKeyMask) == kGR0FKey || locks_held_open();
      const bool readable = (pr5 & kGR0FHide) == 0 || locks_held_open();
      return {readable, static_cast<uint8_t>(writable ? 0xFF : 0x00)};
    }
    if (index == GR0F) return {true, 0xFF};
  }
  if (file == RegFile::kCrtc) {
    const uint8_t pr10 = Stored(RegFile::kCrtc, CR29);
    const bool held = locks_held_open();
    const uint8_t open = (pr10 & kCR29KeyMask) == kCR29Key || held ? 0xFF : 0x00;
    if (index == CR29) return {true, 0xFF};
    if (index >= CR2A && index <= CR2F) {
      return {(pr10 & kCR29ReadMask) == kCR29ReadOpen || held, open};
    }
    if (index == CR30) return {true, open};
    if (index >= CR31 && index <= CR37) return {true, 0x00};
    if (index == CR3E && chip_ == WdChip::k90C30) return {true, open};
  }
  return VgaCard::Access(file, index);
}

uint8_t WdCard::ReadRegister(RegFile file, uint8_t index) const {
  if (file == RegFile::kGraphics && index == GR0F) {
    return static_cast<uint8_t>((Stored(file, index) & kGR0FReadMask) | kGR0FReadsSet);
  }
  return VgaCard::ReadRegister(file, index);
}

void WdCard::ApplyExtensions(CrtcTiming& t) const {
  t.clock_select = SelectedClock();
  t.clock_hz = WdClockHz(t.clock_select);
  t.clock_defined = t.clock_hz > 0;
  if (chip_ == WdChip::k90C30) {
    const uint8_t high = Stored(RegFile::kCrtc, CR3E);
    t.v_total += Bit(high, 0) * 0x400;
    t.v_display += Bit(high, 1) * 0x400;
    t.v_sync_start += Bit(high, 2) * 0x400;
    t.v_blank_start += Bit(high, 3) * 0x400;
  }
  t.interlaced = (Stored(RegFile::kCrtc, CR2D) & kCR2DInterlace) != 0;
  t.v_frame_lines = false;
}

// The Paradise BIOS opens both keys, picks the clock from all eight, programs a progressive
// mode and closes the keys again.
void WdCard::ProgramMode(const ModeTiming& mode) {
  int index = 0;
  for (int i = 1; i < 8; ++i) {
    if (std::fabs(kWdClocks[i] - mode.pixel_clock_hz) <
        std::fabs(kWdClocks[index] - mode.pixel_clock_hz)) {
      index = i;
    }
  }
  const bool cs2 = index >= 4;
  const bool bit = chip_ == WdChip::k90C30 ? !cs2 : cs2;

  WriteIndexed(RegFile::kGraphics, GR0F, kGR0FKey);
  const uint8_t pr4 = Stored(RegFile::kGraphics, GR0C);
  WriteIndexed(RegFile::kGraphics, GR0C,
               static_cast<uint8_t>((pr4 & ~kGR0CClockSelect2) | (bit ? kGR0CClockSelect2 : 0)));
  WriteIndexed(RegFile::kCrtc, CR29, 0x85);
  WriteIndexed(RegFile::kCrtc, CR2C, 0x00);
  WriteIndexed(RegFile::kCrtc, CR2D, 0x00);
  WriteIndexed(RegFile::kCrtc, CR3E, 0x00);

  ModeTiming with_clock = mode;
  with_clock.pixel_clock_hz = kWdClocks[index];
  VgaCard::ProgramMode(with_clock);

  WriteIndexed(RegFile::kCrtc, CR29, 0x00);
  WriteIndexed(RegFile::kGraphics, GR0F, 0x00);
}

}  // namespace zanvo::virt
