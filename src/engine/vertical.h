#pragma once
// The vertical step: fit the running mode's displayed lines into one field of LinesPerField.

namespace zanvo::engine {

// Removes line doubling, sets up the chip's interlace where allowed, skips every other line
// while the picture is still taller than a field, looks the line count up in VertTimingTable and
// writes the offset and the vertical image. Stops before the offset write when no row matches.
// Needs CrtcPort, the unlock, and HTotalReg from ProgramHorizontal.
void ProgramVertical();

// Writes the vertical image to the CRTC (family 8: to its block I/O registers).
void WriteVertImage();

// Tseng only: clears the interlace bit, CR35 bit 7 on the ET4000 and CR25 bit 7 otherwise.
void ClearTsengInterlace();

}  // namespace zanvo::engine
