#include "platform/virtual/cards/standard_vga.h"

namespace zanvo::virt {

bool StandardVga::OffersMode(uint16_t width, uint16_t height, uint8_t bits_per_pixel) const {
  if (bits_per_pixel == 4) return width == 640 && height == 480;
  return bits_per_pixel == 8 && width == 320;
}

double StandardVga::ClockHz(int select) const {
  switch (select) {
    case 0:
      return kClock25Hz;
    case 1:
      return kClock28Hz;
    default:
      return 0;
  }
}

}  // namespace zanvo::virt
