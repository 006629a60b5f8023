// The signal a CRTC produces, from its programmed values alone.
//
// Both counters restart at their total. Blanking and sync begin when the counter equals the
// start value and end at the first later count whose low bits equal the end register; when no
// count before the total matches, the compare goes on after the restart, so the interval runs
// into the next line or field.

#include <algorithm>
#include <string>

#include "platform/virtual/signal/signal.h"

namespace zanvo::virt {

namespace {

// Larger than any counter of any family; keeps garbage from overflowing the arithmetic.
constexpr int kCounterLimit = 1 << 20;

int Sane(int value) {
  return std::clamp(value, 0, kCounterLimit);
}

struct Interval {
  int start = 0;
  int end = 0;           // absolute; past the total when the interval runs into the next period
  bool endless = false;  // the end compare never matches
};

Interval EndCompare(int start, int end_reg, int bits, int total) {
  const int period = 1 << std::clamp(bits, 1, 16);
  const int mask = period - 1;
  Interval interval{start, start, false};
  if (start >= total) return interval;  // the counter never gets there: no interval at all
  int delta = (end_reg - start) & mask;
  if (delta == 0) delta = period;
  if (start + delta < total) {
    interval.end = start + delta;
  } else if ((end_reg & mask) < total) {
    interval.end = total + (end_reg & mask);
  } else {
    interval.end = start + total;
    interval.endless = true;
  }
  return interval;
}

// True when `inner` lies within `outer` on a counter that wraps at `period`.
bool InsideOnCircle(const Interval& inner, const Interval& outer, int period) {
  const int outer_length = outer.end - outer.start;
  if (outer.endless || outer_length >= period) return true;
  const int offset = ((inner.start - outer.start) % period + period) % period;
  return offset + (inner.end - inner.start) <= outer_length;
}

struct Axis {
  const char* name;  // "horizontal" or "vertical"
  int total;
  int display;
  int blank_start;
  int blank_end_reg;
  int blank_bits;
  int sync_start;
  int sync_end_reg;
  int sync_bits;
};

struct AxisResult {
  Interval blank, sync;
  bool sync_present = false;
};

AxisResult CheckAxis(const Axis& a, std::vector<std::string>& problems) {
  const std::string name = a.name;
  AxisResult r;
  if (a.total <= 0) {
    problems.push_back(name + " total is zero");
    return r;
  }
  r.blank = EndCompare(a.blank_start, a.blank_end_reg, a.blank_bits, a.total);
  r.sync = EndCompare(a.sync_start, a.sync_end_reg, a.sync_bits, a.total);
  r.sync_present = a.sync_start < a.total;
  if (a.display > a.total) problems.push_back(name + " display end past total");
  if (a.blank_start >= a.total) problems.push_back(name + " blank start past total");
  if (!r.sync_present) problems.push_back(name + " sync start past total");
  if (r.blank.endless) problems.push_back(name + " blank never ends");
  if (r.sync_present && a.blank_start < a.total && !InsideOnCircle(r.sync, r.blank, a.total)) {
    problems.push_back(name + " sync outside blank");
  }
  return r;
}

}  // namespace

Signal AnalyzeTiming(const CrtcTiming& timing) {
  Signal s;
  s.crtc = timing;
  auto& problems = s.contradictions;
  const CrtcTiming& t = timing;

  if (!t.clock_defined) {
    problems.push_back("clock select " + std::to_string(t.clock_select) + " does not exist");
  }
  if (!t.sequencer_running) problems.push_back("sequencer held in reset");
  if (!t.sync_enabled) problems.push_back("CRTC held: sync outputs disabled");
  const int divisor = t.clock_divisor >= 1 ? t.clock_divisor : 1;
  if (t.clock_divisor < 1) problems.push_back("clock divisor below 1");
  if (t.dots_per_char < 1) problems.push_back("character width below one dot");
  const int units = std::max(1, t.h_units_per_char);

  // Horizontal in register units, vertical in counter units.
  const Axis h{.name = "horizontal",
               .total = Sane(t.h_total),
               .display = Sane(t.h_display),
               .blank_start = Sane(t.h_blank_start),
               .blank_end_reg = Sane(t.h_blank_end),
               .blank_bits = t.h_blank_end_bits,
               .sync_start = Sane(t.h_sync_start),
               .sync_end_reg = Sane(t.h_sync_end),
               .sync_bits = t.h_sync_end_bits};
  const Axis v{.name = "vertical",
               .total = Sane(t.v_total),
               .display = Sane(t.v_display),
               .blank_start = Sane(t.v_blank_start),
               .blank_end_reg = Sane(t.v_blank_end),
               .blank_bits = t.v_blank_end_bits,
               .sync_start = Sane(t.v_sync_start),
               .sync_end_reg = Sane(t.v_sync_end),
               .sync_bits = t.v_sync_end_bits};
  const AxisResult hr = CheckAxis(h, problems);
  const AxisResult vr = CheckAxis(v, problems);

  s.pixel_clock_hz = t.clock_defined && t.clock_hz > 0 ? t.clock_hz / divisor : 0;
  if (t.clock_defined && !(t.clock_hz > 0)) problems.push_back("no pixel clock");
  s.dots_per_char = t.dots_per_char;
  s.chars_per_line = h.total / units;
  s.display_chars = h.display / units;
  s.h_blank_start_char = hr.blank.start / units;
  s.h_blank_end_char = hr.blank.end / units;
  s.h_sync_start_char = hr.sync.start / units;
  s.h_sync_end_char = hr.sync.end / units;

  const double unit_us = s.pixel_clock_hz > 0 && t.dots_per_char >= 1
                             ? t.dots_per_char * 1e6 / s.pixel_clock_hz / units
                             : 0;
  s.line_period_us = h.total * unit_us;
  s.line_rate_hz = s.line_period_us > 0 ? 1e6 / s.line_period_us : 0;
  s.hsync_width_us = (hr.sync.end - hr.sync.start) * unit_us;
  s.h_display_us = std::min(h.display, h.total) * unit_us;
  s.h_blank_us = (hr.blank.end - hr.blank.start) * unit_us;

  // A counter unit is two scan lines when counting by two; interlaced values that count frame
  // lines give half a field line each.
  s.interlaced = t.interlaced;
  const int scale = t.count_by_two ? 2 : 1;
  const int halve = t.interlaced && t.v_frame_lines ? 2 : 1;
  const auto lines = [&](int counter) { return counter * scale / halve; };
  s.lines_per_field = static_cast<double>(v.total) * scale / halve;
  if (t.interlaced && halve == 1) s.lines_per_field += 0.5;
  s.display_lines_per_field = lines(std::min(v.display, v.total));
  s.v_blank_start_line = lines(vr.blank.start);
  s.v_blank_end_line = lines(vr.blank.end);
  s.v_sync_start_line = lines(vr.sync.start);
  s.v_sync_end_line = lines(vr.sync.end);
  s.field_rate_hz = s.lines_per_field > 0 ? s.line_rate_hz / s.lines_per_field : 0;
  s.frame_rate_hz = t.interlaced ? s.field_rate_hz / 2 : s.field_rate_hz;

  const int max_scan = std::clamp(t.max_scan_line, 0, 31);
  s.scan_lines_per_row = (max_scan + 1) * (t.double_scan ? 2 : 1);
  s.double_scan = s.scan_lines_per_row == 2;
  s.memory_rows_per_field =
      (s.display_lines_per_field + s.scan_lines_per_row - 1) / s.scan_lines_per_row;

  s.hsync_positive = !t.hsync_negative;
  s.vsync_positive = !t.vsync_negative;
  return s;
}

}  // namespace zanvo::virt
