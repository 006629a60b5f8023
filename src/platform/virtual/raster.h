#pragma once
// Where the beam is at a moment of simulated time, for the Input Status 1 bits: the vertical
// retrace and the display-disabled flag follow the analyzed signal. Time zero is the top of a
// field; an interlaced signal's fields last lines_per_field lines each, half line included, so
// every second field starts in the middle of a line.

#include <cstdint>

#include "platform/virtual/signal.h"

namespace zanvo::virt {

class Raster {
 public:
  // No signal: the retrace never comes and the display stays disabled.
  Raster() = default;
  explicit Raster(const Signal& signal);

  // Input Status 1 bits 0 and 3 at `now_ps`; all other bits zero. With `steady_until_ps`, also
  // the end of the steady stretch that starts here: Status(t) returns the same bits, and leaves
  // this object as it is, for every t from now_ps up to (not including) *steady_until_ps, which
  // is later than now_ps. A program polling the status can be answered from that without
  // asking again.
  uint8_t Status(uint64_t now_ps, uint64_t* steady_until_ps = nullptr) const;

  bool running() const { return running_; }
  double field_period_ps() const { return field_ps_; }

 private:
  // The comparisons Status makes, one function each, so that the steady stretch is worked out
  // from the very same arithmetic. Each only turns from false to true as t grows while the
  // field and line starts stay put.
  static double At(uint64_t t) { return static_cast<double>(t); }
  bool BeforeField(uint64_t t) const { return At(t) < field_start_ps_; }
  bool PastField(uint64_t t) const { return At(t) >= field_start_ps_ + field_ps_; }
  double InField(uint64_t t) const { return At(t) - field_start_ps_; }
  bool BeforeLine(uint64_t t) const { return At(t) < line_start_ps_; }
  bool PastLine(uint64_t t) const { return At(t) >= line_start_ps_ + line_ps_; }
  double InLine(uint64_t t) const { return At(t) - line_start_ps_; }
  // Whether the display-disabled bit comes from the line phase (inside the displayed lines).
  bool InDisplayedLines(uint64_t t) const { return !(InField(t) >= display_end_ps_); }
  uint64_t SteadyUntil(uint64_t now_ps) const;

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
