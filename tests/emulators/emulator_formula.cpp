#include "emulator_formula.h"

#include <array>
#include <cstdint>

namespace zanvo::emu {

namespace {

// DOSBox's fixed VGA clocks and its board tables, in kHz as it stores them.
constexpr uint32_t kDosboxClock0Khz = 25175;
constexpr uint32_t kDosboxClock1Khz = 28322;
constexpr std::array<uint32_t, 16> kDosboxTsengKhz = {
    25175, 28322, 32400, 35900, 39900, 44700, 31400, 37500,
    50000, 56500, 64900, 71900, 79900, 89600, 62800, 74800,
};
constexpr std::array<uint32_t, 4> kDosboxParadiseKhz = {25175, 28322, 32400, 35900};
constexpr uint32_t kDosboxS3ReferenceKhz = 14318;

// Bochs computes a Cirrus VCLK from this reference in double precision and truncates to hertz.
constexpr double kBochsReferenceHz = 14318180.0;

int MiscClockSelect(const scope::RegisterDump& d) {
  return (d.misc >> 2) & 0x03;
}

// 0 when the emulator has no value of its own for the selected clock.
uint64_t DosboxClockHz(EmulatedChip chip, const scope::RegisterDump& d, int& select) {
  const int misc = MiscClockSelect(d);
  select = misc;
  switch (chip) {
    case EmulatedChip::kVga:
      return uint64_t{misc == 0 ? kDosboxClock0Khz : kDosboxClock1Khz} * 1000;
    case EmulatedChip::kS3Trio: {
      uint64_t hz = 0;
      if (misc == 0) {
        hz = uint64_t{kDosboxClock0Khz} * 1000;
      } else if (misc == 1) {
        hz = uint64_t{kDosboxClock1Khz} * 1000;
      } else if (misc == 3) {
        // SR12/SR13 load the PLL of clock 3 only; clock 2 keeps what the emulator's BIOS set.
        const uint32_t n = d.seq[0x12] & 0x1F;
        const uint32_t r = d.seq[0x12] >> 5;
        const uint32_t m = d.seq[0x13] & 0x7F;
        hz = uint64_t{(kDosboxS3ReferenceKhz * (m + 2)) / ((n + 2) * (1u << r))} * 1000;
      }
      if ((d.seq[0x15] & 0x10) != 0) hz /= 2;
      return hz;
    }
    case EmulatedChip::kTsengEt4000:
      select = misc | ((d.crtc[0x34] << 1) & 4) | ((d.crtc[0x31] >> 3) & 8);
      return uint64_t{kDosboxTsengKhz[static_cast<size_t>(select)]} * 1000;
    case EmulatedChip::kTsengEt3000:
      select = misc | ((d.crtc[0x24] << 1) & 4);
      return uint64_t{kDosboxTsengKhz[static_cast<size_t>(select)]} * 1000;
    case EmulatedChip::kParadisePvga1a:
      return uint64_t{kDosboxParadiseKhz[static_cast<size_t>(misc)]} * 1000;
    case EmulatedChip::kCirrus:
      return 0;
  }
  return 0;
}

// The timing extension bits DOSBox keeps per chip: horizontal total bit 8, vertical total bit 10.
void DosboxOverflow(EmulatedChip chip, const scope::RegisterDump& d, int& h_bit8, int& v_bit10) {
  h_bit8 = 0;
  v_bit10 = 0;
  switch (chip) {
    case EmulatedChip::kS3Trio:
      h_bit8 = d.crtc[0x5D] & 0x01;
      v_bit10 = d.crtc[0x5E] & 0x01;
      break;
    case EmulatedChip::kTsengEt4000:
      h_bit8 = d.crtc[0x3F] & 0x01;
      v_bit10 = (d.crtc[0x35] >> 1) & 0x01;
      break;
    case EmulatedChip::kTsengEt3000:
      v_bit10 = (d.crtc[0x25] >> 1) & 0x01;
      break;
    default:
      break;
  }
}

std::optional<EmulatorTiming> DosboxTiming(EmulatedChip chip, const scope::RegisterDump& d) {
  EmulatorTiming t;
  const uint64_t clock_hz = DosboxClockHz(chip, d, t.clock_select);
  if (clock_hz == 0) return std::nullopt;
  t.clock_hz = static_cast<double>(clock_hz);
  t.dots_per_char = (d.seq[0x01] & 0x01) != 0 ? 8 : 9;
  const uint64_t char_clock = clock_hz / static_cast<uint64_t>(t.dots_per_char);
  int h_bit8 = 0, v_bit10 = 0;
  DosboxOverflow(chip, d, h_bit8, v_bit10);
  t.h_total = (d.crtc[0x00] | h_bit8 << 8) + 5;
  if ((d.seq[0x01] & 0x08) != 0) t.h_total *= 2;
  t.v_total = (d.crtc[0x06] | (d.crtc[0x07] & 0x01) << 8 | (d.crtc[0x07] & 0x20) << 4 |
               v_bit10 << 10) + 2;
  t.field_rate_hz = static_cast<double>(char_clock) / (static_cast<double>(t.v_total) * t.h_total);
  t.field_period_s = 1.0 / t.field_rate_hz;
  return t;
}

std::optional<EmulatorTiming> BochsCirrusTiming(const scope::RegisterDump& d) {
  EmulatorTiming t;
  t.clock_select = MiscClockSelect(d);
  const uint32_t n = d.seq[0x0B + t.clock_select];
  const uint32_t denominator = d.seq[0x1B + t.clock_select];
  const uint32_t divisor = denominator >> 1;
  if (divisor == 0) return std::nullopt;  // the emulator keeps its previous clock then
  const uint32_t post = (denominator & 0x01) != 0 ? 2 : 1;
  uint32_t vclock = static_cast<uint32_t>(kBochsReferenceHz * (static_cast<double>(n) /
                                                               static_cast<double>(divisor * post)));
  t.clock_hz = vclock;
  if ((d.seq[0x01] & 0x08) != 0) vclock >>= 1;
  t.dots_per_char = (d.seq[0x01] & 0x01) != 0 ? 8 : 9;
  t.h_total = d.crtc[0x00] + 5;
  t.v_total = d.crtc[0x06] + ((d.crtc[0x07] & 0x01) << 8) + ((d.crtc[0x07] & 0x20) << 4) + 2;
  const uint32_t h_rate = vclock / static_cast<uint32_t>(t.h_total * t.dots_per_char);
  if (h_rate == 0) return std::nullopt;
  const uint32_t v_rate = h_rate / static_cast<uint32_t>(t.v_total);
  if (v_rate == 0) return std::nullopt;  // the emulator would divide by zero
  t.field_rate_hz = v_rate;
  // Its retrace is timed in whole microseconds.
  t.field_period_s = static_cast<double>(1000000u / v_rate) * 1e-6;
  return t;
}

}  // namespace

std::optional<EmulatorTiming> EmulatorFieldTiming(const EmulatorTarget& target,
                                                  const scope::RegisterDump& dump) {
  if (target.emulator == Emulator::kBochs) return BochsCirrusTiming(dump);
  return DosboxTiming(target.chip, dump);
}

}  // namespace zanvo::emu
