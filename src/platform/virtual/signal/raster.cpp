#include "platform/virtual/signal/raster.h"

#include <algorithm>
#include <cmath>

#include "platform/virtual/cards/vga_registers.h"

namespace zanvo::virt {

namespace {

constexpr double kPsPerUs = 1e6;
// 2^64: times from here on do not fit the clock.
constexpr double kClockLimitPs = 18446744073709551616.0;
// How far from its estimate a change is looked for; rounding moves it by a picosecond at most.
constexpr int kChangeChecks = 4;

uint64_t Later(uint64_t t) {
  return t == UINT64_MAX ? t : t + 1;
}

// A time up to which `reached` stays false from `from` on: its first whole picosecond if that
// lies within a few checks of `estimate` (where exact arithmetic puts the change), otherwise
// an earlier one, never a later one. `reached` must be false at `from` and stay true once true.
template <typename Reached>
uint64_t FirstReached(uint64_t from, double estimate, Reached reached) {
  uint64_t at = Later(from);
  if (estimate >= kClockLimitPs) {
    at = UINT64_MAX;
  } else if (estimate > static_cast<double>(at)) {
    at = static_cast<uint64_t>(std::ceil(estimate));
  }
  for (int check = 0; check < kChangeChecks && at > Later(from); ++check) {
    if (!reached(at - 1)) return at;
    --at;
  }
  return Later(from);
}

}  // namespace

Raster::Raster(const Signal& signal) {
  const double line_ps = signal.line_period_us * kPsPerUs;
  const double field_ps = line_ps * signal.lines_per_field;
  // Without sync outputs the CRTC is held and the retrace status never rises.
  if (!signal.has_signal() || !signal.crtc.sync_enabled) return;
  // A field of a couple of bus cycles could not be sampled; such timings come only from garbage.
  if (!std::isfinite(field_ps) || field_ps < 2.0 * kPsPerUs) return;
  running_ = true;
  line_ps_ = line_ps;
  field_ps_ = field_ps;
  if (signal.v_sync_start_line < signal.lines_per_field) {
    sync_start_ps_ = signal.v_sync_start_line * line_ps;
    sync_end_ps_ = signal.v_sync_end_line * line_ps;
  }
  display_end_ps_ = signal.display_lines_per_field * line_ps;
  h_display_ps_ = signal.h_display_us * kPsPerUs;
}

uint8_t Raster::Status(uint64_t now_ps) const {
  if (!running_) return kStatus1DisplayDisabled;
  const double in_field = InField(now_ps, FieldIndex(now_ps));

  uint8_t status = 0;
  const bool in_retrace = (in_field >= sync_start_ps_ && in_field < sync_end_ps_) ||
                          (sync_end_ps_ > field_ps_ && in_field < sync_end_ps_ - field_ps_);
  if (in_retrace) status |= kStatus1VerticalRetrace;
  if (in_field >= display_end_ps_) {
    status |= kStatus1DisplayDisabled;
  } else {
    // The line phase runs on from time zero: in the second field of an interlaced frame the
    // lines start half a line off the field start.
    if (InLine(now_ps, LineIndex(now_ps)) >= h_display_ps_) status |= kStatus1DisplayDisabled;
  }
  return status;
}

uint64_t Raster::RetraceStart(uint64_t from_ps, uint32_t n) const {
  if (!running_ || n == 0 || !(sync_end_ps_ > sync_start_ps_)) return UINT64_MAX;
  double field = std::ceil((At(from_ps) - sync_start_ps_) / field_ps_);
  if (field < 0) field = 0;
  // Rounding may put the start a picosecond before `from_ps`: take the next field then.
  if (field * field_ps_ + sync_start_ps_ < At(from_ps)) field += 1;
  const double start = std::ceil((field + (n - 1)) * field_ps_ + sync_start_ps_);
  return start >= kClockLimitPs ? UINT64_MAX : static_cast<uint64_t>(start);
}

// While the field stays, every comparison Status makes on the offset into it can only turn
// once, from false to true, as time goes on; within a line the same holds for the line phase.
// The stretch ends at the first of those still to turn that decides a bit asked about, or where
// the field (or, for the display-disabled bit, the line) changes.
uint64_t Raster::SteadyUntil(uint64_t now_ps, uint8_t bits) const {
  const bool retrace = (bits & kStatus1VerticalRetrace) != 0;
  const bool display = (bits & kStatus1DisplayDisabled) != 0;
  if (!running_ || (!retrace && !display)) return UINT64_MAX;

  const double field = FieldIndex(now_ps);
  uint64_t until = FirstReached(now_ps, (field + 1) * field_ps_,
                                [&](uint64_t t) { return FieldIndex(t) > field; });
  const auto up_to = [&](double estimate, auto reached) {
    if (!reached(now_ps)) until = std::min(until, FirstReached(now_ps, estimate, reached));
  };
  const double field_start = field * field_ps_;
  if (retrace) {
    up_to(field_start + sync_start_ps_,
          [&](uint64_t t) { return InField(t, field) >= sync_start_ps_; });
    up_to(field_start + sync_end_ps_,
          [&](uint64_t t) { return !(InField(t, field) < sync_end_ps_); });
    if (sync_end_ps_ > field_ps_) {
      up_to(field_start + (sync_end_ps_ - field_ps_),
            [&](uint64_t t) { return !(InField(t, field) < sync_end_ps_ - field_ps_); });
    }
  }
  if (display && !(InField(now_ps, field) >= display_end_ps_)) {
    up_to(field_start + display_end_ps_,
          [&](uint64_t t) { return InField(t, field) >= display_end_ps_; });
    const double line = LineIndex(now_ps);
    up_to((line + 1) * line_ps_, [&](uint64_t t) { return LineIndex(t) > line; });
    up_to(line * line_ps_ + h_display_ps_,
          [&](uint64_t t) { return InLine(t, line) >= h_display_ps_; });
  }
  return until;
}

}  // namespace zanvo::virt
