#pragma once
// Each emulator's own arithmetic from registers to field period, as its sources compute it
// (DOSBox 0.74: VGA_SetupDrawing and the chips' clock functions; Bochs 2.7: the VGA core's
// retrace timing and the Cirrus VCLK registers). The replay is checked against it before an
// emulator's reading is compared with the analyzer.

#include <optional>

#include "emulator_target.h"
#include "scope_session.h"

namespace zanvo::emu {

struct EmulatorTiming {
  int clock_select = 0;    // the clock number the registers select
  double clock_hz = 0;     // the clock the emulator takes for it, before any divider
  int dots_per_char = 8;
  int h_total = 0;         // characters per line as the emulator counts them
  int v_total = 0;         // lines per field
  double field_period_s = 0;
  double field_rate_hz = 0;  // Bochs: whole hertz
};

// nullopt when the emulator cannot time these registers (no such clock, a zero divisor).
std::optional<EmulatorTiming> EmulatorFieldTiming(const EmulatorTarget& target,
                                                  const scope::RegisterDump& dump);

}  // namespace zanvo::emu
