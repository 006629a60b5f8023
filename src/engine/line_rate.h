#pragma once
// The line rate as the card sends it, counted on Input Status 1: outside the vertical blanking
// the display-disabled bit rises once a line, at the start of the horizontal blanking. The rises
// over a stretch from the top of the picture are timed one by one with the PC timer, so that a
// model which doubles the line rate and the line count together, leaving the field rate right,
// shows for what it is.

#include <cstdint>

#include "engine/readout.h"

namespace zanvo::engine {

// How far off the standard's line rate a set still holds the picture: a TV's or arcade
// monitor's horizontal PLL pulls in a few hundred hertz around 15.6 kHz; 2% holds on every set
// (the lock range every verdict on a signal uses).
inline constexpr double kSetLineHoldRange = 0.02;

// The guard band around the standard's line rate: the sets' hold range plus 3 points for the
// measurement, as the field band is built. The measurement itself is good to a fraction of a
// percent: each line's rise is timed, a lap that a poll delay lengthened is balanced by the
// shorter next one, laps an interrupt stretched over two or three lines (an interrupt of
// 10-200 us hides a horizontal blanking or a few) count as that many whole lines, and laps
// longer than kMaxLinesPerLap (a lost time slice, the vertical blanking) are left out. A doubled
// or halved line (+100%, -50%) is far outside; a set that does not hold the line is outside too.
inline constexpr double kLineGuardBand = kSetLineHoldRange + 0.03;

// The stretch the field check times: 64 lines, well inside the 192 or more lines of picture
// every TV or 24 kHz mode shows per field (4 ms at 15.6 kHz).
inline constexpr uint16_t kLineStretchLines = 64;
// The readout's shorter stretch: it runs whenever the window is idle.
inline constexpr uint16_t kReadoutStretchLines = 32;
// A lap of more lines than this is not a line's time: the vertical blanking or a lost time
// slice; it is left out.
inline constexpr uint32_t kMaxLinesPerLap = 4;

enum class LineTiming : uint8_t {
  kMeasured,   // line_hz holds the rate
  kDisturbed,  // too few laps were a line's time; time on at the next field
  kNoEdges,    // the display-disabled bit did not change within a wait's own bound
  kStopped,    // the run's budget ran out or the timer cannot measure (the run's flags)
};

// Times up to 64 (`lines`) line rises from the top of the picture. Call right after the end of
// a vertical retrace: the stretch then begins where the picture does. Waits are bounded by
// run.wait_max_ticks and the run's budgets.
LineTiming TimeLineRate(PeriodRun& run, uint16_t lines, double& line_hz);

}  // namespace zanvo::engine
