#pragma once
// The disagreements between a virtual card and an emulator that were traced to their cause in
// the chips' sources and recorded in docs/chips.md. A disagreement not listed here fails the
// suite, and so does a listed one that no case shows any more.

#include <span>
#include <string_view>

#include "emulator_formula.h"
#include "emulator_target.h"
#include "scope_session.h"

namespace zanvo::emu {

// The two readings of one clock: the virtual card's and the emulator's, for the same select.
struct KnownClockDifference {
  std::string_view target;
  int clock_select;
  double card_hz;
  double emulator_hz;
  std::string_view why;  // one line; the sources are in docs/chips.md
};

std::span<const KnownClockDifference> KnownClockDifferences();

// The recorded difference that explains a disagreement of this case, or nullptr.
const KnownClockDifference* ExplainDisagreement(const EmulatorTarget& target,
                                                const scope::ScopeReport& report,
                                                const EmulatorTiming& timing);

}  // namespace zanvo::emu
