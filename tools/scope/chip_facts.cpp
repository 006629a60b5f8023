#include "chip_facts.h"

#include <algorithm>

namespace zanvo::scope {
namespace {

// "checked": the sources were re-read for the record; "not rated": chips.md records the reading
// without a rating. A cause that starts like another comes before it.
constexpr ChipFact kFacts[] = {
    {"SR15 bit 4", "Trio64 SR15 bit 4 halves the fixed clocks too", "low", "## S3"},
    {"SR07 bit 0 alone", "ET4000 SR07 bit 0 alone divides nothing", "undefined", "## Tseng"},
    {"SR07 bits 6 and 0", "Tseng SR07 bits 6 and 0 quarter the clock", "checked", "## Tseng"},
    {"SR07 bit 6", "Tseng SR07 bit 6 halves the clock", "checked", "## Tseng"},
    {"CR24 bit 1", "ET3000 CR24 bit 1 is clock select bit 2", "checked", "## Tseng"},
    {"CR34 bit 1", "ET4000 CR34 bit 1 is clock select bit 2", "checked", "## Tseng"},
    {"CR31 bit 6", "ET4000 CR31 bit 6 is clock select bit 3", "checked", "## Tseng"},
    {"SR0E/SR1E", "GD5434 VCLK3 synthesizer fields", "high", "## Cirrus"},
    {"SR09 bit 7", "UMC SR09 bit 7 halves the clock", "low", "## UMC"},
    {"SR0D bits 1-2", "Trident new SR0D bits 1-2 divide the clock", "not rated", "## Trident"},
    {"SR0D bit 0", "Trident SR0D bit 0 is clock select bit 2", "checked", "## Trident"},
    {"GR0F bit 3", "0xF3 chip GR0F bit 3 makes 16-dot characters", "checked", "## Trident"},
    {"8800BR: no SR0D divider", "the 8800BR has no new SR0D divider", "not rated", "## Trident"},
    {"SR2A bit 7", "SiS 6326 SR2A bit 7 divides clock 3 only", "not rated", "## SiS"},
    {"SR0A bit 6", "SiS 300 vertical sync end bit 4 in SR0A bit 5", "not rated", "## SiS"},
    {"GR0C bit 5", "Realtek GR0C bit 5 is clock select bit 2", "not rated", "## Realtek"},
    {"GR0B bits 0-1", "Realtek GR0B divides clocks 2-7 only", "not rated", "## Realtek"},
    {"0x0D bit 5", "Oak 0x0D bit 5 is clock select bit 2", "not rated", "## Oak"},
    {"GR0C bit 1", "WD GR0C bit 1 is clock select bit 2", "not rated", "## Western Digital"},
    {"CR30-CR33", "i740 CR30-CR33 hold the vertical high bits while XR09 bit 0 is set", "not rated",
     "## Intel"},
    {"PLL VCLK", "Mach64 PLL: one clock for every row", "not rated", "## ATI"},
};

}  // namespace

std::span<const ChipFact> ChipFacts() {
  return kFacts;
}

std::vector<const ChipFact*> FactsBehind(std::span<const std::string> causes) {
  std::vector<bool> found(std::size(kFacts), false);
  for (const std::string& list : causes) {
    // Each cause in the list on its own: a fact is behind it when the cause starts with it.
    size_t start = 0;
    while (start <= list.size()) {
      const size_t end = std::min(list.find("; ", start), list.size());
      const std::string_view cause = std::string_view(list).substr(start, end - start);
      for (size_t i = 0; i < std::size(kFacts); ++i) {
        if (cause.starts_with(kFacts[i].cause)) {
          found[i] = true;
          break;
        }
      }
      start = end + 2;
    }
  }
  std::vector<const ChipFact*> facts;
  for (size_t i = 0; i < std::size(kFacts); ++i) {
    if (found[i]) facts.push_back(&kFacts[i]);
  }
  return facts;
}

}  // namespace zanvo::scope
