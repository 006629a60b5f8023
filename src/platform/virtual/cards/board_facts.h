#pragma once
// What each virtual card's boards were sold with and what their Windows 9x driver shows: the
// memory sizes (and the common one), the colour depths the chip with its DAC reaches, the
// DAC, and the highest pixel rate at each depth. Facts, their sources and what is assumed:
// docs/chips.md, Colour depths.

#include <cstdint>
#include <span>
#include <string_view>

namespace zanvo::virt {

// The DAC on the board. A Sierra-type HiColor DAC hides a command register behind four reads
// of the pixel mask (0x3C6); bit 7 sends two bytes per pixel, bit 6 reads them as 5-6-5.
enum class BoardDac : uint8_t { kVga, kSierra32K, kSierra64K };

struct BoardFacts {
  std::span<const uint32_t> memory_kib;  // ascending
  uint32_t default_kib = 256;            // the size most boards had
  std::span<const uint8_t> depths;       // ascending
  BoardDac dac = BoardDac::kVga;
  double max_rate_8bit_hz = 0;    // 0: no limit beyond the clocks the card makes
  double max_rate_16bit_hz = 0;   // 15 and 16 bits
  double max_rate_24bit_hz = 0;   // 24 and 32 bits
};

// What is known of a card's boards, by its catalogue name; a plain VGA's for names not in the table.
const BoardFacts& BoardFactsFor(std::string_view card_name);

}  // namespace zanvo::virt
