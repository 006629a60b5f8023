#pragma once
// Trident TVGA 8800BR, TVGA 9000i and the chip that answers 0xF3 (family 60).
//
// SR0B: a write selects the "old" SR0D/SR0E, a read returns the chip ID and selects the "new"
// ones (the 8800BR has only the old set and stays there). New SR0E stores a written value with
// bit 1 inverted. New SR0E bit 7 lifts the protection of CR29, CR38 and the clock ports; on the
// 0xF3 chip SR11 must also hold 0x92.
//
//   new SR0D  7 6 5 4 3 2 1 0        CR1E bit 2   interlace (vertical values per field)
//               |       `-+-`- CS2   CR29 bit 4   offset bit 8 (bit 5: bit 9, 0xF3 chip)
//               |         `--- divider 0 /1, 1 /2, 2 /4, 3 /1.5
//               `------------- CS3 (9000i)       CR38 pixel depth (0xF3 chip): bits 3-2
//   GR0F bit 3 (0xF3 chip): dot clock halved       1 16 bits, 2 24 (bit 5 set) or 32 bits
//
// Clocks: the 9000i picks one of the TCK9002 synthesizer's 16 from Miscellaneous Output bits
// 3-2, CS2 and CS3; the 8800BR has the first four. On the 0xF3 chip clocks 2 and 3 are the
// programmable VCLK, whose word the driver writes low byte to 0x43C8, high byte to 0x43C9:
//   12 K  11-7 M  6-0 N     f = 14.31818 MHz x (N + 8) / ((M + 2) x 2^K)
// CRTC 0x19-0x1D read 0xFF; the rest of 0x20-0x3F is decoded and reads 0 where nothing is.
// Readings, sources and what the 8800BR lacks: docs/chips.md (Trident).

#include <memory>

#include "platform/virtual/cards/vga_card.h"

namespace zanvo::virt {

inline constexpr uint8_t kFamilyTrident = 60;
inline constexpr uint16_t kPortTridentVclkLow = 0x43C8;
inline constexpr uint16_t kPortTridentVclkHigh = 0x43C9;

enum class TridentChip : uint8_t { k8800BR, k9000i, kBlade3D };

class TridentCard final : public VgaCard {
 public:
  explicit TridentCard(TridentChip chip);

  std::string_view name() const override;
  uint8_t family() const override { return kFamilyTrident; }
  uint16_t model() const override;

  double DriverClockHz(double wanted_hz) const override;
  DepthPipe DriverPipe(uint8_t bits_per_pixel) const override;

  bool old_mode() const { return old_mode_; }
  uint16_t vclk_word() const { return vclk_; }
  // The frequency of the selected clock before any divider.
  double SelectedClockHz() const;
  static double FixedClockHz(int index);
  static double VclkHz(uint16_t word);

 protected:
  RegisterAccess Access(RegFile file, uint8_t index) const override;
  uint8_t ReadRegister(RegFile file, uint8_t index) const override;
  void WriteRegister(RegFile file, uint8_t index, uint8_t value) override;
  void OnRegisterRead(RegFile file, uint8_t index) override;
  double ClockHz(int select) const override;
  void ApplyExtensions(CrtcTiming& timing) const override;
  void ProgramMode(const ModeTiming& mode) override;

  uint8_t PeekExtraPort(uint16_t port) const override;
  void WriteExtraPort(uint16_t port, uint8_t value) override;

 private:
  RegisterAccess CrtcAccess(uint8_t index) const;
  bool Unprotected() const;
  bool OldSetSelected() const;
  bool HasVclk() const { return chip_ == TridentChip::kBlade3D; }
  static uint16_t BestVclkWord(double wanted_hz);

  TridentChip chip_;
  bool old_mode_ = true;
  uint8_t old_sr0d_ = 0;
  uint8_t old_sr0e_ = 0;
  uint16_t vclk_ = 0;
};

// A card of the given chip, for the catalogue.
template <TridentChip chip>
std::unique_ptr<VgaCard> MakeTrident() {
  return std::make_unique<TridentCard>(chip);
}

}  // namespace zanvo::virt
