#pragma once
// Western Digital (Paradise) WD90C00 and WD90C30 (family 13).
//
// Two keys:
//   GR0F (PR5)  bits 2-0 = 5 let writes reach GR09-GR0E (PR0A-PR4); bit 4 set hides them from
//               reads (they read 0xFF). GR0F reads back bits 4 and 2-0, with bit 7 set.
//   CR29 (PR10) bits 2-0 = 5 let writes reach CR2A and up; CR2A-CR2F read back only while
//               bit 7 is set and bit 3 clear (0x85 opens both).
// Registers the card acts on:
//   GR0C (PR4)  bit 1 clock select bit 2 (inverted on the 90C30: a set bit selects clocks 0-3)
//   CR2C        position of the second field's vertical sync (half line)
//   CR2D        bit 5 interlace (field-sized vertical values), bits 4-0 its sync end
//   CR2E        bit 4 memory clock as video clock (the drivers keep it clear)
//   CR31-CR37   read-only identification: "WD90C30" on the 90C30; the 90C00 reads 0 there
//   CR3E        (90C30) vertical total/display end/retrace start/blank start bit 10
// Clock = Miscellaneous Output bits 3-2 with the clock select bit 2 of GR0C.
// Readings and sources: docs/chips.md (Western Digital).

#include "platform/virtual/cards/vga_card.h"

namespace zanvo::virt {

inline constexpr uint8_t kFamilyWd = 13;

enum class WdChip : uint8_t { k90C00, k90C30 };

class WdCard : public VgaCard {
 public:
  explicit WdCard(WdChip chip);

  std::string_view name() const override;
  uint8_t family() const override { return kFamilyWd; }
  uint16_t model() const override;

  double DriverClockHz(double wanted_hz) const override;

  // The clock the registers select, 0-7.
  int SelectedClock() const;
  static double WdClockHz(int index);

 protected:
  RegisterAccess Access(RegFile file, uint8_t index) const override;
  uint8_t ReadRegister(RegFile file, uint8_t index) const override;
  double ClockHz(int select) const override;
  void ApplyExtensions(CrtcTiming& timing) const override;
  void ProgramMode(const ModeTiming& mode) override;

 private:
  bool ClockSelect2() const;

  WdChip chip_;
};

class Wd90C00Card final : public WdCard {
 public:
  Wd90C00Card() : WdCard(WdChip::k90C00) {}
};

class Wd90C30Card final : public WdCard {
 public:
  Wd90C30Card() : WdCard(WdChip::k90C30) {}
};

}  // namespace zanvo::virt
