#pragma once
// The rates a receiving set expects of each output standard, by the engine's standard code.

#include <cstdint>

#include "engine/chip_codes.h"
#include "platform/virtual/standard_rates.h"

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

}  // namespace zanvo::scope
