#include "platform/virtual/cards/standard_vga.h"

namespace zanvo::virt {

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
