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

 protected:
  // Clock selects 2 and 3 lead to the feature connector's external clock input, which nothing
  // drives on a plain card.
  double ClockHz(int select) const override;
};

}  // namespace zanvo::virt
