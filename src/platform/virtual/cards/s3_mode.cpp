// How the S3 driver sets a desktop mode: the fixed clocks for the VGA timings, the DCLK PLL for
// everything else, 8-bit pixels, the overflow and offset extension bits, and the keys closed
// again afterwards, as the BIOS leaves them.

#include <algorithm>
#include <cmath>

#include "platform/virtual/cards/s3_card.h"

namespace zanvo::virt {

namespace {

constexpr uint8_t SR08 = 0x08, SR12 = 0x12, SR13 = 0x13, SR15 = 0x15;
constexpr uint8_t CR35 = 0x35, CR38 = 0x38, CR39 = 0x39, CR3B = 0x3B, CR3C = 0x3C;
constexpr uint8_t CR42 = 0x42, CR43 = 0x43, CR51 = 0x51, CR5D = 0x5D, CR5E = 0x5E, CR67 = 0x67;

constexpr double kFixedClock0Hz = 25'175'000.0;
constexpr double kFixedClock1Hz = 28'322'000.0;
constexpr double kMaxDclkHz = 135e6;  // fastest DCLK both chips are rated for
// A fixed clock within this fraction of the wanted one is used as it is.
constexpr double kFixedClockTolerance = 0.005;

bool Near(double hz, double reference) {
  return std::fabs(hz / reference - 1.0) < kFixedClockTolerance;
}

uint8_t Bit(int value, int bit, int to) {
  return static_cast<uint8_t>(((value >> bit) & 1) << to);
}

}  // namespace

double S3Card::DriverClockHz(double wanted_hz) const {
  if (Near(wanted_hz, kFixedClock0Hz)) return kFixedClock0Hz;
  if (Near(wanted_hz, kFixedClock1Hz)) return kFixedClock1Hz;
  return S3PllHz(NearestS3Pll(std::min(wanted_hz, kMaxDclkHz)));
}

// CR67 bits 7-4 by depth as s3fb programs the Trio: 0x30 5-5-5, 0x50 5-6-5 (both in doubled
// horizontal units at an unchanged DCLK), 0xD0 8-8-8-8; 0x00 for 4 and 8 bits.
uint8_t S3PixelFormat(uint8_t bits_per_pixel) {
  switch (bits_per_pixel) {
    case 15:
      return 0x30;
    case 16:
      return 0x50;
    case 32:
      return 0xD0;
    default:
      return 0x00;
  }
}

VgaCard::DepthPipe S3Card::DriverPipe(uint8_t bits_per_pixel) const {
  // CR5D bit 0 holds the doubled total's ninth bit.
  if (chip_.is_trio && (bits_per_pixel == 15 || bits_per_pixel == 16)) return {2, 1, false, 516};
  return {};
}

void S3Card::ProgramMode(const ModeTiming& m) {
  // The three keys open: SR09 and up, CR2D-CR3F, CR40 and up.
  WriteIndexed(RegFile::kSequencer, SR08, 0x06);
  WriteIndexed(RegFile::kCrtc, CR38, 0x48);
  WriteIndexed(RegFile::kCrtc, CR39, 0xA5);

  int select = 3;  // the DCLK PLL
  if (Near(m.pixel_clock_hz, kFixedClock0Hz)) {
    select = 0;
  } else if (Near(m.pixel_clock_hz, kFixedClock1Hz)) {
    select = 1;
  } else {
    const S3Pll pll = NearestS3Pll(m.pixel_clock_hz);
    WriteIndexed(RegFile::kSequencer, SR12, pll.sr12);
    WriteIndexed(RegFile::kSequencer, SR13, pll.sr13);
  }
  WriteIndexed(RegFile::kSequencer, SR15, 0x00);  // one pixel per DCLK, no halving

  VgaCard::ProgramMode(m);
  WriteMisc(static_cast<uint8_t>((misc() & ~0x0C) | (select << kMiscClockShift)));

  const int h_total = m.h_total - 5;
  const int h_display = m.h_display - 1;
  const uint8_t h_overflow =
      static_cast<uint8_t>(Bit(h_total, 8, 0) | Bit(h_display, 8, 1) | Bit(m.h_blank_start, 8, 2) |
                           Bit(m.h_sync_start, 8, 4) | Bit(h_total, 8, 6));
  WriteIndexed(RegFile::kCrtc, CR3B, static_cast<uint8_t>(h_total & 0xFF));
  WriteIndexed(RegFile::kCrtc, CR5D, h_overflow);
  // Every desktop mode keeps its vertical values within ten bits (tall ones count by two).
  WriteIndexed(RegFile::kCrtc, CR5E, 0x00);
  WriteIndexed(RegFile::kCrtc, CR42, 0x00);  // not interlaced
  WriteIndexed(RegFile::kCrtc, CR3C, 0x00);
  WriteIndexed(RegFile::kCrtc, CR51, static_cast<uint8_t>(((m.offset >> 8) & 0x03) << 4));
  WriteIndexed(RegFile::kCrtc, CR43, 0x00);
  // The pixel format, streams processor off.
  WriteIndexed(RegFile::kCrtc, CR67, m.text ? 0x00 : S3PixelFormat(m.bits_per_pixel));
  WriteIndexed(RegFile::kCrtc, CR35, 0x00);

  WriteIndexed(RegFile::kCrtc, CR39, 0x5A);
  WriteIndexed(RegFile::kCrtc, CR38, 0x00);
  WriteIndexed(RegFile::kSequencer, SR08, 0x00);
}

}  // namespace zanvo::virt
