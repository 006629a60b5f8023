#pragma once
// The plain VGA (family 1): the standard register set and the two crystal clocks, nothing more
// (docs/chips.md, Standard VGA).

#include "platform/virtual/cards/vga_card.h"

namespace zanvo::virt {

inline constexpr uint8_t kFamilyStandardVga = 1;
inline constexpr double kClock25Hz = 25'175'000.0;  // 640- and 320-dot modes
inline constexpr double kClock28Hz = 28'322'000.0;  // 720-dot text modes

class StandardVga final : public VgaCard {
 public:
  std::string_view name() const override { return "vga"; }
  uint8_t family() const override { return kFamilyStandardVga; }
  uint16_t model() const override { return 0; }
  // The IBM VGA's own graphics modes: 16 colours at 640x480 (mode 12h); 256 colours only at
  // 320 dots (mode 13h, and 320x240 unchained as DirectDraw sets it), where the 64 KiB that
  // chain-4 addresses, or one plane each, hold the frame. Its two clocks reach no larger mode.
  bool OffersMode(uint16_t width, uint16_t height, uint8_t bits_per_pixel) const override;
  // The VGA has no other 256-colour path: AR10 bit 6 alone says a pixel lasts two dots.
  bool ExtendedPixelPath() const override { return false; }

 protected:
  // Clock selects 2 and 3 lead to the feature connector's external clock input, which nothing
  // drives on a plain card.
  double ClockHz(int select) const override;
};

}  // namespace zanvo::virt
