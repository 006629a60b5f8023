#pragma once
// Where the beam is at a moment of simulated time, for the Input Status 1 bits: the vertical
// retrace and the display-disabled flag follow the analyzed signal. Time zero is the top of a
// field; an interlaced signal's fields last lines_per_field lines each, half line included, so
// every second field starts in the middle of a line.

#include <cmath>
#include <cstdint>

#include "platform/virtual/signal/signal.h"

namespace zanvo::virt {

class Raster {
 public:
  // No signal: the retrace never comes and the display stays disabled.
  Raster() = default;
  explicit Raster(const Signal& signal);

  // Input Status 1 bits 0 and 3 at `now_ps`; all other bits zero. Depends on nothing but the
  // time.
  uint8_t Status(uint64_t now_ps) const;
  // The end of the stretch from `now_ps` over which the status bits under `bits` keep the
  // values Status(now_ps) gives them: the first whole picosecond at which they may change
  // (later than now_ps), or an earlier one, never a later one. A program polling the status
  // can be answered up to there without asking again.
  uint64_t SteadyUntil(uint64_t now_ps, uint8_t bits) const;

  // When the n-th vertical retrace (n >= 1) to begin at or after `from_ps` begins; UINT64_MAX
  // when the retrace never comes.
  uint64_t RetraceStart(uint64_t from_ps, uint32_t n) const;

  bool running() const { return running_; }
  double field_period_ps() const { return field_ps_; }

 private:
  // The steps of Status, one function each, so that SteadyUntil works from the very same
  // arithmetic. Each is non-decreasing in t (the offsets while their field or line stays).
  static double At(uint64_t t) { return static_cast<double>(t); }
  double FieldIndex(uint64_t t) const { return std::floor(At(t) / field_ps_); }
  double LineIndex(uint64_t t) const { return std::floor(At(t) / line_ps_); }
  // Offsets into the field and the line whose index is given.
  double InField(uint64_t t, double field) const { return At(t) - field * field_ps_; }
  double InLine(uint64_t t, double line) const { return At(t) - line * line_ps_; }

  bool running_ = false;
  double field_ps_ = 0;
  double line_ps_ = 0;
  double sync_start_ps_ = 0;  // offsets from the top of the field
  double sync_end_ps_ = 0;    // may lie past the field: the retrace then runs into the next one
  double display_end_ps_ = 0;
  double h_display_ps_ = 0;
};

}  // namespace zanvo::virt
