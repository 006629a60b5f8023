// How the Cirrus driver sets a desktop mode: VCLK0 and VCLK1 as they come out of reset for the
// VGA timings, VCLK3 loaded for any other clock, 8-bit packed pixels, the offset extension bit,
// and the extensions closed again afterwards.

#include <algorithm>
#include <cmath>

#include "platform/virtual/cards/cirrus_card.h"

namespace zanvo::virt {

namespace {

constexpr uint8_t SR06 = 0x06, SR07 = 0x07, SR0E = 0x0E, SR1E = 0x1E;  // SR0E/SR1E: VCLK3
constexpr uint8_t CR19 = 0x19, CR1A = 0x1A, CR1B = 0x1B;
constexpr uint8_t kKeyOpen = 0x12;

// The highest clock the VCLK synthesizer is asked for; which modes the driver offers at each
// depth is the board table's pixel rate limit (docs/chips.md, Colour depths).
constexpr double kMaxVclkHz = 135e6;
// A clock within this fraction of the wanted one is used as it is.
constexpr double kClockTolerance = 0.005;
constexpr int kProgrammableVclk = 3;

bool Near(double hz, double reference) {
  return reference > 0 && std::fabs(hz / reference - 1.0) < kClockTolerance;
}

}  // namespace

double CirrusCard::DriverClockHz(double wanted_hz) const {
  for (int select = 0; select < 2; ++select) {
    if (Near(wanted_hz, ClockHz(select))) return ClockHz(select);
  }
  return CirrusVclkHz(NearestCirrusVclk(std::min(wanted_hz, kMaxVclkHz)));
}

VgaCard::DepthPipe CirrusCard::DriverPipe(uint8_t bits_per_pixel) const {
  if (bits_per_pixel == 24) return {1, 3};
  return {};
}

void CirrusCard::ProgramMode(const ModeTiming& m) {
  WriteIndexed(RegFile::kSequencer, SR06, kKeyOpen);

  int select = kProgrammableVclk;
  if (Near(m.pixel_clock_hz, ClockHz(0))) {
    select = 0;
  } else if (Near(m.pixel_clock_hz, ClockHz(1))) {
    select = 1;
  } else {
    const CirrusVclk vclk = NearestCirrusVclk(m.pixel_clock_hz);
    WriteIndexed(RegFile::kSequencer, SR0E, vclk.numerator);
    WriteIndexed(RegFile::kSequencer, SR1E, vclk.denominator);
  }

  VgaCard::ProgramMode(m);
  WriteMisc(static_cast<uint8_t>((misc() & ~0x0C) | (select << kMiscClockShift)));

  // SR07: bit 0 packed pixels; bits 3-1 the pixel mode (0 8-bit, 3 16-bit at the pixel clock,
  // 2 24-bit over three VCLKs), as the NT miniport's and cirrusfb's 543x tables set it.
  uint8_t pixel_mode = 0x01;
  if (m.bits_per_pixel == 15 || m.bits_per_pixel == 16) pixel_mode = 0x07;
  if (m.bits_per_pixel == 24) pixel_mode = 0x05;
  WriteIndexed(RegFile::kSequencer, SR07, m.text ? 0x00 : pixel_mode);
  WriteIndexed(RegFile::kCrtc, CR1A, 0x00);                       // not interlaced
  WriteIndexed(RegFile::kCrtc, CR19, 0x00);
  // CR1B bit 1 extends the address wrap past 256 KiB for the packed-pixel modes.
  const uint8_t display_controls =
      static_cast<uint8_t>((m.text ? 0x00 : 0x02) | (((m.offset >> 8) & 0x01) << 4));
  WriteIndexed(RegFile::kCrtc, CR1B, display_controls);

  WriteIndexed(RegFile::kSequencer, SR06, 0x00);
}

}  // namespace zanvo::virt
