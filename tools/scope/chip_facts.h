#pragma once
// The chip facts behind the matrix's off cells, and how sure docs/chips.md is of each: an off
// cell's cause names the register bits that make it miss (ClockMissCause), and a model chosen
// by hand fits better only because the engine then leaves those bits alone. How far to trust
// the advice is how far to trust the reading of those bits.

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zanvo::scope {

struct ChipFact {
  std::string_view cause;       // how an off cell's cause starts when this fact is behind it
  std::string_view fact;        // the reading of the bits, in a few words
  std::string_view confidence;  // as chips.md rates it: high, checked, low, undefined, not rated
  std::string_view section;     // the heading of chips.md that records it
};

std::span<const ChipFact> ChipFacts();

// The facts behind the given causes (each a "; "-separated list, as the matrix keeps them), in
// the table's order, each once.
std::vector<const ChipFact*> FactsBehind(std::span<const std::string> causes);

}  // namespace zanvo::scope
