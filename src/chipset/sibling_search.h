#pragma once
// The search a switch makes after the field it measured under the model in force missed: the
// standard in force applied again under each safe sibling model, each on a freshly re-set mode,
// through the same fit and field check. Shared by the window and zanvo-scope.

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "chipset/own_clock_retry.h"

namespace zanvo::chipset {

struct SiblingTry {
  uint16_t model = 0;
  bool fitted = false;  // the engine found timing rows under this model
  double field_hz = 0;  // what the field check timed (0: nothing timed)
  bool measured = false;  // the check reached a verdict (not too busy, the timer counting)
  bool passed = false;    // fitted, measured and the field inside the guard band
};

struct SiblingSearchResult {
  uint16_t model_in_force = 0;    // the model the miss was measured under
  std::vector<SiblingTry> tries;  // in the order tried
  std::optional<uint16_t> kept;   // the sibling now in force, when one passed
  // The row's own clock under the model in force, tried last when no sibling passed.
  std::optional<OwnClockTry> own_clock;

  bool recovered() const { return kept.has_value() || (own_clock && own_clock->passed); }
};

// Runs the search for Eng.ChipFamily/Eng.ChipModel and Eng.CurrentStandard, whose tables are
// loaded, after a field check that refused on a clean measurement (Eng.MissMeasuredClean; none is
// tried after a disturbed one or one that timed nothing). `reset_mode` re-sets the display mode
// before each try. The first sibling that passes stays in force (Eng.ChipModel), with its standard
// on the card; when none passes, the model in force is restored and the row's own clock is tried
// under it. When that misses too, the last try's registers are left for the caller's refusal to
// clear.
SiblingSearchResult SearchSiblingModels(const std::function<void()>& reset_mode);

}  // namespace zanvo::chipset
