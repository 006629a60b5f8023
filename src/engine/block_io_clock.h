#pragma once
// Pixel clock and display FIFO of the family-8 (block I/O) adapters.

#include <cstdint>

namespace zanvo::engine {

// Switches the PLL to the 28.322 MHz pixel clock (halved when clock flag bit 3 is set) and
// recomputes the display FIFO for it. Called by ProgramHorizontal in place of the VGA clock
// select, with the sequencer held in reset.
void ProgramBlockIoClock(uint8_t flags);

}  // namespace zanvo::engine
