#pragma once
// Judging one replayed case: first that the emulator timed what its own formula says (else the
// replay is at fault, not a chip model), then whether its field rate and the analyzer's agree.

#include <cstdint>

#include "emulator_formula.h"
#include "emulator_target.h"

namespace zanvo::emu {

inline constexpr double kPitHz = 1193182.0;
inline constexpr uint8_t kFieldsTimed = 4;

enum class Verdict { kAgrees, kDisagrees, kReplayFault, kNoReading };

struct Comparison {
  Verdict verdict = Verdict::kNoReading;
  double measured_rate_hz = 0;     // from the timed fields
  double emulator_rate_hz = 0;     // the emulator's reading: DOSBox as timed, Bochs whole hertz
  double replay_error_ticks = 0;   // per field, timed minus the formula
};

// DOSBox's retrace event can fire up to an emulated I/O instruction late each field (its port
// accesses take a microsecond), and Bochs's timer and its microsecond retrace differ by a tick.
double ReplayToleranceTicks(Emulator emulator);
// DOSBox: relative difference of the field rates; its clock arithmetic in whole kHz and the
// replay's slack stay below a tenth of this.
inline constexpr double kDosboxAgreement = 0.001;

Comparison Compare(const EmulatorTarget& target, const EmulatorTiming& formula,
                   double analyzer_rate_hz, uint32_t ticks, int fields);

const char* VerdictName(Verdict verdict);

}  // namespace zanvo::emu
