#pragma once
// Realtek RTG3103 (family 2).
//
// No key: the extended registers are always open.
//   CR19  bit 0 interlace (field-sized vertical values), bits 4/6 start address 16/17
//   CR1A  read-only: bits 7-6 the chip (0 RTG3103, 1 RTG3105, 2 RTG3106), other bits read 0
//   CR1E  bits 1-0 memory size, read-only
//   CR1F  bits 0-5 read/write (detection tests them)
//   GR0B  bits 1-0 clock divider for clocks 2-7: 0 none, 1 /1.5, 2 /2, 3 /4
//   GR0C  bit 5 clock select bit 2; bit 2 reads 1
//   0x3D6 / 0x3D7  read and write bank, bits 0-3 (detection tests them)
// Clock = Miscellaneous Output bits 3-2 with GR0C bit 5 as bit 2.
// Readings and sources: docs/chips.md (Realtek).

#include "platform/virtual/cards/vga_card.h"

namespace zanvo::virt {

inline constexpr uint8_t kFamilyRealtek = 2;

class RealtekCard final : public VgaCard {
 public:
  RealtekCard();

  std::string_view name() const override { return "realtek-rtg3103"; }
  uint8_t family() const override { return kFamilyRealtek; }
  uint16_t model() const override { return 6; }

  double DriverClockHz(double wanted_hz) const override;

  // The clock the registers select (0-7) and the pixel clock after the GR0B divider.
  int SelectedClock() const;
  double PixelClockHz() const;
  static double RealtekClockHz(int index);

 protected:
  RegisterAccess Access(RegFile file, uint8_t index) const override;
  uint8_t ReadRegister(RegFile file, uint8_t index) const override;
  double ClockHz(int select) const override;
  void ApplyExtensions(CrtcTiming& timing) const override;
  void ProgramMode(const ModeTiming& mode) override;

  uint8_t PeekExtraPort(uint16_t port) const override;
  void WriteExtraPort(uint16_t port, uint8_t value) override;

 private:
  uint8_t bank_read_ = 0;   // 0x3D6
  uint8_t bank_write_ = 0;  // 0x3D7
};

}  // namespace zanvo::virt
