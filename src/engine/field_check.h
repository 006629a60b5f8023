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

// The check knows when it lost the processor: it latches the timer every kGapWatchPolls status
// reads, so that a lap (the polls since the last latch, at most twice that where one wait ends
// and the next begins, and the latch itself: 35 accesses) takes at most 53 us on the slowest
// bus (1.5 us a read). A lap longer than kLostTimeTicks is time the program did not have: a
// lost time slice or an interrupt. The bound lies above that lap and below the shortest
// vertical retrace of a signal the check passes (the tables' 4 lines: 164 us at 24 kHz, 256 us
// at 15.6 kHz): a loss it cannot see can neither swallow a retrace nor move an edge by more than
// a period's 0.6%. A period or a line stretch with a lost lap in it counts for nothing.
inline constexpr uint32_t kGapWatchPolls = 16;
inline constexpr uint32_t kLostTimeTicks = static_cast<uint32_t>(100e-6 / kPitTickSeconds);

// The check's bounds: 0.4 s of the time the program had the processor, and 2 s of the timer's
// time in all, so that a busy PC gets its verdict later, and a PC too busy for one does not
// hold a person up. A clean check takes a line-up, two periods and the line stretch (70 ms at
// 50 Hz). A lost slice spoils the period it falls in, and the next as well where it delays a
// retrace's end; the slowest field the check must judge, a halved PAL field (25 Hz), with three
// slices needs a line-up, six spoilt periods and two agreeing ones: 360 ms.
inline constexpr uint32_t kCheckProcessorTicks = static_cast<uint32_t>(0.4 / kPitTickSeconds);
inline constexpr uint32_t kCheckWallTicks = static_cast<uint32_t>(2.0 / kPitTickSeconds);

// The fastest bus a PC answers status reads on: 0.3 us per read (PCI, AGP).
inline constexpr double kFastestReadSeconds = 0.3e-6;
// The check's budget of status polls, which bounds only a timer that counts too slowly or not at
// all: the processor time's bound at the fastest bus and a tenth more. On any real bus the
// timer's bounds end the check first.
inline constexpr uint32_t kFieldCheckMaxPolls = static_cast<uint32_t>(0.44 / kFastestReadSeconds);
// The fewest ticks kGapWatchPolls polls can take on a timer that counts as it should: those
// polls at the fastest bus. Fewer ticks, twice in a row, show a timer that counts too slowly to
// measure anything; once, the counter's wrap over a lost slice of a multiple of 55 ms.
inline constexpr uint32_t kSlowestLapTicks =
    static_cast<uint32_t>(kGapWatchPolls * kFastestReadSeconds / kPitTickSeconds);

// Why the check could not measure (FieldCheckUnmeasurable); 0 when it measured.
inline constexpr uint8_t kUnmeasurableTimerStopped = 1;  // the count never moved
inline constexpr uint8_t kUnmeasurableTimerTooSlow = 2;  // far fewer ticks than the polls take
inline constexpr uint8_t kUnmeasurableTooBusy = 3;       // no verdict within the bounds: the
                                                          // program kept losing the processor

// The field rate the standard's tables build, in thousandths of a hertz; 0 for VGA and unknown
// codes (nothing to check).
int32_t StandardFieldRate(uint8_t standard);
// The standard's line rate, whole hertz; 0 for VGA and unknown codes.
int32_t StandardLineRate(uint8_t standard);

// Times field periods of the adapter as it runs now, on one countdown, against the band around
// CurrentStandard's field rate, then, when the field passed, the line rate against the band
// around the standard's (line_rate.h). A period in which the program lost time is left out and
// the check times on within its bounds. Only two consecutive periods without a loss that agree
// within kPeriodAgreement give a verdict: inside the band the field passes, both outside it is
// a clean miss. The line stretch, too, counts only without a loss.
//
// Results: FieldRateInBand (1 when the field and the line passed, when there is nothing to
// check or when the check cannot measure; 0 on a miss, or when a watched stretch saw no retrace
// or the periods never agreed without a loss), MissMeasuredClean (1 only for a miss on a clean
// measurement: an agreeing pair outside the field band, or a line rate outside its band),
// FieldCheckUnmeasurable (one of the codes above: the switch then goes ahead as if there were
// no check, with no model searched for), MeasuredFieldRate (thousandths of a hertz of the last
// period timed, 0 when none was), FieldMeasurements (periods timed), FieldCheckLosses (laps the
// program lost time in), MeasuredLineRate (whole hertz, 0 when not measured) and LineRateInBand
// (1 also when the status bit showed no lines to count).
void CheckFieldRate();

}  // namespace zanvo::engine
