#pragma once
// The rates a receiving set expects of each output standard, by the engine's standard code.

#include <cstdint>

#include "engine/chip_codes.h"
#include "platform/virtual/signal/signal.h"
#include "platform/virtual/signal/standard_rates.h"

namespace zanvo::scope {

// PAL, NTSC or the 24 kHz monitor; VGA and unknown codes have no TV rates (zeros).
inline virt::StandardRates RatesOfStandard(uint8_t standard) {
  switch (standard) {
    case engine::vsPAL:
      return virt::kPalRates;
    case engine::vsNTSC:
      return virt::kNtscRates;
    case engine::vs24kHz:
      return virt::k24kHzRates;
    default:
      return {0.0, 0.0};
  }
}

// How a set takes the signal for `standard`. A signal whose registers contradict themselves
// (display, blank or sync past the total, a sync outside its blank) is off whatever its rates:
// a sync that never comes is one no set can lock to.
inline virt::SignalVerdict JudgeAgainstStandard(const virt::Signal& signal, uint8_t standard) {
  if (!signal.contradictions.empty()) return virt::SignalVerdict::kOff;
  return virt::JudgeSignal(RatesOfStandard(standard), signal.line_rate_hz, signal.field_rate_hz);
}

}  // namespace zanvo::scope
