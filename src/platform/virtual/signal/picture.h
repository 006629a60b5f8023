#pragma once
// Whether the desktop arrives whole: which desktop row each displayed line shows, followed
// through the CRTC's addressing (start address, line offset with the chip's extension bits, scan
// lines per row, the interlace fields) from the registers alone.

#include <string>

#include "platform/virtual/signal/mode_timing.h"
#include "platform/virtual/signal/signal.h"

namespace zanvo::virt {

// How the desktop lies in memory: its row stride (the line offset of its mode), how many rows it
// has and where the first begins.
struct DesktopLayout {
  int offset = 0;
  int rows = 0;
  int start_address = 0;
};

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

// The desktop arrives whole when every displayed line shows a desktop row, in order, at the
// step the fit intends: every row, or every other row where the desktop has more rows than the
// frame shows (lines skipped); each line starting where a desktop row starts.
struct PictureVerdict {
  bool whole = true;
  int step = 1;        // desktop rows from one displayed line of the frame to the next
  std::string reason;  // why not, e.g. "line offset 8, the desktop needs 264: ..."; else empty
};
PictureVerdict JudgePicture(const Signal& shown, const DesktopLayout& desktop);

}  // namespace zanvo::virt
