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

// The check's timer budget for the field periods, line-up included (0.16 s, 190 909 ticks). A
// right field at the band's slow edge (46 Hz, 21.7 ms) with one lost time slice of 25 ms needs
// a line-up, a period on its own, the period the stall lengthens and the short one after it,
// then two agreeing periods: six periods and the stall, 155 ms (145 ms at 50 Hz).
inline constexpr uint32_t kFieldCheckMaxTicks = static_cast<uint32_t>(0.16 / kPitTickSeconds);
// The whole check's budget, the line rate's stretch after the field included (0.175 s): the
// stretch takes the rest of the vertical blanking and 65 lines, 6 ms at 15.6 kHz, and a second
// one a field later when a lost time slice fell into the first; a stall falls only once.
inline constexpr uint32_t kCheckMaxTicks = static_cast<uint32_t>(0.175 / kPitTickSeconds);

// The fastest bus a PC answers status reads on: 0.3 us per read (PCI, AGP).
inline constexpr double kFastestReadSeconds = 0.3e-6;
// The check's budget of status polls, which bounds only a timer that counts too slowly or not at
// all: at the fastest bus 0.19 s of polls. On any real bus the timer budget ends the check first.
inline constexpr uint32_t kFieldCheckMaxPolls = static_cast<uint32_t>(0.19 / kFastestReadSeconds);
// The fewest ticks kPollsPerTimerLatch polls can take on a timer that counts as it should:
// those polls at the pace that spends kFieldCheckMaxPolls in kCheckMaxTicks (0.28 us a read,
// faster than any bus). Fewer ticks, twice in a row, show a timer that counts too slowly to
// measure anything, and the polls would run out before the ticks.
inline constexpr uint32_t kSlowestLapTicks =
    static_cast<uint32_t>(uint64_t{kCheckMaxTicks} * kPollsPerTimerLatch / kFieldCheckMaxPolls);

// No field of any signal is shorter than this: a shorter period is the remainder of one a lost
// time slice swallowed (1 ms, 1193 ticks), a disturbance like any other.
inline constexpr uint32_t kShortestFieldTicks = static_cast<uint32_t>(0.001 / kPitTickSeconds);

// Why the check could not measure (FieldCheckUnmeasurable); 0 when it measured.
inline constexpr uint8_t kUnmeasurableTimerStopped = 1;  // the count never moved
inline constexpr uint8_t kUnmeasurableTimerTooSlow = 2;  // far fewer ticks than the polls take

// The field rate the standard's tables build, in thousandths of a hertz; 0 for VGA and unknown
// codes (nothing to check).
int32_t StandardFieldRate(uint8_t standard);
// The standard's line rate, whole hertz; 0 for VGA and unknown codes.
int32_t StandardLineRate(uint8_t standard);

// Times field periods of the adapter as it runs now, against the band around CurrentStandard's
// field rate, then, when the field passed, the line rate against the band around the
// standard's (line_rate.h). A period far off its neighbours is a disturbance (the program lost
// the processor): it is left out and the check times on within its budget. Only two consecutive
// periods that agree within kPeriodAgreement give a verdict: inside the band the field passes,
// both outside it is a clean miss. With one lost time slice no verdict is wrong; two, placed
// just so that both the periods of a pair are stretched alike, could make one.
//
// Results: FieldRateInBand (1 when the field and the line passed, when there is nothing to
// check or when the timer cannot measure; 0 on a miss, a disturbed check that found no
// agreeing pair within its budget, or no retrace at all), MissMeasuredClean (1 only for a miss
// on a clean measurement: an agreeing pair outside the field band, or a line rate outside its
// band), FieldCheckUnmeasurable (one of the codes above when the timer was shown not to count
// or to count impossibly slowly: the switch then goes ahead as if there were no check),
// MeasuredFieldRate (thousandths of a hertz of the last period timed, 0 when none was),
// FieldMeasurements (periods timed), MeasuredLineRate (whole hertz, 0 when not measured) and
// LineRateInBand (1 also when the status bit showed no lines to count).
void CheckFieldRate();

}  // namespace zanvo::engine
