#include "platform/virtual/cards/realtek_card.h"

#include <cmath>

namespace zanvo::virt {

namespace {

constexpr uint8_t CR19 = 0x19;
constexpr uint8_t CR1A = 0x1A;
constexpr uint8_t CR1E = 0x1E;
constexpr uint8_t CR1F = 0x1F;
constexpr uint8_t GR0B = 0x0B;
constexpr uint8_t GR0C = 0x0C;
constexpr uint16_t kPortReadBank = 0x3D6;
constexpr uint16_t kPortWriteBank = 0x3D7;

constexpr uint8_t kCR19Interlace = 0x01;
constexpr uint8_t kGR0CClockSelect2 = 0x20;
constexpr uint8_t kGR0CReadsSet = 0x04;
constexpr uint8_t kGR0BDivider = 0x03;
constexpr uint8_t kCR1EMemory512K = 0x01;
constexpr uint8_t kBankMask = 0x0F;

// Clocks 2-7 as XFree86's Realtek driver lists them (86Box takes the same numbers); 0 and 1 are
// the VGA crystals.
constexpr double kRealtekClocks[8] = {25'175'000.0, 28'322'000.0, 44'900'000.0, 71'600'000.0,
                                      73'000'000.0, 64'000'000.0, 84'000'000.0, 79'000'000.0};
// GR0B bits 1-0, applied to clocks 2-7 only.
constexpr double kDividers[4] = {1.0, 1.5, 2.0, 4.0};

}  // namespace

RealtekCard::RealtekCard() {
  StoredRef(RegFile::kCrtc, CR1E) = kCR1EMemory512K;
}

double RealtekCard::RealtekClockHz(int index) {
  return index >= 0 && index < 8 ? kRealtekClocks[index] : 0;
}

int RealtekCard::SelectedClock() const {
  const bool cs2 = (Stored(RegFile::kGraphics, GR0C) & kGR0CClockSelect2) != 0;
  return ((misc() >> kMiscClockShift) & 0x03) | (cs2 ? 4 : 0);
}

double RealtekCard::PixelClockHz() const {
  const int index = SelectedClock();
  const double hz = RealtekClockHz(index);
  if (index < 2) return hz;
  return hz / kDividers[Stored(RegFile::kGraphics, GR0B) & kGR0BDivider];
}

double RealtekCard::ClockHz(int select) const {
  const bool cs2 = (Stored(RegFile::kGraphics, GR0C) & kGR0CClockSelect2) != 0;
  return RealtekClockHz((select & 0x03) | (cs2 ? 4 : 0));
}

// The driver keeps the divider for its high-colour modes and chooses among the undivided clocks.
double RealtekCard::DriverClockHz(double wanted_hz) const {
  double best = kRealtekClocks[0];
  for (double hz : kRealtekClocks) {
    if (std::fabs(hz - wanted_hz) < std::fabs(best - wanted_hz)) best = hz;
  }
  return best;
}

RegisterAccess RealtekCard::Access(RegFile file, uint8_t index) const {
  if (file == RegFile::kCrtc) {
    switch (index) {
      case CR19:
      case CR1F:
        return {true, 0xFF};
      case CR1A:
      case CR1E:
        return {true, 0x00};
      default:
        break;
    }
  }
  if (file == RegFile::kGraphics && index >= 0x09 && index <= 0x0F) return {true, 0xFF};
  return VgaCard::Access(file, index);
}

uint8_t RealtekCard::ReadRegister(RegFile file, uint8_t index) const {
  // CR1A is the chip identification: 0 in bits 7-6 for the RTG3103, whatever was written.
  if (file == RegFile::kCrtc && index == CR1A) return 0x00;
  if (file == RegFile::kGraphics && index == GR0C) {
    return static_cast<uint8_t>(Stored(file, index) | kGR0CReadsSet);
  }
  return VgaCard::ReadRegister(file, index);
}

uint8_t RealtekCard::PeekExtraPort(uint16_t port) const {
  if (port == kPortReadBank) return bank_read_;
  if (port == kPortWriteBank) return bank_write_;
  return kFloatingBus;
}

void RealtekCard::WriteExtraPort(uint16_t port, uint8_t value) {
  if (port == kPortReadBank) bank_read_ = value & kBankMask;
  if (port == kPortWriteBank) bank_write_ = value & kBankMask;
}

void RealtekCard::ApplyExtensions(CrtcTiming& t) const {
  t.clock_select = SelectedClock();
  t.clock_hz = PixelClockHz();
  t.clock_defined = t.clock_hz > 0;
  t.interlaced = (Stored(RegFile::kCrtc, CR19) & kCR19Interlace) != 0;
  t.interlace_reads_frame = true;
  t.v_frame_lines = false;
}

void RealtekCard::ProgramMode(const ModeTiming& mode) {
  int index = 0;
  for (int i = 1; i < 8; ++i) {
    if (std::fabs(kRealtekClocks[i] - mode.pixel_clock_hz) <
        std::fabs(kRealtekClocks[index] - mode.pixel_clock_hz)) {
      index = i;
    }
  }
  const uint8_t gr0c = Stored(RegFile::kGraphics, GR0C);
  WriteIndexed(
      RegFile::kGraphics, GR0C,
      static_cast<uint8_t>((gr0c & ~kGR0CClockSelect2) | (index >= 4 ? kGR0CClockSelect2 : 0)));
  WriteIndexed(RegFile::kGraphics, GR0B, 0x00);
  WriteIndexed(RegFile::kCrtc, CR19, 0x00);
  ModeTiming with_clock = mode;
  with_clock.pixel_clock_hz = kRealtekClocks[index];
  VgaCard::ProgramMode(with_clock);
}

}  // namespace zanvo::virt
