#include "platform/virtual/signal/raster.h"

#include <cmath>

#include "platform/virtual/cards/vga_registers.h"

namespace zanvo::virt {

namespace {
constexpr double kPsPerUs = 1e6;
}

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
  const double t = static_cast<double>(now_ps);
  if (t < field_start_ps_ || t >= field_start_ps_ + field_ps_) {
    field_start_ps_ = std::floor(t / field_ps_) * field_ps_;
  }
  const double in_field = t - field_start_ps_;

  uint8_t status = 0;
  const bool in_retrace = (in_field >= sync_start_ps_ && in_field < sync_end_ps_) ||
                          (sync_end_ps_ > field_ps_ && in_field < sync_end_ps_ - field_ps_);
  if (in_retrace) status |= kStatus1VerticalRetrace;
  if (in_field >= display_end_ps_) {
    status |= kStatus1DisplayDisabled;
  } else {
    // The line phase runs on from time zero: in the second field of an interlaced frame the
    // lines start half a line off the field start.
    if (t < line_start_ps_ || t >= line_start_ps_ + line_ps_) {
      line_start_ps_ = std::floor(t / line_ps_) * line_ps_;
    }
    if (t - line_start_ps_ >= h_display_ps_) status |= kStatus1DisplayDisabled;
  }
  return status;
}

}  // namespace zanvo::virt
