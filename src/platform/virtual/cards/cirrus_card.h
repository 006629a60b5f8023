#pragma once
// Cirrus Logic GD5434 (family 4).
//
// SR06 is the key: a write whose bits 4, 2-0 are 1_0010 (0x12) opens the extensions and SR06
// then reads 0x12; any other value closes them and SR06 reads 0x0F. While closed, SR07 and up
// and CR19/CR1A/CR1B/CR1D/CR25/CR27 ignore writes and read 0xFF.
//
// Clocks: Miscellaneous Output bits 2-3 pick VCLK0-3, each a numerator (SR0B-SR0E, bits 6-0)
// and a denominator (SR1B-SR1E: bits 5-1 divisor, bit 0 post-divide by two):
//   f = 14.31818 MHz x N / D, halved when bit 0 is set.
// Readings and sources: docs/chips.md (Cirrus Logic).

#include "platform/virtual/cards/vga_card.h"

namespace zanvo::virt {

inline constexpr uint8_t kFamilyCirrus = 4;
inline constexpr uint8_t kGD5434ChipId = 0xA8;  // CR27: id 0x2A in bits 7-2, revision 0

struct CirrusVclk {
  uint8_t numerator = 0;
  uint8_t denominator = 0;
};
// 0 for a denominator of zero (no clock).
double CirrusVclkHz(CirrusVclk vclk);
// The numerator/denominator pair whose clock is nearest to `hz`.
CirrusVclk NearestCirrusVclk(double hz);

class CirrusCard final : public VgaCard {
 public:
  CirrusCard();

  std::string_view name() const override { return "cirrus-gd5434"; }
  uint8_t family() const override { return kFamilyCirrus; }
  // Detection does not tell the Cirrus chips apart.
  uint16_t model() const override { return 0; }

  double DriverClockHz(double wanted_hz) const override;
  DepthPipe DriverPipe(uint8_t bits_per_pixel) const override;

 protected:
  RegisterAccess Access(RegFile file, uint8_t index) const override;
  uint8_t ReadRegister(RegFile file, uint8_t index) const override;
  double ClockHz(int select) const override;
  void ApplyExtensions(CrtcTiming& timing) const override;
  void ProgramMode(const ModeTiming& mode) override;

 private:
  bool KeyOpen() const;
  bool Unlocked() const;  // the key open, or the locks held open
  CirrusVclk Vclk(int select) const;
};

}  // namespace zanvo::virt
