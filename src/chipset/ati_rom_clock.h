#pragma once
// The ATI adapter's clock parameters, read from the clock table of its video ROM, and the PLL
// dividers for the 28.322 MHz pixel clock the family's clock programming uses.
//
// ROM layout (offsets from the ROM start at physical 0xC0000):
//   word at 0x48        -> T, a table of the ROM
//   word at T + 0x10    -> K, the clock table
//   K + 0x08 reference frequency (10 kHz units)   K + 0x0A reference divider
//   K + 0x12 memory clock (10 kHz units)

#include <cstdint>
#include <optional>

#include "platform/physical_memory.h"

namespace zanvo::chipset {

inline constexpr uint32_t kVideoRomBase = 0xC0000;

struct VclkDividers {
  uint8_t post;      // 4, 2 or 1
  uint8_t feedback;  // rounded half to even
};

// The dividers for 28.322 MHz: x = ref_div * 2832.2 / (2 * ref_freq); the post divider starts at
// 4 and halves while post * x exceeds 255. Nothing when the reference frequency or divider is 0,
// when x is so large that even a post divider of 1 leaves the product above 255, or when the
// feedback divider would round to 0: a PLL with a feedback divider of 0 gives no clock.
std::optional<VclkDividers> ComputeVclkDividers(uint16_t ref_freq, uint16_t ref_div);

// Reads PllRefFreq, PllRefDiv and MemClock from the ROM and computes VclkPostDiv and VclkFbDiv.
// When the ROM values give no usable dividers, all five engine fields keep their previous
// values and the result is false.
bool ReadAtiRomClock(PhysicalMemory& memory);

}  // namespace zanvo::chipset
