#include "platform/virtual/tv/tv_set.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace zanvo::virt {

namespace {

// 625-line PAL (ITU-R BT.470 / BT.1700; BT.601 samples the same active picture): 64 us lines,
// 12.0 us line blanking of which 1.5 us front porch precede the 4.7 us sync, so the active line
// starts 10.5 us after the sync's leading edge and lasts 52 us. 25 lines of field blanking per
// field; the first broad pulse starts at line 1 and the active picture runs from the middle of
// line 23 to line 310: 287.5 lines per field, 576 per frame.
constexpr ActivePicture kPal{15625.0, 50.0, 10.5, 52.0, 22.5, 287.5};

// 525-line NTSC (SMPTE 170M): 63.556 us lines, 10.9 us line blanking with a 1.5 us front porch
// before the 4.7 us sync: the active line starts 9.4 us after the sync and lasts 52.66 us. The
// field sync pulses occupy lines 4-6, the active picture starts at line 21 and holds 485 lines
// per frame, 242.5 per field.
constexpr ActivePicture kNtsc{15734.26, 59.94, 9.4, 52.66, 17.0, 242.5};

// Medium-resolution (24 kHz) arcade monitors are built for the Sega System 24 class of timing:
// a 16 MHz dot clock, 656 dots and 424 lines in total (24.39 kHz, 57.5 Hz) of which 496 x 384
// are visible, 31 us of the 41 us line. Where the syncs sit within the blanking is not given
// with those figures; as in the TV standards a quarter of the blanking is taken to precede the
// sync, so the picture starts 7.5 us and 36 lines after the syncs' leading edges.
constexpr ActivePicture kArcade24kHz{24390.0, 57.5, 7.5, 31.0, 36.0, 384.0};

// A multisync monitor's ranges: the SVGA modes of the era run from 31.5 to about 80 kHz.
constexpr double kMonitorLineLowHz = 29500;
constexpr double kMonitorLineHighHz = 82000;
constexpr double kMonitorFieldLowHz = 50;
constexpr double kMonitorFieldHighHz = 120;

std::string Miss(const char* what, double value, const char* unit) {
  char text[64];
  std::snprintf(text, sizeof text, "%s %.1f %s: no lock", what, value, unit);
  return text;
}

bool Near(double value, double nominal, double fraction) {
  return std::fabs(value - nominal) <= nominal * fraction;
}

}  // namespace

const ActivePicture& StandardPicture(Receiver receiver) {
  switch (receiver) {
    case Receiver::kNtsc:
      return kNtsc;
    case Receiver::kArcade24kHz:
      return kArcade24kHz;
    case Receiver::kPal:
    case Receiver::kVgaMonitor:
      break;
  }
  return kPal;
}

ScreenWindow VisibleWindow(Receiver receiver, const ModeTiming& mode) {
  ScreenWindow window;
  if (receiver == Receiver::kVgaMonitor) {
    // The monitor's size and position controls fit the mode's active area to the tube.
    if (!(mode.pixel_clock_hz > 0)) return window;
    // A count unit of the mode's horizontal values, in time: the clock's periods it lasts at
    // the mode's depth (a third of the clock at 24 bits over three clocks).
    const double char_us = mode.dots_per_char * 1e6 * std::max<int>(1, mode.clock_multiplier) /
                           (mode.pixel_clock_hz * std::max<int>(1, mode.h_multiplier));
    window.start_us = (mode.h_total - mode.h_sync_start) * char_us;
    window.width_us = mode.h_display * char_us;
    window.start_line = mode.v_total - mode.v_sync_start;
    window.lines = mode.v_display;
    return window;
  }
  const ActivePicture& active = StandardPicture(receiver);
  window.start_us = active.start_us + active.width_us * kOverscanPerEdge;
  window.width_us = active.width_us * (1 - 2 * kOverscanPerEdge);
  window.start_line = active.start_line + active.lines * kOverscanPerEdge;
  window.lines = active.lines * (1 - 2 * kOverscanPerEdge);
  return window;
}

std::string LockFailure(Receiver receiver, const Signal& signal) {
  if (!signal.has_signal() || !signal.crtc.sync_enabled || !std::isfinite(signal.line_rate_hz) ||
      !std::isfinite(signal.field_rate_hz)) {
    return "no signal";
  }
  // The set's sync separator needs both pulses, each inside the blanking; registers that
  // contradict themselves (a sync past the total, outside the blank, a blank that never ends)
  // give it nothing to lock to, whatever the rates.
  if (!signal.contradictions.empty()) return signal.contradictions.front() + ": no lock";
  const double line_khz = signal.line_rate_hz / 1000;
  if (receiver == Receiver::kVgaMonitor) {
    if (signal.line_rate_hz < kMonitorLineLowHz || signal.line_rate_hz > kMonitorLineHighHz) {
      return Miss("line", line_khz, "kHz");
    }
    if (signal.field_rate_hz < kMonitorFieldLowHz || signal.field_rate_hz > kMonitorFieldHighHz) {
      return Miss("field", signal.field_rate_hz, "Hz");
    }
    return {};
  }
  const ActivePicture& active = StandardPicture(receiver);
  if (!Near(signal.line_rate_hz, active.line_rate_hz, kSetLockRange.line_fraction)) {
    return Miss("line", line_khz, "kHz");
  }
  if (!Near(signal.field_rate_hz, active.field_rate_hz, kSetLockRange.field_fraction)) {
    return Miss("field", signal.field_rate_hz, "Hz");
  }
  return {};
}

const char* ReceiverName(Receiver receiver) {
  switch (receiver) {
    case Receiver::kVgaMonitor:
      return "VGA monitor";
    case Receiver::kPal:
      return "PAL TV";
    case Receiver::kNtsc:
      return "NTSC TV";
    case Receiver::kArcade24kHz:
      return "24 kHz arcade monitor";
  }
  return "?";
}

}  // namespace zanvo::virt
