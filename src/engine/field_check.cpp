#include "engine/field_check.h"

#include "engine/chip_codes.h"
#include "engine/engine_state.h"

namespace zanvo::engine {

namespace {

// 625 lines in 25 frames; 525 lines at 30/1.001 frames; the 24 kHz tables' 129 eight-dot
// characters at 25.175 MHz and 424 lines (57.534 Hz).
inline constexpr int32_t kPalFieldRate = 50000;
inline constexpr int32_t kNtscFieldRate = 59940;
inline constexpr int32_t k24kHzFieldRate = 57534;

bool InsideBand(int32_t measured, int32_t target) {
  const double deviation = static_cast<double>(measured) / target - 1.0;
  return deviation >= -kFieldGuardBand && deviation <= kFieldGuardBand;
}

bool Agree(uint32_t earlier_ticks, uint32_t later_ticks) {
  const double ratio = static_cast<double>(later_ticks) / earlier_ticks;
  return ratio >= 1.0 - kPeriodAgreement && ratio <= 1.0 + kPeriodAgreement;
}

}  // namespace

int32_t StandardFieldRate(uint8_t standard) {
  if (standard == vsPAL) return kPalFieldRate;
  if (standard == vsNTSC) return kNtscFieldRate;
  if (standard == vs24kHz) return k24kHzFieldRate;
  return 0;
}

void CheckFieldRate() {
  Eng.FieldRateInBand = 0;
  Eng.FieldCheckUnmeasurable = 0;
  Eng.MeasuredFieldRate = 0;
  Eng.FieldMeasurements = 0;
  Eng.MissMeasuredClean = 0;
  const int32_t target = StandardFieldRate(Eng.CurrentStandard);
  if (target == 0) {
    Eng.FieldRateInBand = 1;
    return;
  }
  PeriodRun run;
  BeginPeriodRun(run, kFieldCheckMaxTicks, kFieldCheckMaxPolls);
  uint32_t previous_ticks = 0;  // the period before, when it was inside the band
  uint32_t previous_out = 0;    // the period before, when it was outside the band
  bool clean_miss = false;
  while (Eng.FieldMeasurements < kFieldMeasurements) {
    uint32_t ticks = 0;
    if (!TimeNextPeriod(run, ticks)) break;
    ++Eng.FieldMeasurements;
    if (ticks < kShortestFieldTicks) {
      Eng.FieldCheckUnmeasurable = kUnmeasurableShortPeriod;
      break;
    }
    // The line count plays no part in the field rate.
    Eng.MeasuredFieldRate = ComputeScanFigures(0, ticks).V;
    if (!InsideBand(Eng.MeasuredFieldRate, target)) {
      clean_miss = clean_miss || (previous_out != 0 && Agree(previous_out, ticks));
      previous_out = ticks;
      previous_ticks = 0;
      continue;
    }
    previous_out = 0;
    if (previous_ticks != 0 && Agree(previous_ticks, ticks)) {
      Eng.FieldRateInBand = 1;
      break;
    }
    previous_ticks = ticks;
  }
  EndPeriodRun();
  if (run.timer_stopped) Eng.FieldCheckUnmeasurable = kUnmeasurableTimerStopped;
  if (run.polls_ran_out) Eng.FieldCheckUnmeasurable = kUnmeasurablePollsRanOut;
  // A timer that gives no usable reading cannot tell a wrong field from a right one: the switch
  // goes ahead as it would without the check, and the keep-settings question still guards it.
  if (Eng.FieldCheckUnmeasurable != 0) Eng.FieldRateInBand = 1;
  if (Eng.FieldRateInBand == 0 && clean_miss) Eng.MissMeasuredClean = 1;
}

}  // namespace zanvo::engine
