#pragma once
// The last try a switch makes after a clean measured miss that no sibling model recovered: the
// standard applied once more with the row's own clock (its crystal and the standard VGA halving;
// on the block-I/O family a synthesizer value for the row), which needs none of the family clock
// steps the chips' sources leave uncertain, through the same fit and field check. Shared by the
// window and zanvo-scope.

#include <functional>

namespace zanvo::chipset {

struct OwnClockTry {
  bool fitted = false;  // the engine found (or computed) its rows again
  double field_hz = 0;  // what the field check timed (0: nothing timed)
  bool measured = false;  // the check reached a verdict (not too busy, the timer counting)
  bool passed = false;    // fitted, measured and the field inside the guard band
};

// Re-sets the mode with `reset_mode`, applies Eng.CurrentStandard with the row's own clock and
// times the field. When it passes, the standard stays on the card; otherwise the registers are
// left for the caller's refusal to clear. One try: it adds one field check (under 0.2 s) to the
// sibling search's four, so the whole search stays under a second.
OwnClockTry RetryWithOwnClock(const std::function<void()>& reset_mode);

}  // namespace zanvo::chipset
