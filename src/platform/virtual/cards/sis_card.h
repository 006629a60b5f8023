#pragma once
// SiS 6326 and SiS 300 (family 14). The extended sequencer registers SR06 and up open when SR05
// is written 0x86 (SR05 then reads 0xA1; any other value locks them again and it reads 0x21).
//
//   SR06 bit 5 interlace (vertical values count field lines)
//   SR0A 6326: bits 4-7 line offset bits 8-11
//        300:  bit 4 vertical blank end bit 8, bit 5 vertical sync end bit 4
//   SR0C 300:  bits 0-1 horizontal blank end bits 6-7, bit 2 horizontal sync end bit 5
//   SR0E 300:  bits 0-3 line offset bits 8-11
//   Clock select 3 is the programmable VCLK; 0 and 1 are 25.175 and 28.322 MHz.
//     6326: SR2A numerator - 1 (bits 0-6), bit 7 VCO x2; SR2B denominator - 1 (bits 0-4),
//           post scaler - 1 (bits 5-6), bit 7 post x2. Takes effect at once.
//     300:  the same fields in SR2B and SR2C; they take effect when SR2D is written with bit 7.
//   f = 14.318 MHz x num x (VCO x2) / (den x post x (post x2))
// Readings and sources: docs/chips.md (SiS).

#include "platform/virtual/cards/vga_card.h"

namespace zanvo::virt {

inline constexpr uint8_t kFamilySis = 14;
inline constexpr uint16_t kPciVendorSis = 0x1039;

class SisCard : public VgaCard {
 public:
  uint8_t family() const override { return kFamilySis; }
  uint16_t model() const override { return model_; }
  PciIdentity pci_identity() const override;
  double DriverClockHz(double wanted_hz) const override;

  bool unlocked() const { return unlocked_; }
  // The programmable clock (clock select 3) as it runs now.
  double ProgrammableClockHz() const;

 protected:
  SisCard(uint16_t model, uint16_t pci_device) : model_(model), pci_device_(pci_device) {}

  RegisterAccess Access(RegFile file, uint8_t index) const override;
  uint8_t ReadRegister(RegFile file, uint8_t index) const override;
  void WriteRegister(RegFile file, uint8_t index, uint8_t value) override;
  double ClockHz(int select) const override;
  void ApplyExtensions(CrtcTiming& timing) const override;
  void ProgramMode(const ModeTiming& mode) override;

 private:
  bool is_300() const;
  // Numerator and denominator registers of the programmable clock.
  uint8_t clock_num() const;
  uint8_t clock_den() const;

  uint16_t model_;
  uint16_t pci_device_;
  bool unlocked_ = false;
  // SiS 300: the divider values last loaded through SR2D.
  uint8_t loaded_num_ = 0;
  uint8_t loaded_den_ = 0;
};

class Sis6326Card final : public SisCard {
 public:
  Sis6326Card() : SisCard(0x6326, 0x6326) {}
  std::string_view name() const override { return "sis-6326"; }
};

// The SiS 300 shows PCI device 0x6300 and is known by model code 0x0300.
class Sis300Card final : public SisCard {
 public:
  Sis300Card() : SisCard(0x0300, 0x6300) {}
  std::string_view name() const override { return "sis-300"; }
};

}  // namespace zanvo::virt
