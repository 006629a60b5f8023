#include "platform/virtual/cards/trident_card.h"

#include <array>
#include <cmath>

#include "platform/virtual/cards/recent_results.h"

namespace zanvo::virt {

namespace {

constexpr uint8_t SR0B = 0x0B;  // chip version; the access selects the register set
constexpr uint8_t SR0D = 0x0D;  // mode control 2
constexpr uint8_t SR0E = 0x0E;  // mode control 1
constexpr uint8_t SR11 = 0x11;  // protection key of the 0xF3 chip
constexpr uint8_t GR0F = 0x0F;  // miscellaneous extended functions
constexpr uint8_t CR1E = 0x1E;  // module testing: bit 2 interlace
constexpr uint8_t CR29 = 0x29;  // offset bits 8-9
constexpr uint8_t CR38 = 0x38;  // pixel depth
constexpr uint8_t kCr38DepthMask = 0x0C;
constexpr uint8_t kCr38Depth16 = 0x04;
constexpr uint8_t kCr38Depth24Or32 = 0x08;
constexpr uint8_t kCr38Packed24 = 0x20;  // with bits 3-2 = 2: three bytes a pixel, else four
constexpr uint8_t kCr38WideBus = 0x01;   // 16-bit pixel bus, set at every depth above 8

constexpr uint8_t kSr0eUnprotect = 0x80;
constexpr uint8_t kSr0eInvertedBit = 0x02;
constexpr uint8_t kSr11Key = 0x92;
constexpr uint8_t kCr1eInterlace = 0x04;
constexpr uint8_t kCr1eProgressive = 0x80;  // what the BIOS writes for non-interlaced modes
constexpr uint8_t kGr0fHalfDotClock = 0x08;
constexpr double kVclkReferenceHz = 14'318'180.0;

// The TCK9002 clock synthesizer of the TVGA 9000 boards.
constexpr std::array<double, 16> kClocksHz = {
    25'175'000.0, 28'322'000.0, 44'900'000.0, 36'000'000.0, 57'272'000.0,  65'000'000.0,
    50'350'000.0, 40'000'000.0, 88'000'000.0, 98'000'000.0, 118'800'000.0, 108'000'000.0,
    72'000'000.0, 77'000'000.0, 80'000'000.0, 75'000'000.0,
};

constexpr RegisterAccess kAbsent{false, 0x00};
constexpr RegisterAccess kFull{true, 0xFF};
constexpr RegisterAccess kDecodedEmpty{true, 0x00};

}  // namespace

TridentCard::TridentCard(TridentChip chip) : chip_(chip) {}

std::string_view TridentCard::name() const {
  switch (chip_) {
    case TridentChip::k8800BR:
      return "trident-8800br";
    case TridentChip::k9000i:
      return "trident-9000i";
    case TridentChip::kBlade3D:
      return "trident-blade3d";
  }
  return "trident";
}

uint16_t TridentCard::model() const {
  switch (chip_) {
    case TridentChip::k8800BR:
      return 0x01;
    case TridentChip::k9000i:
      return 0x43;
    case TridentChip::kBlade3D:
      return 0xF3;
  }
  return 0;
}

double TridentCard::FixedClockHz(int index) {
  return index >= 0 && index < static_cast<int>(kClocksHz.size()) ? kClocksHz[index] : 0;
}

double TridentCard::VclkHz(uint16_t word) {
  const int n = word & 0x7F;
  const int m = (word >> 7) & 0x1F;
  const int k = (word >> 12) & 0x01;
  return kVclkReferenceHz * (n + 8) / ((m + 2) * (1 << k));
}

double TridentCard::ClockHz(int select) const {
  if (HasVclk() && select >= 2) return VclkHz(vclk_);
  return FixedClockHz(select);
}

double TridentCard::SelectedClockHz() const {
  const int select = (PeekMisc() >> kMiscClockShift) & 0x03;
  if (chip_ != TridentChip::k9000i) return ClockHz(select);
  const uint8_t mode2 = Stored(RegFile::kSequencer, SR0D);
  return FixedClockHz(select | (mode2 & 0x01) << 2 | ((mode2 >> 6) & 0x01) << 3);
}

uint16_t TridentCard::BestVclkWord(double wanted_hz) {
  thread_local RecentResults<uint16_t> recent;
  return recent.Get(wanted_hz, [](double hz) {
    uint16_t best = 0;
    for (int word = 1; word < 0x2000; ++word) {
      if (std::fabs(VclkHz(static_cast<uint16_t>(word)) - hz) < std::fabs(VclkHz(best) - hz)) {
        best = static_cast<uint16_t>(word);
      }
    }
    return best;
  });
}

double TridentCard::DriverClockHz(double wanted_hz) const {
  const int fixed = chip_ == TridentChip::k9000i ? 16 : HasVclk() ? 2 : 4;
  double best = kClocksHz[0];
  for (int i = 1; i < fixed; ++i) {
    if (std::fabs(kClocksHz[i] - wanted_hz) < std::fabs(best - wanted_hz)) best = kClocksHz[i];
  }
  if (HasVclk()) {
    const double vclk = VclkHz(BestVclkWord(wanted_hz));
    if (std::fabs(vclk - wanted_hz) < std::fabs(best - wanted_hz)) best = vclk;
  }
  return best;
}

// Holding the locks open includes what the key's read of SR0B does: the new set is the one
// reached, whatever was selected last.
bool TridentCard::OldSetSelected() const {
  return old_mode_ && (chip_ == TridentChip::k8800BR || !locks_held_open());
}

bool TridentCard::Unprotected() const {
  if (locks_held_open()) return true;
  if ((Stored(RegFile::kSequencer, SR0E) & kSr0eUnprotect) == 0) return false;
  return chip_ != TridentChip::kBlade3D || Stored(RegFile::kSequencer, SR11) == kSr11Key;
}

RegisterAccess TridentCard::Access(RegFile file, uint8_t index) const {
  if (file == RegFile::kSequencer) {
    switch (index) {
      case SR0B:
        return {true, 0x00};  // the write itself is what counts
      case SR0D:
      case SR0E:
        return kFull;
      case SR11:
        return HasVclk() ? kFull : kAbsent;
      default:
        break;
    }
  } else if (file == RegFile::kGraphics && index == GR0F) {
    return chip_ == TridentChip::k8800BR ? kAbsent : kFull;
  } else if (file == RegFile::kCrtc && index >= kStandardCrtcCount) {
    return CrtcAccess(index);
  }
  return VgaCard::Access(file, index);
}

RegisterAccess TridentCard::CrtcAccess(uint8_t index) const {
  if (index < CR1E) return kAbsent;
  if (index > 0x3F) return kAbsent;
  switch (index) {
    case CR1E:
    case 0x1F:
      return kFull;
    case CR29:
      if (chip_ == TridentChip::k8800BR) return kDecodedEmpty;
      return {true, static_cast<uint8_t>(!Unprotected()                 ? 0x00
                                         : chip_ == TridentChip::k9000i ? 0x13
                                                                        : 0x33)};
    case CR38:
      if (!HasVclk()) return kDecodedEmpty;
      return {true, static_cast<uint8_t>(Unprotected() ? 0xFF : 0x00)};
    default:
      return kDecodedEmpty;
  }
}

uint8_t TridentCard::ReadRegister(RegFile file, uint8_t index) const {
  if (file == RegFile::kSequencer) {
    if (index == SR0B) return static_cast<uint8_t>(model());
    if (index == SR0D && OldSetSelected()) return old_sr0d_;
    if (index == SR0E && OldSetSelected()) return old_sr0e_;
  }
  return VgaCard::ReadRegister(file, index);
}

void TridentCard::WriteRegister(RegFile file, uint8_t index, uint8_t value) {
  if (file == RegFile::kSequencer) {
    if (index == SR0B) {
      old_mode_ = true;
      return;
    }
    if (index == SR0D || index == SR0E) {
      if (OldSetSelected()) {
        (index == SR0D ? old_sr0d_ : old_sr0e_) = value;
      } else {
        StoredRef(file, index) =
            index == SR0E ? static_cast<uint8_t>(value ^ kSr0eInvertedBit) : value;
      }
      InvalidateTiming();
      return;
    }
  }
  VgaCard::WriteRegister(file, index, value);
}

void TridentCard::OnRegisterRead(RegFile file, uint8_t index) {
  // Reading the version switches to the new register set; the 8800BR has none.
  if (file == RegFile::kSequencer && index == SR0B) old_mode_ = chip_ == TridentChip::k8800BR;
}

uint8_t TridentCard::PeekExtraPort(uint16_t port) const {
  if (!HasVclk()) return kFloatingBus;
  if (port == kPortTridentVclkLow) return static_cast<uint8_t>(vclk_ & 0xFF);
  if (port == kPortTridentVclkHigh) return static_cast<uint8_t>(vclk_ >> 8);
  return kFloatingBus;
}

void TridentCard::WriteExtraPort(uint16_t port, uint8_t value) {
  if (!HasVclk() || !Unprotected()) return;
  if (port == kPortTridentVclkLow) vclk_ = static_cast<uint16_t>((vclk_ & 0xFF00) | value);
  if (port == kPortTridentVclkHigh) vclk_ = static_cast<uint16_t>((vclk_ & 0x00FF) | value << 8);
}

void TridentCard::ApplyExtensions(CrtcTiming& t) const {
  t.clock_hz = SelectedClockHz();
  t.clock_defined = t.clock_hz > 0;
  if (chip_ == TridentChip::k9000i) {
    const uint8_t mode2 = Stored(RegFile::kSequencer, SR0D);
    t.clock_select |= (mode2 & 0x01) << 2 | ((mode2 >> 6) & 0x01) << 3;
  }
  if (chip_ != TridentChip::k8800BR) {
    switch ((Stored(RegFile::kSequencer, SR0D) >> 1) & 0x03) {
      case 1:
        t.clock_divisor *= 2;
        break;
      case 2:
        t.clock_divisor *= 4;
        break;
      case 3:
        t.clock_hz /= 1.5;
        break;
      default:
        break;
    }
  }
  if (chip_ == TridentChip::kBlade3D && (Stored(RegFile::kGraphics, GR0F) & kGr0fHalfDotClock))
    t.clock_divisor *= 2;

  if (HasVclk()) {
    // The DAC takes a whole pixel a dot at every depth: the counts and the clock stay those of
    // the pixels (at 32 bits the driver doubles the clock and halves it again through GR0F).
    const uint8_t cr38 = Stored(RegFile::kCrtc, CR38);
    const uint8_t depth = cr38 & kCr38DepthMask;
    if (depth == kCr38Depth16) t.bits_per_pixel = 16;
    if (depth == kCr38Depth24Or32) t.bits_per_pixel = (cr38 & kCr38Packed24) ? 24 : 32;
  }

  t.interlaced = (Stored(RegFile::kCrtc, CR1E) & kCr1eInterlace) != 0;
  t.interlace_reads_frame = true;
  // The 8800BR has no CR29 (docs/chips.md): its offset is CR13 alone.
  if (chip_ == TridentChip::k8800BR) return;
  const uint8_t offset_high = Stored(RegFile::kCrtc, CR29);
  t.offset += ((offset_high >> 4) & 0x01) << 8;
  t.offset_bits = 9;
  t.offset_registers = "CRTC 0x13 with CR29 bit 4";
  if (chip_ == TridentChip::kBlade3D) {
    t.offset += ((offset_high >> 5) & 0x01) << 9;
    t.offset_bits = 10;
    t.offset_registers = "CRTC 0x13 with CR29 bits 4-5";
  }
}

// CR38 by depth: 0x00 8 bits, 0x05 16 bits, 0x29 24 bits, 0x09 32 bits (bits 3-2 the bytes
// class, bit 5 packs 24 into three bytes).
uint8_t DepthCode(uint8_t bits_per_pixel) {
  if (bits_per_pixel == 16) return kCr38Depth16 | kCr38WideBus;
  if (bits_per_pixel == 24) return kCr38Depth24Or32 | kCr38Packed24 | kCr38WideBus;
  if (bits_per_pixel == 32) return kCr38Depth24Or32 | kCr38WideBus;
  return 0x00;
}

// A pixel a dot at 16 and 24 bits; at 32 bits the clock is loaded at twice the pixel rate and
// GR0F bit 3 halves it, the counts unchanged.
VgaCard::DepthPipe TridentCard::DriverPipe(uint8_t bits_per_pixel) const {
  if (HasVclk() && bits_per_pixel == 32) return {1, 2};
  return {};
}

void TridentCard::ProgramMode(const ModeTiming& m) {
  int index = 0;
  ModeTiming standard = m;
  if (chip_ == TridentChip::kBlade3D) {
    const bool fixed = m.pixel_clock_hz == kClocksHz[0] || m.pixel_clock_hz == kClocksHz[1];
    if (!fixed) vclk_ = BestVclkWord(m.pixel_clock_hz);
  } else {
    const int count = chip_ == TridentChip::k9000i ? 16 : 4;
    for (int i = 1; i < count; ++i) {
      if (std::fabs(kClocksHz[i] - m.pixel_clock_hz) <
          std::fabs(kClocksHz[index] - m.pixel_clock_hz))
        index = i;
    }
    // The standard part selects clock bits 0-1 through the Miscellaneous Output.
    standard.pixel_clock_hz = kClocksHz[index & 3];
  }
  VgaCard::ProgramMode(standard);

  // The driver's extended registers, written with the protection lifted; it leaves the new
  // register set selected and SR0E bit 7 (and on the 0xF3 chip SR11) protecting again.
  StoredRef(RegFile::kSequencer, SR0D) =
      static_cast<uint8_t>((index & 4) >> 2 | (index & 8) << 3);  // CS2, CS3; divider /1
  StoredRef(RegFile::kSequencer, SR0E) = kSr0eInvertedBit;        // 0 written
  StoredRef(RegFile::kCrtc, CR1E) = kCr1eProgressive;
  if (chip_ != TridentChip::k8800BR) {
    StoredRef(RegFile::kGraphics, GR0F) =
        HasVclk() && !m.text && m.bits_per_pixel == 32 ? kGr0fHalfDotClock : 0x00;
    StoredRef(RegFile::kCrtc, CR29) = static_cast<uint8_t>(((m.offset >> 8) & 0x01) << 4);
  }
  if (HasVclk()) {
    StoredRef(RegFile::kCrtc, CR29) |= static_cast<uint8_t>(((m.offset >> 9) & 0x01) << 5);
    StoredRef(RegFile::kCrtc, CR38) = m.text ? 0x00 : DepthCode(m.bits_per_pixel);
    StoredRef(RegFile::kSequencer, SR11) = 0x00;
  }
  old_sr0d_ = 0x00;
  old_sr0e_ = 0x00;
  old_mode_ = chip_ == TridentChip::k8800BR;
  InvalidateTiming();
}

}  // namespace zanvo::virt
