#pragma once
// What a receiving set expects of each output standard and how far off it still holds a steady
// picture. These judge the analyzed signal; the engine's timing tables are not consulted.

#include <cmath>

namespace zanvo::virt {

struct StandardRates {
  double line_hz;
  double field_hz;
};

// 625 lines in 25 frames, 50 interlaced fields a second.
inline constexpr StandardRates kPalRates{15625.0, 50.0};
// 525 lines at 30/1.001 frames a second: 15 734.27 Hz, 59.94 fields a second.
inline constexpr StandardRates kNtscRates{15734.0, 59.94};
// The 24 kHz arcade monitor standard as the engine's tables build it: 129 eight-dot characters
// a line at 25.175 MHz, 424 lines a field (24.39 kHz, 57.5 Hz).
inline constexpr double k24kHzLineHz = 25175000.0 / (129 * 8);
inline constexpr StandardRates k24kHzRates{k24kHzLineHz, k24kHzLineHz / 424};

// Within 1% of both rates a signal is the standard itself.
inline constexpr double kExactTolerance = 0.01;
// What ordinary sets hold. A TV's or arcade monitor's horizontal oscillator is a phase-locked
// loop with a pull-in range of a few hundred hertz around 15.6 kHz (a few percent of the line
// rate); 2% stays inside it on every set. The vertical oscillator free-runs a little below the
// field rate and is triggered by the sync pulse; sets hold fields a few hertz off (the vertical
// hold range), so 5% is kept. Beyond these the picture tears or rolls.
inline constexpr double kLockLineTolerance = 0.02;
inline constexpr double kLockFieldTolerance = 0.05;

enum class SignalVerdict { kExact, kLocks, kOff };

inline double RelativeDeviation(double value, double target) {
  return std::fabs(value / target - 1.0);
}

inline SignalVerdict JudgeSignal(const StandardRates& target, double line_hz, double field_hz) {
  const double line = RelativeDeviation(line_hz, target.line_hz);
  const double field = RelativeDeviation(field_hz, target.field_hz);
  if (line <= kExactTolerance && field <= kExactTolerance) return SignalVerdict::kExact;
  if (line <= kLockLineTolerance && field <= kLockFieldTolerance) return SignalVerdict::kLocks;
  return SignalVerdict::kOff;
}

}  // namespace zanvo::virt
