#pragma once
// The parts of the vertical step that differ by chip family: the line offset with its extension
// bits, and the chip's interlace mode.

#include <cstdint>

namespace zanvo::engine {

// What the vertical step fits: lines per field and the memory line stride (CR13 in the low byte,
// the family's extension bits in the high byte; family 8: the pitch field).
struct VertFit {
  uint16_t lines = 0;
  uint16_t line_offset = 0;
};

uint16_t ReadLineOffset();
// How many bits the chip's line offset holds: CR13 and the family's extension bits.
int LineOffsetBits();
void WriteLineOffset(uint16_t line_offset);

// Turns on the family's interlace when InterlaceEnabled is 1 and `wanted`, halving the lines (and
// where the chip fetches both fields from one frame, doubling the offset). May set
// CountFrameLines.
void SetUpInterlace(VertFit& fit, bool wanted);

}  // namespace zanvo::engine
