#pragma once
// The horizontal step: fit the running mode's character columns into a TV line.

#include <cstdint>

namespace zanvo::engine {

// Finds the active table's row for the mode's displayed columns and programs total, display end,
// blanking, sync, the pixel clock and the sync polarity from it. HorzRowFound tells whether a
// row was found; without one only a CR17 change of ReadDisplayedLines may have been written.
void ProgramHorizontal();

// Computes the horizontal image from row `row` of HorzTimingTable and writes it.
void BuildHorzImage(uint8_t row);
// HBlankEndReg and HSyncEndReg from the totals, starts and widths, wrapping past the total.
void ComputeBlankSyncEnd();
// Writes the horizontal image to the CRTC (family 8: to its block I/O registers).
void WriteHorzImage();

// 0x31 (clock 1, 8-dot characters, no halving, extra clock step) for the chips that make the
// halved dot clock themselves; the flags unchanged for all others.
uint8_t HalfClockCode(uint8_t flags);

// Displayed lines of the running mode. Clears CR17 bit 2 (count by two) after doubling for it.
uint16_t ReadDisplayedLines();

}  // namespace zanvo::engine
