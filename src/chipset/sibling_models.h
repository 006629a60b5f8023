#pragma once
// The other models of a brand that a switch may try when the field it measured under the model
// in force missed: the clock steps are the one part of these chips whose sources disagree or are
// silent, and the catalogue's siblings differ mostly there. Only siblings whose writes stay
// within the registers the model in force has are listed; docs/chips.md gives the reasons.

#include <cstdint>
#include <vector>

namespace zanvo::chipset {

// At most this many siblings are tried in one switch: each try re-sets the mode and times the
// field for up to 0.2 s, so the search's measuring stays under a second.
inline constexpr int kMaxSiblingTries = 4;

// The model codes to try, in the catalogue's order, for `family` with `model` in force; empty
// when none is safe to try (or the brand has no other model).
std::vector<uint16_t> SiblingModelsToTry(uint8_t family, uint16_t model);

}  // namespace zanvo::chipset
