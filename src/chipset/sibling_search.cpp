#include "chipset/sibling_search.h"

#include "chipset/sibling_models.h"
#include "engine/engine_state.h"
#include "engine/field_check.h"
#include "engine/standards.h"

namespace zanvo::chipset {

using engine::Eng;

SiblingSearchResult SearchSiblingModels(const std::function<void()>& reset_mode) {
  SiblingSearchResult result;
  result.model_in_force = Eng.ChipModel;
  // Only a clean measurement blames the model's clock bits: a check that saw no retrace, or whose
  // periods a lost time slice or an interrupt spoilt, says nothing about them, and a sibling
  // that happened to pass then would replace a right model.
  if (Eng.MissMeasuredClean == 0) return result;
  for (const uint16_t sibling : SiblingModelsToTry(Eng.ChipFamily, result.model_in_force)) {
    if (static_cast<int>(result.tries.size()) == kMaxSiblingTries) break;
    Eng.ChipModel = sibling;
    reset_mode();
    engine::ApplyStandard();
    SiblingTry attempt;
    attempt.model = sibling;
    attempt.fitted = engine::StandardFitted();
    if (attempt.fitted) {
      engine::CheckFieldRate();
      attempt.field_hz = Eng.MeasuredFieldRate / 1000.0;
      // A check that could not measure lets a plain switch go ahead under the keep question; a
      // model that replaces the user's must pass a measurement.
      attempt.measured = Eng.FieldCheckUnmeasurable == 0;
      attempt.passed = attempt.measured && Eng.FieldRateInBand != 0;
    }
    result.tries.push_back(attempt);
    if (attempt.passed) {
      result.kept = sibling;
      return result;
    }
  }
  Eng.ChipModel = result.model_in_force;
  // Last, the row's own clock, which needs none of the family clock steps.
  result.own_clock = RetryWithOwnClock(reset_mode);
  return result;
}

}  // namespace zanvo::chipset
