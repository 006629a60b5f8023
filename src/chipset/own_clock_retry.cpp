#include "chipset/own_clock_retry.h"

#include "engine/engine_state.h"
#include "engine/field_check.h"
#include "engine/standards.h"

namespace zanvo::chipset {

using engine::Eng;

OwnClockTry RetryWithOwnClock(const std::function<void()>& reset_mode) {
  OwnClockTry attempt;
  reset_mode();
  Eng.OwnRowClock = 1;
  engine::ApplyStandard();
  Eng.OwnRowClock = 0;
  attempt.fitted = engine::StandardFitted();
  if (!attempt.fitted) return attempt;
  engine::CheckFieldRate();
  attempt.field_hz = Eng.MeasuredFieldRate / 1000.0;
  // Unmeasured is not passed: the own clock replaces a clean miss only on a measurement.
  attempt.measured = Eng.FieldCheckUnmeasurable == 0;
  attempt.passed = attempt.measured && Eng.FieldRateInBand != 0;
  return attempt;
}

}  // namespace zanvo::chipset
