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
  // A check that timed no field at all saw no retrace, which no clock step explains; every try
  // would wait out the whole check again.
  if (Eng.MeasuredFieldRate <= 0) return result;
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
      attempt.passed = Eng.FieldRateInBand != 0;
    }
    result.tries.push_back(attempt);
    if (attempt.passed) {
      result.kept = sibling;
      return result;
    }
  }
  Eng.ChipModel = result.model_in_force;
  return result;
}

}  // namespace zanvo::chipset
