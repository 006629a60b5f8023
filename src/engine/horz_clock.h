#pragma once
// The family-specific parts of the horizontal step's clock programming.

#include <cstdint>

namespace zanvo::engine {

// Runs while the sequencer is held in reset, before Misc Output and SR01 are written. Returns
// the clock flags, which some families change. Not used for family 8.
uint8_t PrepareFamilyClock(uint8_t flags);

// Runs after the sequencer restarts when any of clock flag bits 4-7 is set.
void RunExtraClockStep();

}  // namespace zanvo::engine
