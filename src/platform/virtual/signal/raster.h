#pragma once
// Where the beam is at a moment of simulated time, for the Input Status 1 bits: the vertical
// retrace and the display-disabled flag follow the analyzed signal. Time zero is the top of a
// field; an interlaced signal's fields last lines_per_field lines each, half line included, so
// every second field starts in the middle of a line.

#include <cstdint>

#include "platform/virtual/signal/signal.h"

namespace zanvo::virt {

class Raster {
 public:
  // No signal: the retrace never comes and the display stays disabled.
  Raster() = default;
  explicit Raster(const Signal& signal);

  // Input Status 1 bits 0 and 3 at `now_ps`; all other bits zero.
  uint8_t Status(uint64_t now_ps) const;

  bool running() const { return running_; }
  double field_period_ps() const { return field_ps_; }

 private:
  bool running_ = false;
  double field_ps_ = 0;
  double line_ps_ = 0;
  double sync_start_ps_ = 0;  // offsets from the top of the field
  double sync_end_ps_ = 0;    // may lie past the field: the retrace then runs into the next one
  double display_end_ps_ = 0;
  double h_display_ps_ = 0;
  // Start of the field and of the line the last query fell in, so that a busy-wait mostly
  // needs no division.
  mutable double field_start_ps_ = 0;
  mutable double line_start_ps_ = 0;
};

}  // namespace zanvo::virt
