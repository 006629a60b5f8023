#pragma once
// Whether the desktop arrives whole: which desktop row each displayed line shows, followed
// through the CRTC's addressing (start address, line offset with the chip's extension bits, scan
// lines per row, the interlace fields) from the registers alone.

#include <string>
#include <vector>

#include "platform/virtual/signal/mode_timing.h"
#include "platform/virtual/signal/signal.h"

namespace zanvo::virt {

// How the desktop lies in memory: its row stride (the line offset of its mode), how many rows it
// has and where the first begins; its pixels across a row, their depth and the dot clocks each
// lasts on the way out (its pixel format: a 256-colour pixel of the standard VGA, or a 16-bit
// pixel sent through an 8-bit DAC port as two bytes, lasts two).
struct DesktopLayout {
  int offset = 0;
  int rows = 0;
  int start_address = 0;
  int width = 0;  // pixels
  int bits_per_pixel = 8;
  int clocks_per_pixel = 1;  // 0 where not known: the pixel format is then not judged
};

// Desktop pixels a line of `shown` carries: its displayed dots over the dot clocks a pixel
// lasts in its pixel format.
int PixelsPerLine(const Signal& shown);

// From the desktop mode's own signal (its registers, which may have been loaded over the
// driver's), or from the driver's mode table.
DesktopLayout DesktopOf(const Signal& desktop);
DesktopLayout DesktopOf(const ModeTiming& mode);

// Desktop rows from one field line to the next (counting memory rows, not the scan lines that
// repeat a row), and where the second field of an interlaced signal begins, in desktop rows.
struct FieldRows {
  double stride = 1;
  double second_field = 0;
};
FieldRows RowsPerFieldLine(const CrtcTiming& timing, int desktop_offset);

// The desktop row that line `line` of field `field` (0 or 1) shows, double scan included.
int DesktopRowOfLine(const Signal& shown, const FieldRows& rows, int line, int field);

// The desktop row each displayed line of the frame shows, top to bottom: an interlaced frame's
// lines alternate between the fields. At most `limit` lines.
std::vector<int> FrameRows(const Signal& shown, const DesktopLayout& desktop, int limit = 4096);

// Across the line, the registers lay out the pixels in the desktop's format (depth and dot
// clocks per pixel). Down the frame, the desktop arrives whole when the frame's lines, top to bottom, show its rows in order, each
// the same number of times (twice where lines are doubled), at the step the fit intends: every
// row, or every other row where the desktop has more rows than the frame has lines (lines
// skipped); each line starting where a desktop row starts. Rows out of order, or rows dropped
// though the frame's lines could show each once, are not whole.
struct PictureVerdict {
  bool whole = true;
  int step = 1;        // desktop rows from one displayed line of the frame to the next
  std::string reason;  // why not, e.g. "line offset 8, the desktop needs 264: ..."; else empty
};
PictureVerdict JudgePicture(const Signal& shown, const DesktopLayout& desktop);

}  // namespace zanvo::virt
