#include "platform/virtual/cards/cirrus_card.h"

#include <cmath>

namespace zanvo::virt {

namespace {

constexpr double kReferenceHz = 14'318'180.0;

constexpr uint8_t SR06 = 0x06;  // extension key
constexpr uint8_t SR07 = 0x07;  // extended sequencer mode
constexpr uint8_t kKeyMask = 0x17;
constexpr uint8_t kKeyOpen = 0x12;
constexpr uint8_t kKeyReadOpen = 0x12;
constexpr uint8_t kKeyReadClosed = 0x0F;
constexpr uint8_t kLastSeq = 0x1F;
constexpr uint8_t kVclkNumeratorBase = 0x0B;    // SR0B-SR0E
constexpr uint8_t kVclkDenominatorBase = 0x1B;  // SR1B-SR1E

constexpr uint8_t CR19 = 0x19;  // interlace end: where the second field's retrace starts
constexpr uint8_t CR1A = 0x1A;  // miscellaneous control: bit 0 interlace
constexpr uint8_t CR1B = 0x1B;  // extended display controls: bit 4 offset bit 8
constexpr uint8_t CR1D = 0x1D;  // overlay extended control
constexpr uint8_t CR25 = 0x25;  // part status (read-only)
constexpr uint8_t CR27 = 0x27;  // chip id (read-only)

// Reset clocks of the GD542x/543x (86Box): 25.227, 28.325, 41.165 and 36.082 MHz.
constexpr CirrusVclk kResetVclk[4] = {{0x4A, 0x2B}, {0x5B, 0x2F}, {0x45, 0x30}, {0x7E, 0x33}};

// SR07 bits 3-1: how many VCLKs make one CRTC character-clock tick in each pixel mode.
//   0 8-bit, 1 16-bit at twice the pixel clock, 2 24-bit, 3 16-bit at the pixel clock, 4 32-bit.
int PixelModeDivider(uint8_t sr07) {
  switch ((sr07 >> 1) & 0x07) {
    case 1:
      return 2;
    case 2:
      return 3;
    case 4:
      return 4;
    default:
      return 1;
  }
}

}  // namespace

double CirrusVclkHz(CirrusVclk vclk) {
  const int divisor = (vclk.denominator >> 1) & 0x1F;
  if (divisor == 0) return 0;
  const double hz = kReferenceHz * (vclk.numerator & 0x7F) / divisor;
  return (vclk.denominator & 0x01) != 0 ? hz / 2 : hz;
}

CirrusVclk NearestCirrusVclk(double hz) {
  CirrusVclk best{};
  double best_error = -1;
  for (int post = 0; post < 2; ++post) {
    for (int divisor = 1; divisor < 32; ++divisor) {
      for (int numerator = 1; numerator < 128; ++numerator) {
        const CirrusVclk vclk{static_cast<uint8_t>(numerator),
                              static_cast<uint8_t>((divisor << 1) | post)};
        const double error = std::fabs(CirrusVclkHz(vclk) - hz);
        if (best_error < 0 || error < best_error) {
          best_error = error;
          best = vclk;
        }
      }
    }
  }
  return best;
}

CirrusCard::CirrusCard() {
  for (int i = 0; i < 4; ++i) {
    StoredRef(RegFile::kSequencer, static_cast<uint8_t>(kVclkNumeratorBase + i)) =
        kResetVclk[i].numerator;
    StoredRef(RegFile::kSequencer, static_cast<uint8_t>(kVclkDenominatorBase + i)) =
        kResetVclk[i].denominator;
  }
  StoredRef(RegFile::kCrtc, CR27) = kGD5434ChipId;
}

bool CirrusCard::KeyOpen() const {
  return (Stored(RegFile::kSequencer, SR06) & kKeyMask) == kKeyOpen;
}

bool CirrusCard::Unlocked() const {
  return KeyOpen() || locks_held_open();
}

CirrusVclk CirrusCard::Vclk(int select) const {
  const int i = select & 0x03;
  return {Stored(RegFile::kSequencer, static_cast<uint8_t>(kVclkNumeratorBase + i)),
          Stored(RegFile::kSequencer, static_cast<uint8_t>(kVclkDenominatorBase + i))};
}

RegisterAccess CirrusCard::Access(RegFile file, uint8_t index) const {
  const RegisterAccess open{true, 0xFF};
  if (file == RegFile::kSequencer) {
    if (index == SR06) return open;
    if (index >= SR07 && index <= kLastSeq) return Unlocked() ? open : RegisterAccess{};
    return VgaCard::Access(file, index);
  }
  if (file != RegFile::kCrtc || index < kStandardCrtcCount) return VgaCard::Access(file, index);
  switch (index) {
    case CR19:
    case CR1A:
    case CR1B:
    case CR1D:
      return Unlocked() ? open : RegisterAccess{};
    case CR25:
    case CR27:
      return Unlocked() ? RegisterAccess{true, 0x00} : RegisterAccess{};
    default:
      return {};
  }
}

uint8_t CirrusCard::ReadRegister(RegFile file, uint8_t index) const {
  if (file == RegFile::kSequencer && index == SR06) {
    return KeyOpen() ? kKeyReadOpen : kKeyReadClosed;
  }
  return VgaCard::ReadRegister(file, index);
}

double CirrusCard::ClockHz(int select) const {
  return CirrusVclkHz(Vclk(select));
}

void CirrusCard::ApplyExtensions(CrtcTiming& t) const {
  const auto cr = [this](uint8_t index) { return Stored(RegFile::kCrtc, index); };
  const uint8_t sr07 = Stored(RegFile::kSequencer, SR07);
  const int divider = PixelModeDivider(sr07);
  t.clock_divisor *= divider;
  // The pixel mode's bytes per pixel; 15- and 16-bit pixels differ only in the hidden DAC
  // register, which the model does not keep, so both read as 16 bits.
  switch ((sr07 >> 1) & 0x07) {
    case 1:
    case 3:
      t.bits_per_pixel = 16;
      break;
    case 2:
      t.bits_per_pixel = 24;
      break;
    case 4:
      t.bits_per_pixel = 32;
      break;
    default:
      break;
  }
  // Interlace: vertical values count field lines; CR19 places the second field's retrace.
  t.interlaced = (cr(CR1A) & 0x01) != 0;
  t.offset += ((cr(CR1B) >> 4) & 0x01) << 8;
  t.offset_bits = 9;
  t.offset_registers = "CRTC 0x13 with CR1B bit 4";
}

}  // namespace zanvo::virt
