#pragma once
// The field-rate check: after a TV or 24 kHz standard was applied and fitted, the field period
// is timed with the scan-frequency readout's routine, because what a chip's clock bits really do
// under the clock step cannot be known beforehand on every card. A halved or doubled clock shows
// as half or twice the field rate, a half-switched mode as a field nowhere near the standard.

#include <cstdint>

#include "engine/readout.h"

namespace zanvo::engine {

// How far off the standard's field rate a set's vertical hold still takes a field: the lock
// range every verdict on a signal uses (a set holds fields 5% off, no further).
inline constexpr double kSetFieldHoldRange = 0.05;

// The guard band around the standard's field rate: the sets' hold range plus 3 points for the
// measurement (two agreeing timer periods are good to a fraction of a percent), so a switch that
// locks never comes near its edge. Everything a set cannot hold further out is refused: a halved
// or doubled clock (-50%, +100%), the mode's own monitor field under TV lines (about -40% or
// +60%), and a fixed clock a few percent too fast for the row (+12% on a 24 kHz line).
inline constexpr double kFieldGuardBand = kSetFieldHoldRange + 0.03;

// Two consecutive periods count as one field rate when they agree this closely; a period
// lengthened by a task switch (a time slice is 10-20 ms) differs from its neighbours by far more.
inline constexpr double kPeriodAgreement = 0.02;

// A task switch on a real PC can lengthen one timed period: the check times up to this many
// periods and passes only when two consecutive ones agree inside the band, so one disturbed
// period neither passes a wrong field nor refuses a right one.
inline constexpr uint8_t kFieldMeasurements = 4;

// The check's timer budget, line-up included (190 909 ticks): a line-up and four periods of a
// 50 Hz field with a 20 ms stall among them take 120 ms; a wrong signal is gone before a set's
// horizontal stage suffers.
inline constexpr uint32_t kFieldCheckMaxTicks = static_cast<uint32_t>(0.16 / kPitTickSeconds);

// The check's budget of status polls, for a timer that counts too slowly or not at all: at one
// bus cycle (a microsecond) per status read about 0.19 s, so the whole check stays under 0.2 s
// whatever the timer and the retrace do. A bus that answers faster can spend it before the timer
// budget; the check then could not measure (below), it never refuses for it.
inline constexpr uint32_t kFieldCheckMaxPolls = 190'000;

// No field of any signal is shorter than this: a shorter period is a reading of the timer, not
// of a field (1 ms, 1193 ticks).
inline constexpr uint32_t kShortestFieldTicks = static_cast<uint32_t>(0.001 / kPitTickSeconds);

// Why the check could not measure (FieldCheckUnmeasurable); 0 when it measured.
inline constexpr uint8_t kUnmeasurableTimerStopped = 1;  // the count never moved
inline constexpr uint8_t kUnmeasurableShortPeriod = 2;   // a period under 1 ms
inline constexpr uint8_t kUnmeasurablePollsRanOut = 3;   // the polls ran out before the ticks

// The field rate the standard's tables build, in thousandths of a hertz; 0 for VGA and unknown
// codes (nothing to check).
int32_t StandardFieldRate(uint8_t standard);

// Times up to kFieldMeasurements field periods of the adapter as it runs now, against the band
// around CurrentStandard's field rate. Results: FieldRateInBand (1 when two consecutive periods
// agreed inside the band, also when there is nothing to check or the check could not measure),
// FieldCheckUnmeasurable (one of the codes above when the timer gave a reading no field can
// give: the switch then goes ahead as if there were no check), MeasuredFieldRate (thousandths of
// a hertz of the last period timed, 0 when none was), FieldMeasurements (periods timed). A wait
// that gives up with the timer counting (no retrace seen in time) counts as outside.
void CheckFieldRate();

}  // namespace zanvo::engine
