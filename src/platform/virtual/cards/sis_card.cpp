#include "platform/virtual/cards/sis_card.h"

#include <cmath>

#include "platform/virtual/cards/standard_vga.h"

namespace zanvo::virt {

namespace {

constexpr double kReferenceHz = 14'318'180.0;

constexpr uint8_t SR05 = 0x05;  // extended register password
constexpr uint8_t SR06 = 0x06;
constexpr uint8_t SR0A = 0x0A;
constexpr uint8_t SR0C = 0x0C;
constexpr uint8_t SR0E = 0x0E;
constexpr uint8_t SR2A = 0x2A;
constexpr uint8_t SR2B = 0x2B;
constexpr uint8_t SR2C = 0x2C;
constexpr uint8_t SR2D = 0x2D;
constexpr uint8_t kLastExtendedSeq = 0x3F;

constexpr uint8_t kUnlockKey = 0x86;
constexpr uint8_t kReadsUnlocked = 0xA1;
constexpr uint8_t kReadsLocked = 0x21;
constexpr uint8_t kSR06Interlace = 0x20;
constexpr uint8_t kSR2DLoad = 0x80;
constexpr uint8_t kTimesTwo = 0x80;  // bit 7 of both divider registers

constexpr RegisterAccess kAbsent{false, 0x00};
constexpr RegisterAccess kFull{true, 0xFF};

struct ClockWords {
  uint8_t num = 0;
  uint8_t den = 0;
  double hz = 0;
};

double ClockOf(uint8_t num, uint8_t den) {
  const double n = ((num & 0x7F) + 1) * ((num & kTimesTwo) != 0 ? 2 : 1);
  const double d = ((den & 0x1F) + 1) * (((den >> 5) & 3) + 1) * ((den & kTimesTwo) != 0 ? 2 : 1);
  return kReferenceHz * n / d;
}

// The divider words closest to `hz`, without the two doubling bits.
ClockWords Synthesize(double hz) {
  ClockWords best;
  for (int post = 0; post < 4; ++post) {
    for (int den = 0; den < 32; ++den) {
      const long num = std::lround(hz * (den + 1) * (post + 1) / kReferenceHz) - 1;
      if (num < 0 || num > 0x7F) continue;
      const auto n = static_cast<uint8_t>(num);
      const auto d = static_cast<uint8_t>(den | post << 5);
      const double made = ClockOf(n, d);
      if (best.hz == 0 || std::fabs(made - hz) < std::fabs(best.hz - hz)) best = {n, d, made};
    }
  }
  return best;
}

bool IsCrystal(double hz) {
  return std::fabs(hz - kClock25Hz) < 1e3 || std::fabs(hz - kClock28Hz) < 1e3;
}

}  // namespace

bool SisCard::is_300() const {
  return model_ == 0x0300;
}

PciIdentity SisCard::pci_identity() const {
  return {true, kPciVendorSis, pci_device_, 0x0300, 0};
}

RegisterAccess SisCard::Access(RegFile file, uint8_t index) const {
  if (file == RegFile::kSequencer && index >= SR05) {
    if (index == SR05) return kFull;
    return (unlocked_ || locks_held_open()) && index <= kLastExtendedSeq ? kFull : kAbsent;
  }
  return VgaCard::Access(file, index);
}

uint8_t SisCard::ReadRegister(RegFile file, uint8_t index) const {
  if (file == RegFile::kSequencer && index == SR05) {
    return unlocked_ ? kReadsUnlocked : kReadsLocked;
  }
  return VgaCard::ReadRegister(file, index);
}

void SisCard::WriteRegister(RegFile file, uint8_t index, uint8_t value) {
  VgaCard::WriteRegister(file, index, value);
  if (file != RegFile::kSequencer) return;
  if (index == SR05) {
    unlocked_ = value == kUnlockKey;
  } else if (index == SR2D && (unlocked_ || locks_held_open()) && is_300() &&
             (value & kSR2DLoad) != 0) {
    loaded_num_ = Stored(RegFile::kSequencer, SR2B);
    loaded_den_ = Stored(RegFile::kSequencer, SR2C);
    InvalidateTiming();
  }
}

uint8_t SisCard::clock_num() const {
  return is_300() ? loaded_num_ : Stored(RegFile::kSequencer, SR2A);
}

uint8_t SisCard::clock_den() const {
  return is_300() ? loaded_den_ : Stored(RegFile::kSequencer, SR2B);
}

double SisCard::ProgrammableClockHz() const {
  return ClockOf(clock_num(), clock_den());
}

double SisCard::ClockHz(int select) const {
  switch (select) {
    case 0:
      return kClock25Hz;
    case 1:
      return kClock28Hz;
    case 3:
      return ProgrammableClockHz();
    default:
      return 0;
  }
}

double SisCard::DriverClockHz(double wanted_hz) const {
  return IsCrystal(wanted_hz) ? wanted_hz : Synthesize(wanted_hz).hz;
}

void SisCard::ApplyExtensions(CrtcTiming& t) const {
  const auto sr = [this](uint8_t index) { return Stored(RegFile::kSequencer, index); };
  // Interlaced, the vertical values stay those of one field.
  t.interlaced = (sr(SR06) & kSR06Interlace) != 0;
  t.v_frame_lines = false;
  t.interlace_reads_frame = true;
  t.offset_bits = 12;
  if (!is_300()) {
    t.offset |= (sr(SR0A) >> 4) << 8;
    t.offset_registers = "CRTC 0x13 with SR0A bits 4-7";
    return;
  }
  t.offset |= (sr(SR0E) & 0x0F) << 8;
  t.offset_registers = "CRTC 0x13 with SR0E bits 0-3";
  t.h_blank_end |= (sr(SR0C) & 0x03) << 6;
  t.h_blank_end_bits = 8;
  t.h_sync_end |= ((sr(SR0C) >> 2) & 1) << 5;
  t.h_sync_end_bits = 6;
  t.v_blank_end |= ((sr(SR0A) >> 4) & 1) << 8;
  t.v_blank_end_bits = 9;
  t.v_sync_end |= ((sr(SR0A) >> 5) & 1) << 4;
  t.v_sync_end_bits = 5;
}

void SisCard::ProgramMode(const ModeTiming& m) {
  WriteIndexed(RegFile::kSequencer, SR05, kUnlockKey);
  if (!IsCrystal(m.pixel_clock_hz)) {
    const ClockWords c = Synthesize(m.pixel_clock_hz);
    if (is_300()) {
      WriteIndexed(RegFile::kSequencer, SR2B, c.num);
      WriteIndexed(RegFile::kSequencer, SR2C, c.den);
      WriteIndexed(RegFile::kSequencer, SR2D, kSR2DLoad);
    } else {
      WriteIndexed(RegFile::kSequencer, SR2A, c.num);
      WriteIndexed(RegFile::kSequencer, SR2B, c.den);
    }
  }
  VgaCard::ProgramMode(m);

  const int div = m.v_total - 2 > 1023 ? 2 : 1;
  const int offset_high = m.offset >> 8;
  WriteIndexed(RegFile::kSequencer, SR06, 0x00);
  if (is_300()) {
    WriteIndexed(RegFile::kSequencer, SR0E, static_cast<uint8_t>(offset_high & 0x0F));
    WriteIndexed(RegFile::kSequencer, SR0C,
                 static_cast<uint8_t>(((m.h_blank_end >> 6) & 3) | ((m.h_sync_end >> 5) & 1) << 2));
    WriteIndexed(RegFile::kSequencer, SR0A,
                 static_cast<uint8_t>(((m.v_blank_end / div) >> 8 & 1) << 4 |
                                      ((m.v_sync_end / div) >> 4 & 1) << 5));
  } else {
    WriteIndexed(RegFile::kSequencer, SR0A, static_cast<uint8_t>((offset_high & 0x0F) << 4));
  }
  // The driver locks the extended registers again when it is done.
  WriteIndexed(RegFile::kSequencer, SR05, 0x00);
}

}  // namespace zanvo::virt
