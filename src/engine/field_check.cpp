#include "engine/field_check.h"

#include "engine/chip_codes.h"
#include "engine/computed_timing.h"
#include "engine/engine_port.h"
#include "engine/engine_state.h"
#include "engine/line_rate.h"

namespace zanvo::engine {

namespace {

// 625 lines in 25 frames; 525 lines at 30/1.001 frames; the 24 kHz tables' 129 eight-dot
// characters at 25.175 MHz and 424 lines (57.534 Hz).
inline constexpr int32_t kPalFieldRate = 50000;
inline constexpr int32_t kNtscFieldRate = 59940;
inline constexpr int32_t k24kHzFieldRate = 57534;
inline constexpr int32_t kPalLineRate = 15625;
inline constexpr int32_t kNtscLineRate = 15734;
inline constexpr int32_t k24kHzLineRate = 24394;

bool InsideBand(double measured, double target, double band) {
  const double deviation = measured / target - 1.0;
  return deviation >= -band && deviation <= band;
}

bool Agree(uint32_t earlier_ticks, uint32_t later_ticks) {
  const double ratio = static_cast<double>(later_ticks) / earlier_ticks;
  return ratio >= 1.0 - kPeriodAgreement && ratio <= 1.0 + kPeriodAgreement;
}

inline constexpr uint8_t kMissReportPeriod = 4;
// The longest time slice a program loses, with a margin (30 ms).
inline constexpr uint32_t kLongestStallTicks = static_cast<uint32_t>(0.030 / kPitTickSeconds);

enum class FieldVerdict : uint8_t { kPass, kCleanMiss, kNone };

// Times periods until two consecutive ones agree, or a bound ends the run. `last_ticks` gets the
// last period of the agreeing pair.
FieldVerdict TimeFields(PeriodRun& run, int32_t target, uint32_t& last_ticks) {
  uint32_t previous = 0;  // the period before, when it could be a field's
  uint32_t ticks = 0;
  while (TimeNextPeriod(run, ticks)) {
    if (Eng.FieldMeasurements < UINT8_MAX) ++Eng.FieldMeasurements;
    // The line count plays no part in the field rate.
    Eng.MeasuredFieldRate = ComputeScanFigures(0, ticks).V;
    if (ticks < kShortestFieldTicks) {
      previous = 0;
      continue;
    }
    if (previous != 0 && Agree(previous, ticks)) {
      const bool earlier_in =
          InsideBand(ComputeScanFigures(0, previous).V, target, kFieldGuardBand);
      const bool later_in = InsideBand(Eng.MeasuredFieldRate, target, kFieldGuardBand);
      last_ticks = ticks;
      if (earlier_in && later_in) return FieldVerdict::kPass;
      if (!earlier_in && !later_in) {
        // The figure reported for a miss is that of the fourth period, as it always was.
        while (Eng.FieldMeasurements < kMissReportPeriod && TimeNextPeriod(run, ticks)) {
          ++Eng.FieldMeasurements;
          Eng.MeasuredFieldRate = ComputeScanFigures(0, ticks).V;
        }
        return FieldVerdict::kCleanMiss;
      }
    }
    previous = ticks;
  }
  return FieldVerdict::kNone;
}

// After a field that passed: the line rate from the top of the picture, which the last period
// timed has just reached. A stretch that a lost time slice spoiled is timed again a field later.
void CheckLineRate(PeriodRun& run, int32_t target, uint32_t field_ticks) {
  run.budget_ticks = kCheckMaxTicks;
  // A status bit that does not change in a field and a lost time slice does not count lines.
  run.wait_max_ticks = field_ticks + kLongestStallTicks;
  for (;;) {
    double line_hz = 0;
    const LineTiming timing = TimeLineRate(run, kLineStretchLines, line_hz);
    if (timing == LineTiming::kMeasured) {
      Eng.MeasuredLineRate = static_cast<int32_t>(line_hz + 0.5);
      Eng.LineRateInBand = InsideBand(line_hz, target, kLineGuardBand) ? 1 : 0;
      Eng.MissMeasuredClean = Eng.LineRateInBand == 0 ? 1 : 0;
      Eng.FieldRateInBand = Eng.LineRateInBand;
      return;
    }
    if (timing == LineTiming::kNoEdges) {
      // Nothing to count on this card's status: the field's verdict stands.
      Eng.LineRateInBand = 1;
      return;
    }
    if (timing == LineTiming::kStopped) break;
    uint32_t ticks = 0;
    if (!TimeNextPeriod(run, ticks)) break;
  }
  // Out of budget without a clean stretch: refused, not measured.
  Eng.FieldRateInBand = 0;
}

}  // namespace

int32_t StandardFieldRate(uint8_t standard) {
  if (standard == vsPAL) return kPalFieldRate;
  if (standard == vsNTSC) return kNtscFieldRate;
  if (standard == vs24kHz) return k24kHzFieldRate;
  return 0;
}

int32_t StandardLineRate(uint8_t standard) {
  if (standard == vsPAL) return kPalLineRate;
  if (standard == vsNTSC) return kNtscLineRate;
  if (standard == vs24kHz) return k24kHzLineRate;
  return 0;
}

void CheckFieldRate() {
  Eng.FieldRateInBand = 0;
  Eng.FieldCheckUnmeasurable = 0;
  Eng.MissMeasuredClean = 0;
  Eng.MeasuredFieldRate = 0;
  Eng.FieldMeasurements = 0;
  Eng.MeasuredLineRate = 0;
  Eng.LineRateInBand = 0;
  Eng.FieldAgreedInBand = 0;
  const int32_t target = StandardFieldRate(Eng.CurrentStandard);
  if (target == 0) {
    Eng.FieldRateInBand = 1;
    Eng.LineRateInBand = 1;
    return;
  }
  // The fraction of a second the check takes, with the processor held as far as the system lets.
  const ScopedProcessorHold hold;
  PeriodRun run;
  BeginPeriodRun(run, kFieldCheckMaxTicks, kFieldCheckMaxPolls);
  run.min_lap_ticks = kSlowestLapTicks;
  uint32_t field_ticks = 0;
  const FieldVerdict field = TimeFields(run, target, field_ticks);
  if (field == FieldVerdict::kPass) {
    Eng.FieldRateInBand = 1;
    Eng.FieldAgreedInBand = 1;
    CheckLineRate(run, StandardLineRate(Eng.CurrentStandard), field_ticks);
  } else if (field == FieldVerdict::kCleanMiss) {
    Eng.MissMeasuredClean = 1;
  }
  EndPeriodRun();
  if (run.timer_stopped) Eng.FieldCheckUnmeasurable = kUnmeasurableTimerStopped;
  if (run.timer_too_slow || run.polls_ran_out) {
    Eng.FieldCheckUnmeasurable = kUnmeasurableTimerTooSlow;
  }
  // A timer that gives no usable reading cannot tell a wrong field from a right one: the switch
  // goes ahead as it would without the check, and the keep-settings question still guards it.
  if (Eng.FieldCheckUnmeasurable != 0) {
    Eng.FieldRateInBand = 1;
    Eng.MissMeasuredClean = 0;
  }
  HoldComputedRowsToTheSet();
}

}  // namespace zanvo::engine
