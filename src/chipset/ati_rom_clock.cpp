#include "chipset/ati_rom_clock.h"

#include <cmath>

#include "engine/engine_state.h"

namespace zanvo::chipset {

namespace {

inline constexpr uint32_t kRomTablePointer = 0x48;
inline constexpr uint32_t kClockTablePointer = 0x10;
inline constexpr uint32_t kClockRefFreq = 0x08;
inline constexpr uint32_t kClockRefDiv = 0x0A;
inline constexpr uint32_t kClockMemClock = 0x12;

// 28.322 MHz in the 10 kHz units of the reference frequency; the PLL doubles the reference.
inline constexpr double kVclkTarget = 2832.2;
inline constexpr double kPllDoubling = 2.0;
inline constexpr double kFeedbackMax = 255.0;
inline constexpr unsigned kPostDivStart = 4;

// The low 16 bits of a 32-bit read at ROM offset `offset`. Offsets are added as 32-bit numbers:
// a table pointer near 0xFFFF reaches past the first 64 KiB of the ROM.
uint16_t RomWord(PhysicalMemory& memory, uint32_t offset) {
  return static_cast<uint16_t>(memory.ReadPhysDword(kVideoRomBase + offset));
}

}  // namespace

std::optional<VclkDividers> ComputeVclkDividers(uint16_t ref_freq, uint16_t ref_div) {
  if (ref_freq == 0 || ref_div == 0) return std::nullopt;
  const double x = ref_div * kVclkTarget / (kPllDoubling * ref_freq);
  unsigned post = kPostDivStart;
  while (post != 0 && post * x > kFeedbackMax)
    post /= 2;
  if (post == 0) return std::nullopt;
  // The default rounding mode rounds halves to even.
  const double feedback = std::nearbyint(post * x);
  if (feedback == 0.0) return std::nullopt;
  return VclkDividers{static_cast<uint8_t>(post), static_cast<uint8_t>(feedback)};
}

bool ReadAtiRomClock(PhysicalMemory& memory) {
  const uint32_t table = RomWord(memory, kRomTablePointer);
  const uint32_t clocks = RomWord(memory, table + kClockTablePointer);
  const uint16_t ref_freq = RomWord(memory, clocks + kClockRefFreq);
  const uint16_t ref_div = RomWord(memory, clocks + kClockRefDiv);
  const uint16_t mem_clock = RomWord(memory, clocks + kClockMemClock);

  const std::optional<VclkDividers> dividers = ComputeVclkDividers(ref_freq, ref_div);
  if (!dividers) return false;
  engine::Eng.PllRefFreq = ref_freq;
  engine::Eng.PllRefDiv = ref_div;
  engine::Eng.MemClock = mem_clock;
  engine::Eng.VclkPostDiv = dividers->post;
  engine::Eng.VclkFbDiv = dividers->feedback;
  return true;
}

}  // namespace zanvo::chipset
