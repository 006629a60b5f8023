#pragma once
// Before anything is written: is there a VGA at the standard ports? The check first only reads:
// Miscellaneous Output must read as a VGA's can (never all ones), and Input Status 1 must show
// vertical retraces at a rate a monitor or a TV takes and the display-enable bit moving between
// them. Only then does it write, and only the CRT controller's index register, which must read
// back what was written; the index it held is put back. A machine without a VGA (a server whose
// unmapped ports read all ones) is refused before the first write.

#include <cstdint>
#include <functional>
#include <string>

#include "platform/port_io.h"

namespace zanvo::linux_pc {

struct VgaPresence {
  bool present = false;
  std::string refusal;      // why not, for the user
  double retrace_hz = 0.0;  // the vertical retrace rate seen (the shortest period's)
  uint32_t writes = 0;      // port writes the check made
};

// The plausible retrace rates: far below a PAL field's 50 Hz there is room for a field whose
// clock a wrong model halved, seen on a machine so busy that it misses most retraces (the way
// back must still work there: a loaded host running QEMU saw 28.9 Hz as 4.8 Hz); above a
// monitor's 85 Hz for the fastest VGA modes. A status bit that flips on every read is no
// retrace.
inline constexpr double kMinRetraceHz = 2.0;
inline constexpr double kMaxRetraceHz = 250.0;
// How long the status register is watched: this long at least, and on a machine that misses
// retraces (it lost the processor) until three were seen, up to the longest watch.
inline constexpr double kWatchSeconds = 0.25;
inline constexpr double kLongestWatchSeconds = 2.0;
// A bound on the reads too, whatever the clock does.
inline constexpr uint32_t kMaxStatusReads = 4u << 20;

// `now_seconds` is a monotonic clock (the machine's time, or a virtual PC's).
VgaPresence CheckVgaPresence(PortIo& io, const std::function<double()>& now_seconds);

}  // namespace zanvo::linux_pc
