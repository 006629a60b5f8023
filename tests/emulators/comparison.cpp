#include "comparison.h"

#include <cmath>

#include "emulator_run.h"

namespace zanvo::emu {

double ReplayToleranceTicks(Emulator emulator) {
  return emulator == Emulator::kDosbox ? 4.0 : 2.0;
}

Comparison Compare(const EmulatorTarget& target, const EmulatorTiming& formula,
                   double analyzer_rate_hz, uint32_t ticks, int fields) {
  Comparison c;
  if (ticks == kTimedOut || ticks == 0 || fields <= 0) return c;
  const double ticks_per_field = static_cast<double>(ticks) / fields;
  c.measured_rate_hz = kPitHz / ticks_per_field;
  c.replay_error_ticks = ticks_per_field - formula.field_period_s * kPitHz;
  if (std::fabs(c.replay_error_ticks) > ReplayToleranceTicks(target.emulator)) {
    c.verdict = Verdict::kReplayFault;
    return c;
  }
  bool agrees = false;
  if (target.emulator == Emulator::kBochs) {
    // Bochs floors the line rate and then the field rate to whole hertz: the analyzer's rate
    // agrees when it lies in that hertz (with the slack of Bochs's truncated clock).
    c.emulator_rate_hz = std::round(c.measured_rate_hz);
    const double slack = c.emulator_rate_hz * kDosboxAgreement;
    agrees = analyzer_rate_hz >= c.emulator_rate_hz - slack &&
             analyzer_rate_hz < c.emulator_rate_hz + 1 + slack;
  } else {
    c.emulator_rate_hz = c.measured_rate_hz;
    agrees = std::fabs(c.measured_rate_hz / analyzer_rate_hz - 1) <= kDosboxAgreement;
  }
  c.verdict = agrees ? Verdict::kAgrees : Verdict::kDisagrees;
  return c;
}

const char* VerdictName(Verdict verdict) {
  switch (verdict) {
    case Verdict::kAgrees:
      return "agrees";
    case Verdict::kDisagrees:
      return "DISAGREES";
    case Verdict::kReplayFault:
      return "REPLAY FAULT";
    case Verdict::kNoReading:
      return "NO READING";
  }
  return "?";
}

}  // namespace zanvo::emu
