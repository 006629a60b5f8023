#pragma once
// Pixel clock and display FIFO of the family-8 (block I/O) adapters.

#include <cstdint>

namespace zanvo::engine {

// Switches the PLL to the 28.322 MHz pixel clock (halved when clock flag bit 3 is set),
// recomputes the display FIFO for it and lets the sequencer run again. Called by
// ProgramHorizontal in place of the VGA clock select, with the sequencer held in reset.
void ProgramBlockIoClock(uint8_t flags);

// Recomputes the display FIFO words (block 0x20/0x22 and 0x24) from the programmed pixel
// clock, the memory clock, the pixel depth and the memory timings the adapter reports. A pixel
// depth of 0 bits (codes 0 and 7) or a pixel clock of 0 leaves both words as they are.
void ProgramDisplayFifo();

}  // namespace zanvo::engine
