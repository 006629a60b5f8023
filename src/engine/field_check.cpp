#include "engine/field_check.h"

#include <algorithm>

#include "engine/chip_codes.h"
#include "engine/computed_timing.h"
#include "engine/engine_port.h"
#include "engine/engine_state.h"
#include "engine/line_rate.h"
#include "engine/status_wait.h"
#include "engine/vga_regs.h"

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

// The figure of a period timed between two latches on one countdown: no restart to allow for.
int32_t FieldRateOf(uint32_t ticks) {
  return ComputeScanFigures(0, ticks - std::min(ticks, uint32_t{kRestartAllowanceTicks})).V;
}

// Waits for the end of the next vertical retrace; `at` gets its moment on the countdown.
bool NextRetraceEnd(StatusWait& wait, uint32_t& at) {
  if (!wait.While(kStatusVRetrace, false) || !wait.While(kStatusVRetrace, true)) return false;
  wait.Latch();
  at = wait.since_start();
  return true;
}

enum class Verdict : uint8_t { kPass, kCleanMiss, kNone };

// Times periods until two consecutive ones without a loss agree, or a bound ends the run.
// `last_ticks` gets the last period of the agreeing pair.
Verdict TimeFields(StatusWait& wait, int32_t target, uint32_t& last_ticks) {
  uint32_t start = 0;
  if (!NextRetraceEnd(wait, start)) return Verdict::kNone;  // the line-up
  uint32_t previous = 0;  // the period before, when no time was lost in it
  uint32_t end = 0;
  while (NextRetraceEnd(wait, end)) {
    const uint32_t ticks = end - start;
    const bool clean = !wait.LostSince(start);
    start = end;
    if (Eng.FieldMeasurements < UINT8_MAX) ++Eng.FieldMeasurements;
    Eng.MeasuredFieldRate = FieldRateOf(ticks);
    if (!clean) {
      previous = 0;
      continue;
    }
    if (previous != 0 && Agree(previous, ticks)) {
      const bool earlier_in = InsideBand(FieldRateOf(previous), target, kFieldGuardBand);
      const bool later_in = InsideBand(Eng.MeasuredFieldRate, target, kFieldGuardBand);
      last_ticks = ticks;
      if (earlier_in && later_in) return Verdict::kPass;
      if (!earlier_in && !later_in) return Verdict::kCleanMiss;
    }
    previous = ticks;
  }
  return Verdict::kNone;
}

// After a field that passed: the line rate from the top of the picture, which the last period
// timed has just reached. A stretch the program lost time in is timed again a field later.
Verdict CheckLineRate(StatusWait& wait, int32_t target, uint32_t field_ticks) {
  // A status bit that does not change for a field and a quarter watched without a loss does
  // not count lines.
  wait.run().wait_max_ticks = field_ticks + field_ticks / 4;
  for (;;) {
    double line_hz = 0;
    const LineTiming timing = TimeLineRate(wait, kLineStretchLines, line_hz);
    if (timing == LineTiming::kMeasured) {
      Eng.MeasuredLineRate = static_cast<int32_t>(line_hz + 0.5);
      Eng.LineRateInBand = InsideBand(line_hz, target, kLineGuardBand) ? 1 : 0;
      return Eng.LineRateInBand != 0 ? Verdict::kPass : Verdict::kCleanMiss;
    }
    if (timing == LineTiming::kNoEdges) {
      // Nothing to count on this card's status: the field's verdict stands.
      Eng.LineRateInBand = 1;
      return Verdict::kPass;
    }
    uint32_t at = 0;
    if (timing == LineTiming::kStopped || !NextRetraceEnd(wait, at)) return Verdict::kNone;
  }
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
  Eng.FieldCheckLosses = 0;
  Eng.FieldPassed = 0;
  Eng.MeasuredLineRate = 0;
  Eng.LineRateInBand = 0;
  const int32_t target = StandardFieldRate(Eng.CurrentStandard);
  if (target == 0) {
    Eng.FieldRateInBand = 1;
    Eng.LineRateInBand = 1;
    return;
  }
  // The fraction of a second the check takes, with the processor held as far as the system lets.
  const ScopedProcessorHold hold;
  PeriodRun run;
  BeginPeriodRun(run, kCheckWallTicks, kFieldCheckMaxPolls);
  run.budget_processor_ticks = kCheckProcessorTicks;
  run.polls_per_latch = kGapWatchPolls;
  run.gap_ticks = kLostTimeTicks;
  run.min_lap_ticks = kSlowestLapTicks;
  StartCountdown();
  StatusWait wait(run);
  uint32_t field_ticks = 0;
  Verdict verdict = TimeFields(wait, target, field_ticks);
  if (verdict == Verdict::kPass) {
    Eng.FieldPassed = 1;
    verdict = CheckLineRate(wait, StandardLineRate(Eng.CurrentStandard), field_ticks);
  }
  EndPeriodRun();
  Eng.FieldCheckLosses = static_cast<uint16_t>(std::min<uint32_t>(run.gaps, UINT16_MAX));
  if (verdict == Verdict::kPass) {
    Eng.FieldRateInBand = 1;
  } else if (verdict == Verdict::kCleanMiss) {
    Eng.MissMeasuredClean = 1;
  } else if (run.timer_stopped) {
    Eng.FieldCheckUnmeasurable = kUnmeasurableTimerStopped;
  } else if (run.timer_too_slow || run.polls_ran_out) {
    Eng.FieldCheckUnmeasurable = kUnmeasurableTimerTooSlow;
  } else if (run.out_of_time && run.gaps != 0) {
    // The bounds ran out while the program kept losing the processor: no verdict, which is
    // neither a pass nor a miss.
    Eng.FieldCheckUnmeasurable = kUnmeasurableTooBusy;
  }
  // Otherwise a wait watched a field's time and more without a loss and saw no retrace (or no
  // line after a field that passed), or the periods never agreed on an undisturbed PC: refused,
  // not on a clean measurement.
  //
  // A check that cannot measure cannot tell a wrong field from a right one: the switch goes
  // ahead as it would without the check, and the keep-settings question still guards it.
  if (Eng.FieldCheckUnmeasurable != 0) Eng.FieldRateInBand = 1;
  HoldComputedRowsToTheSet();
}

}  // namespace zanvo::engine
