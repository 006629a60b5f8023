#pragma once
// The field-rate check: after a TV or 24 kHz standard was applied and fitted, the field period
// is timed with the scan-frequency readout's routine, because what a chip's clock bits really do
// under the clock step cannot be known beforehand on every card. A halved or doubled clock shows
// as half or twice the field rate, a half-switched mode as a field nowhere near the standard.

#include <cstdint>

#include "engine/readout.h"

namespace zanvo::engine {

// The guard band around the standard's field rate. Wide on purpose: a halved or doubled clock
// lands at -50% or +100%, the mode's own monitor field under TV lines at about -40% (525 lines
// at 15.6 kHz) or +60% or more (a TV field count at 31 kHz), all far outside; the sets' vertical
// hold takes 5%, and the timer measurement of one field is good to a fraction of a percent, so a
// switch that locks never comes near the band's edge.
inline constexpr double kFieldGuardBand = 0.20;

// A task switch on a real PC can lengthen one timed period; the check times up to this many
// periods and refuses only when none is inside the band.
inline constexpr uint8_t kFieldMeasurements = 3;

// The whole check, line-up included, stays within 0.2 s of timer time (238 636 ticks): long
// enough for a line-up and three periods of a halved PAL field (25 Hz), short enough that a
// wrong signal is gone before a set's horizontal stage suffers.
inline constexpr uint32_t kFieldCheckMaxTicks = static_cast<uint32_t>(0.2 / kPitTickSeconds);

// The field rate the standard's tables build, in thousandths of a hertz; 0 for VGA and unknown
// codes (nothing to check).
int32_t StandardFieldRate(uint8_t standard);

// Times up to kFieldMeasurements field periods of the adapter as it runs now, against the band
// around CurrentStandard's field rate. Results: FieldRateInBand (1 also when there is nothing to
// check), MeasuredFieldRate (thousandths of a hertz: the period inside the band, else the last
// one timed, 0 when none was), FieldMeasurements (periods timed). A wait that gives up counts as
// outside and ends the check.
void CheckFieldRate();

}  // namespace zanvo::engine
