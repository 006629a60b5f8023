#include "platform/virtual/cards/s3_card.h"

#include <cmath>

#include "platform/virtual/cards/recent_results.h"

namespace zanvo::virt {

namespace {

constexpr double kPllReferenceHz = 14'318'180.0;
constexpr double kVcoMinHz = 135e6;
constexpr double kVcoMaxHz = 270e6;
constexpr double kFixedClock0Hz = 25'175'000.0;
constexpr double kFixedClock1Hz = 28'322'000.0;

constexpr uint8_t SR08 = 0x08;  // key: 0x06 opens SR09 and up
constexpr uint8_t SR12 = 0x12;  // DCLK PLL N (bits 4-0) and R (bits 6-5)
constexpr uint8_t SR13 = 0x13;  // DCLK PLL M (bits 6-0)
constexpr uint8_t SR15 = 0x15;  // clock control: bit 4 halves the DCLK
constexpr uint8_t kSeqKey = 0x06;
constexpr uint8_t kSR15HalfClock = 0x10;

constexpr uint8_t CR2D = 0x2D, CR2E = 0x2E, CR2F = 0x2F;  // device id high, low; revision
constexpr uint8_t CR30 = 0x30;                            // chip identification
constexpr uint8_t CR38 = 0x38, CR39 = 0x39;               // register locks 1 and 2
constexpr uint8_t CR42 = 0x42;                            // mode control: bit 5 interlace
constexpr uint8_t CR43 = 0x43;  // extended mode: bit 2 offset bit 8 (when CR51 bits 4-5 are 0)
constexpr uint8_t CR51 = 0x51;  // system control 2: bits 5-4 offset bits 9-8
constexpr uint8_t CR5D = 0x5D;  // extended horizontal overflow
constexpr uint8_t CR5E = 0x5E;  // extended vertical overflow
constexpr uint8_t CR67 = 0x67;  // extended misc 2: bits 7-4 pixel format
constexpr uint8_t kLastCrtc = 0x6D;

// CR5D: 7 6 5 4 3 2 1 0
//         | | | | | | `- horizontal total bit 8
//         | | | | | `--- horizontal display end bit 8
//         | | | | `----- horizontal blank start bit 8
//         | | | `------- blank 64 characters longer
//         | | `--------- horizontal sync start bit 8
//         | `----------- sync 32 characters longer
//         `------------- CR3B bit 8
// CR5E: bit 0 vertical total, 1 display end, 2 blank start, 4 sync start: each bit 10.

bool IsExtSeq(uint8_t index) {
  return (index >= 0x09 && index <= 0x0B) || index == 0x0D || (index >= 0x10 && index <= 0x15) ||
         index == 0x18 || index == 0x1A || index == 0x1B;
}

int BitAt(uint8_t value, int bit, int weight) {
  return ((value >> bit) & 1) * weight;
}

// An end compare of `bits` bits made `extra` counts longer: the same interval expressed as a
// compare one bit wider.
void Lengthen(int start, int& end_reg, int& bits, int extra) {
  const int period = 1 << bits;
  int delta = (end_reg - start) & (period - 1);
  if (delta == 0) delta = period;
  ++bits;
  end_reg = (start + delta + extra) & ((1 << bits) - 1);
}

}  // namespace

double S3PllHz(S3Pll pll) {
  const int m = pll.sr13 & 0x7F;
  const int n = pll.sr12 & 0x1F;
  const int r = (pll.sr12 >> 5) & 0x03;
  return kPllReferenceHz * (m + 2) / ((n + 2) * (1 << r));
}

namespace {

S3Pll SearchS3Pll(double hz) {
  S3Pll best{};
  double best_error = -1;
  for (int r = 0; r < 4; ++r) {
    for (int n = 0; n < 32; ++n) {
      for (int m = 0; m < 128; ++m) {
        const double vco = kPllReferenceHz * (m + 2) / (n + 2);
        if (vco < kVcoMinHz || vco > kVcoMaxHz) continue;
        const double error = std::fabs(vco / (1 << r) - hz);
        if (best_error < 0 || error < best_error) {
          best_error = error;
          best = {static_cast<uint8_t>((r << 5) | n), static_cast<uint8_t>(m)};
        }
      }
    }
  }
  return best;
}

}  // namespace

S3Pll NearestS3Pll(double hz) {
  thread_local RecentResults<S3Pll> recent;
  return recent.Get(hz, SearchS3Pll);
}

S3Card::S3Card(const S3Chip& chip) : chip_(chip) {
  StoredRef(RegFile::kCrtc, CR30) = chip.cr30;
  StoredRef(RegFile::kCrtc, CR2D) = chip.cr2d;
  StoredRef(RegFile::kCrtc, CR2E) = chip.cr2e;
  // Power-on DCLK: 14.318 x 47 / 14 / 2 = 24.04 MHz until a driver loads its own.
  StoredRef(RegFile::kSequencer, SR12) = 0x2C;
  StoredRef(RegFile::kSequencer, SR13) = 0x2D;
}

bool S3Card::SeqOpen() const {
  return Stored(RegFile::kSequencer, SR08) == kSeqKey || locks_held_open();
}
bool S3Card::CrtcOpen() const {
  return (Stored(RegFile::kCrtc, CR38) & 0xCC) == 0x48 || locks_held_open();
}
bool S3Card::CrtcExtOpen() const {
  return (Stored(RegFile::kCrtc, CR39) & 0xE0) == 0xA0 || locks_held_open();
}

RegisterAccess S3Card::Access(RegFile file, uint8_t index) const {
  const RegisterAccess locked{true, 0x00};
  const RegisterAccess open{true, 0xFF};
  if (file == RegFile::kSequencer) {
    if (index == SR08) return open;
    if (IsExtSeq(index)) return SeqOpen() ? open : locked;
    return VgaCard::Access(file, index);
  }
  if (file != RegFile::kCrtc || index < kStandardCrtcCount) return VgaCard::Access(file, index);
  if (index == CR38 || index == CR39) return open;
  // Identification registers are read-only; the Vision864 has no device id registers.
  if (index >= CR2D && index <= CR2F) return chip_.is_trio ? locked : RegisterAccess{};
  if (index == CR30) return locked;
  if (index > CR30 && index < 0x40) return CrtcOpen() ? open : locked;
  if (index >= 0x40 && index <= kLastCrtc) return CrtcExtOpen() ? open : locked;
  return {};
}

double S3Card::ClockHz(int select) const {
  switch (select) {
    case 0:
      return kFixedClock0Hz;
    case 1:
      return kFixedClock1Hz;
    case 3:
      return S3PllHz({Stored(RegFile::kSequencer, SR12), Stored(RegFile::kSequencer, SR13)});
    default:
      return 0;  // reserved
  }
}

void S3Card::ApplyExtensions(CrtcTiming& t) const {
  const auto cr = [this](uint8_t index) { return Stored(RegFile::kCrtc, index); };
  // SR15 bit 4, DCLK/2, fixed clocks included; the Vision864 has no such divider
  // (docs/chips.md, S3).
  if (chip_.is_trio && (Stored(RegFile::kSequencer, SR15) & kSR15HalfClock) != 0) {
    t.clock_divisor *= 2;
  }

  const uint8_t h_over = cr(CR5D);
  t.h_total += BitAt(h_over, 0, 0x100);
  t.h_display += BitAt(h_over, 1, 0x100);
  t.h_blank_start += BitAt(h_over, 2, 0x100);
  t.h_sync_start += BitAt(h_over, 4, 0x100);
  if ((h_over & 0x08) != 0) Lengthen(t.h_blank_start, t.h_blank_end, t.h_blank_end_bits, 64);
  if ((h_over & 0x20) != 0) Lengthen(t.h_sync_start, t.h_sync_end, t.h_sync_end_bits, 32);

  const uint8_t v_over = cr(CR5E);
  t.v_total += BitAt(v_over, 0, 0x400);
  t.v_display += BitAt(v_over, 1, 0x400);
  t.v_blank_start += BitAt(v_over, 2, 0x400);
  t.v_sync_start += BitAt(v_over, 4, 0x400);

  // Interlace: vertical values count field lines; CR3C places the second field's retrace.
  t.interlaced = (cr(CR42) & 0x20) != 0;

  int high = (cr(CR51) >> 4) & 0x03;
  if (high == 0) high = (cr(CR43) >> 2) & 0x01;
  t.offset += high << 8;
  t.offset_bits = 10;
  t.offset_registers = "CRTC 0x13 with CR51 bits 4-5";

  // 15- and 16-bit pixels (CR67 bits 7-4 = 3 or 5) take two clocks each on the Trio, and its
  // CRTC then counts horizontal values in half characters.
  const uint8_t format = cr(CR67) & 0xF0;
  if (chip_.is_trio && (format == 0x30 || format == 0x50)) t.h_units_per_char = 2;
  if (format == 0x30) t.bits_per_pixel = 15;
  if (format == 0x50) t.bits_per_pixel = 16;
  if (format == 0xD0) t.bits_per_pixel = 32;
}

}  // namespace zanvo::virt
