#pragma once
// The receiving set of the virtual TV: which standard it expects, the part of each line and field
// its screen shows, and whether it can lock to a signal at all.

#include <string>

#include "platform/virtual/signal/mode_timing.h"
#include "platform/virtual/signal/signal.h"

namespace zanvo::virt {

enum class Receiver {
  kVgaMonitor,  // a multisync monitor set up for the desktop mode's own timings
  kPal,
  kNtsc,
  kArcade24kHz,  // a medium-resolution arcade monitor
};

// How far the line and field rates may stray from the standard's for a set to lock: its line
// oscillator pulls in over a couple of percent, its field oscillator over a few.
struct LockRange {
  double line_fraction;
  double field_fraction;
};
inline constexpr LockRange kSetLockRange{0.02, 0.05};

// A standard's active picture, measured from the leading edges of the syncs: the line sync for
// the horizontal figures, the field sync (first broad pulse) for the vertical ones.
struct ActivePicture {
  double line_rate_hz;
  double field_rate_hz;
  double start_us;    // active line begins this long after the line sync begins
  double width_us;    // active line length
  double start_line;  // first active field line after the field sync begins
  double lines;       // active lines per field
};

// The TV and arcade standards' figures (the VGA monitor has none: it follows the mode).
const ActivePicture& StandardPicture(Receiver receiver);

// Consumer CRT sets are adjusted so the picture overfills the tube by a few percent per edge;
// broadcast safe-action margins (EBU R 95: 3.5% per edge) exist because of it.
inline constexpr double kOverscanPerEdge = 0.04;

// The part of the signal that reaches the screen, measured like ActivePicture.
struct ScreenWindow {
  double start_us = 0;
  double width_us = 0;
  double start_line = 0;
  double lines = 0;
};
ScreenWindow VisibleWindow(Receiver receiver, const ModeTiming& mode);

// Why the set shows no stable picture ("line 31.5 kHz: no lock", "vertical sync outside blank:
// no lock", "no signal"); empty when it locks. A set locks only to a signal whose rates it holds,
// with both syncs present, each inside its blanking, and nothing else the analyzer finds
// contradictory.
std::string LockFailure(Receiver receiver, const Signal& signal);

const char* ReceiverName(Receiver receiver);

}  // namespace zanvo::virt
