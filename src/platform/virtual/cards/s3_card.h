#pragma once
// S3 chips (family 3): the Trio64 and the Vision864.
//
// Extended registers sit behind three keys: SR08 = 0x06 opens SR09 and up, CR38 = 0x48 (bits
// 7-6 = 01, 3-2 = 10) opens CR2D-CR3F, CR39 = 0xA5 (bits 7-5 = 101) opens CR40 and up. A write
// to a locked register is dropped; reads still return the stored bits.
//
// Clocks: Miscellaneous Output select 0 = 25.175 MHz, 1 = 28.322 MHz, 3 = the DCLK PLL loaded
// from SR12/SR13; select 2 is reserved. On the Trio, SR15 bit 4 halves whichever clock is
// selected. Readings and sources: docs/chips.md (S3).

#include "platform/virtual/cards/vga_card.h"

namespace zanvo::virt {

inline constexpr uint8_t kFamilyS3 = 3;

// What tells one S3 chip from the other: CR30 identification, CR2D:CR2E device id (0 where the
// chip has no such register), whether SR15 bit 4 halves the clock and whether CR67 can put the
// CRTC in doubled horizontal units.
struct S3Chip {
  std::string_view name;
  uint16_t model;  // the code detection reports: CR2E on CR30 0xE0/0xE1 chips, CR30 otherwise
  uint8_t cr30;
  uint8_t cr2d, cr2e;
  bool is_trio;
};

inline constexpr S3Chip kS3Trio64{"s3-trio64", 0x11, 0xE1, 0x88, 0x11, true};
inline constexpr S3Chip kS3Vision864{"s3-vision864", 0xC0, 0xC0, 0x00, 0x00, false};

// DCLK PLL: f = 14.31818 MHz x (M + 2) / ((N + 2) x 2^R), M = SR13 bits 6-0, N = SR12 bits 4-0,
// R = SR12 bits 6-5.
struct S3Pll {
  uint8_t sr12 = 0;
  uint8_t sr13 = 0;
};
double S3PllHz(S3Pll pll);
// The PLL setting nearest to `hz` with the VCO (f x 2^R) between 135 and 270 MHz.
S3Pll NearestS3Pll(double hz);

class S3Card : public VgaCard {
 public:
  explicit S3Card(const S3Chip& chip);

  std::string_view name() const override { return chip_.name; }
  uint8_t family() const override { return kFamilyS3; }
  uint16_t model() const override { return chip_.model; }

  double DriverClockHz(double wanted_hz) const override;
  DepthPipe DriverPipe(uint8_t bits_per_pixel) const override;

 protected:
  RegisterAccess Access(RegFile file, uint8_t index) const override;
  double ClockHz(int select) const override;
  void ApplyExtensions(CrtcTiming& timing) const override;
  void ProgramMode(const ModeTiming& mode) override;

 private:
  bool SeqOpen() const;
  bool CrtcOpen() const;
  bool CrtcExtOpen() const;

  S3Chip chip_;
};

class S3Trio64Card final : public S3Card {
 public:
  S3Trio64Card() : S3Card(kS3Trio64) {}
};

class S3Vision864Card final : public S3Card {
 public:
  S3Vision864Card() : S3Card(kS3Vision864) {}
};

}  // namespace zanvo::virt
