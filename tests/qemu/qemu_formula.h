#pragma once
// What QEMU's standard VGA with precise retrace makes of the registers (hw/display/vga.c): a
// character is 8 dots whenever Miscellaneous Output selects colour addressing (9 otherwise,
// whatever SR01 bit 0 says); the dot clock is 25.175 MHz, or 28.322 MHz for clock select 1;
// SR01 bit 3 doubles the characters of a line; the time a character takes is rounded down to
// whole nanoseconds; CR17 bit 2 is ignored. Beside it, what a real VGA makes of the same
// registers without those limits, so that each difference from the virtual PC's analyzer
// can be put down to one of them.

#include <cstdint>

#include "vga_mode_sets.h"

namespace zanvo::qemu {

struct Rates {
  double field_hz = 0.0;
  double line_hz = 0.0;
};

Rates QemuRates(const RegisterDump& regs);
// The same timing as a real VGA counts it: SR01 bit 0 chooses 8 or 9 dots, no rounding, and
// CR17 bit 2 makes each vertical count two lines.
Rates RealVgaRates(const RegisterDump& regs);

}  // namespace zanvo::qemu
