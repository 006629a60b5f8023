#include "platform/virtual/cards/tseng_card.h"

#include <array>
#include <cmath>

namespace zanvo::virt {

namespace {

constexpr uint8_t SR06 = 0x06;  // TS state control
constexpr uint8_t SR07 = 0x07;  // TS auxiliary mode
constexpr uint8_t CR23 = 0x23;  // ET3000 extended start
constexpr uint8_t CR24 = 0x24;  // ET3000 compatibility control
constexpr uint8_t CR25 = 0x25;  // ET3000 overflow high
constexpr uint8_t CR31 = 0x31;  // ET4000 general purpose
constexpr uint8_t CR32 = 0x32;  // ET4000 RAS/CAS configuration
constexpr uint8_t CR33 = 0x33;  // ET4000 extended start
constexpr uint8_t CR34 = 0x34;  // ET4000 6845 compatibility control
constexpr uint8_t CR35 = 0x35;  // ET4000 overflow high
constexpr uint8_t CR36 = 0x36;  // ET4000 video system configuration 1
constexpr uint8_t CR37 = 0x37;  // ET4000 video system configuration 2
constexpr uint8_t CR3F = 0x3F;  // ET4000 horizontal overflow and offset bit 8

constexpr uint8_t kKeyFirst = 0x03;     // to 0x3BF
constexpr uint8_t kKeySecond = 0xA0;    // to the mode control port
constexpr uint8_t kCloseFirst = 0x29;   // to the mode control port
constexpr uint8_t kCloseSecond = 0x01;  // to 0x3BF

constexpr uint8_t kOverflowInterlace = 0x80;
constexpr uint8_t kSr07Half = 0x40;
constexpr uint8_t kSr07Quarter = 0x01;  // only together with bit 6
// What the ET3000 BIOS leaves in SR07 in its 256-colour and 800x600 modes: VGA mode, ROM
// mapped, clock undivided.
constexpr uint8_t kEt3000BiosSr07 = 0xA8;

// The crystal set of the common ET4000 boards (the ET3000 boards carry the first eight).
constexpr std::array<double, 16> kClocksHz = {
    25'175'000.0, 28'322'000.0, 32'400'000.0, 35'900'000.0, 39'900'000.0, 44'700'000.0,
    31'400'000.0, 37'500'000.0, 50'000'000.0, 56'500'000.0, 64'900'000.0, 71'900'000.0,
    79'900'000.0, 89'600'000.0, 62'800'000.0, 74'800'000.0,
};

constexpr RegisterAccess kAbsent{false, 0x00};
constexpr RegisterAccess kFull{true, 0xFF};

int Bit(uint8_t value, int bit) {
  return (value >> bit) & 1;
}

}  // namespace

TsengCard::TsengCard(TsengChip chip) : chip_(chip) {}

std::string_view TsengCard::name() const {
  return chip_ == TsengChip::kEt4000 ? "tseng-et4000" : "tseng-et3000";
}

uint16_t TsengCard::model() const {
  return chip_ == TsengChip::kEt4000 ? 4000 : 3000;
}

double TsengCard::BoardClockHz(int index) {
  return index >= 0 && index < static_cast<int>(kClocksHz.size()) ? kClocksHz[index] : 0;
}

double TsengCard::ClockHz(int select) const {
  return BoardClockHz(select);
}

double TsengCard::DriverClockHz(double wanted_hz) const {
  double best = kClocksHz[0];
  for (int i = 1; i < ClockCount(); ++i) {
    if (std::fabs(kClocksHz[i] - wanted_hz) < std::fabs(best - wanted_hz)) best = kClocksHz[i];
  }
  return best;
}

int TsengCard::SelectedClock() const {
  const int misc_select = (PeekMisc() >> kMiscClockShift) & 0x03;
  if (chip_ == TsengChip::kEt3000) {
    return misc_select | Bit(Stored(RegFile::kCrtc, CR24), 1) << 2;
  }
  return misc_select | Bit(Stored(RegFile::kCrtc, CR34), 1) << 2 |
         Bit(Stored(RegFile::kCrtc, CR31), 6) << 3;
}

// SR07 divides the clock the CRTC counts (docs/chips.md, Tseng). ET4000: bit 6 halves, bits 6
// and 0 together quarter, bit 0 alone divides nothing. ET3000: bit 6 halves.
int TsengCard::Sr07Divisor() const {
  const uint8_t aux = Stored(RegFile::kSequencer, SR07);
  if ((aux & kSr07Half) == 0) return 1;
  if (chip_ == TsengChip::kEt3000) return 2;
  return (aux & kSr07Quarter) != 0 ? 4 : 2;
}

uint16_t TsengCard::ModeControlPort() const {
  return (PeekMisc() & kMiscColorAddressing) != 0 ? kPortModeControlColor : kPortModeControlMono;
}

RegisterAccess TsengCard::Access(RegFile file, uint8_t index) const {
  if (file == RegFile::kSequencer && (index == SR06 || index == SR07)) {
    return key_open_ || locks_held_open() ? kFull : kAbsent;
  }
  if (file == RegFile::kCrtc && index >= kStandardCrtcCount) return CrtcAccess(index);
  return VgaCard::Access(file, index);
}

RegisterAccess TsengCard::CrtcAccess(uint8_t index) const {
  const RegisterAccess keyed = key_open_ || locks_held_open() ? kFull : kAbsent;
  if (chip_ == TsengChip::kEt3000) {
    if (index >= 0x1B && index <= 0x21) return keyed;
    if (index == CR23 || index == CR24 || index == CR25) return kFull;
    return kAbsent;
  }
  switch (index) {
    case CR33:
      return {true, 0x0F};
    case CR35: {
      // CR11 bit 7 guards the overflow bits too, but not line compare bit 10 or interlace.
      const bool protect = (Stored(RegFile::kCrtc, CR11) & kCR11Protect) != 0 && !locks_held_open();
      return {true, static_cast<uint8_t>(protect ? 0x90 : 0xFF)};
    }
    case CR31:
    case CR32:
    case CR34:
    case CR36:
    case CR37:
    case CR3F:
      return keyed;
    default:
      return kAbsent;
  }
}

uint8_t TsengCard::PeekExtraPort(uint16_t port) const {
  // 0x3BF and the mode control port are write-only.
  if (port == kPortTsengSegment) return segment_;
  return kFloatingBus;
}

void TsengCard::WriteExtraPort(uint16_t port, uint8_t value) {
  if (port == kPortTsengHercules) {
    if (value == kCloseSecond && mode_control_ == kCloseFirst) key_open_ = false;
    hercules_ = value;
  } else if (port == ModeControlPort()) {
    if (value == kKeySecond && hercules_ == kKeyFirst) key_open_ = true;
    mode_control_ = value;
  } else if (port == kPortTsengSegment) {
    segment_ = value;
  }
}

void TsengCard::ApplyExtensions(CrtcTiming& t) const {
  t.clock_select = SelectedClock();
  t.clock_hz = BoardClockHz(t.clock_select);
  t.clock_defined = t.clock_hz > 0;
  t.clock_divisor *= Sr07Divisor();

  const bool et4000 = chip_ == TsengChip::kEt4000;
  if (et4000) {
    const uint8_t h = Stored(RegFile::kCrtc, CR3F);
    t.h_total += Bit(h, 0) << 8;
    t.h_blank_start += Bit(h, 2) << 8;
    t.h_sync_start += Bit(h, 4) << 8;
    t.offset += Bit(h, 7) << 8;
    t.offset_bits = 9;
    t.offset_registers = "CRTC 0x13 with CR3F bit 7";
  }
  const uint8_t v = Stored(RegFile::kCrtc, et4000 ? CR35 : CR25);
  t.v_blank_start += Bit(v, 0) << 10;
  t.v_total += Bit(v, 1) << 10;
  t.v_display += Bit(v, 2) << 10;
  t.v_sync_start += Bit(v, 3) << 10;
  t.interlaced = (v & kOverflowInterlace) != 0;
  // The ET4000 keeps counting frame lines in interlace; the ET3000 counts field lines.
  t.v_frame_lines = et4000 && t.interlaced;
}

void TsengCard::ProgramMode(const ModeTiming& m) {
  int index = 0;
  for (int i = 1; i < ClockCount(); ++i) {
    if (std::fabs(kClocksHz[i] - m.pixel_clock_hz) < std::fabs(kClocksHz[index] - m.pixel_clock_hz))
      index = i;
  }
  // The standard part selects clock bits 0-1 through the Miscellaneous Output.
  ModeTiming standard = m;
  standard.pixel_clock_hz = kClocksHz[index & 3];

  // The BIOS opens the KEY for its extended registers and closes it again when done.
  key_open_ = true;
  VgaCard::ProgramMode(standard);
  WriteIndexed(RegFile::kSequencer, SR06, 0x00);
  if (chip_ == TsengChip::kEt4000) {
    WriteIndexed(RegFile::kSequencer, SR07, 0x00);
    WriteIndexed(RegFile::kCrtc, CR31, static_cast<uint8_t>((index & 8) << 3));
    WriteIndexed(RegFile::kCrtc, CR33, 0x00);
    WriteIndexed(RegFile::kCrtc, CR34, static_cast<uint8_t>((index & 4) >> 1));
    WriteIndexed(RegFile::kCrtc, CR3F, static_cast<uint8_t>(m.offset > 0xFF ? 0x80 : 0x00));
    // Written before the BIOS sets CR11 bit 7 again: no interlace, no bit 10s.
    StoredRef(RegFile::kCrtc, CR35) = 0x00;
  } else {
    WriteIndexed(RegFile::kSequencer, SR07, kEt3000BiosSr07);
    WriteIndexed(RegFile::kCrtc, CR23, 0x00);
    WriteIndexed(RegFile::kCrtc, CR24, static_cast<uint8_t>((index & 4) >> 1));
    WriteIndexed(RegFile::kCrtc, CR25, 0x00);
  }
  segment_ = 0x00;
  mode_control_ = kCloseFirst;
  hercules_ = kCloseSecond;
  key_open_ = false;
  InvalidateTiming();
}

}  // namespace zanvo::virt
