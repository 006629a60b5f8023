#include "platform/linux/vga_presence.h"

#include <cstdio>

#include "engine/vga_regs.h"

namespace zanvo::linux_pc {

namespace {

using namespace zanvo::engine;

std::string Rate(double hz) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f Hz", hz);
  return text;
}

}  // namespace

VgaPresence CheckVgaPresence(PortIo& io, const std::function<double()>& now_seconds) {
  VgaPresence result;
  const uint8_t misc = io.InByte(kMiscOutputRead);
  if (misc == 0xFF) {
    result.refusal = "no VGA answers at the standard ports (Miscellaneous Output reads 0xFF)";
    return result;
  }
  const bool color = (misc & kMiscColorAddressing) != 0;
  const uint16_t status_port = color ? kInputStatus1Color : kInputStatus1Mono;
  const uint16_t crtc_index = color ? kCrtcIndexColor : kCrtcIndexMono;

  // Rising edges of the vertical retrace bit. The shortest time between two of them is the
  // field: a busy machine that loses the processor misses retraces, which only lengthens the
  // others. Watched for kWatchSeconds, longer (up to kLongestWatchSeconds) until three are seen.
  // A retrace starts where two reads in a row show the bit after two that did not, so a single
  // garbage read (all ones, say) makes no retrace of its own.
  const double start = now_seconds();
  double last_rise = -1.0, shortest = -1.0, previous_time = start;
  uint32_t rises = 0, enable_changes = 0;
  uint8_t previous = io.InByte(status_port);
  bool all_ones = previous == 0xFF;
  bool in_retrace = true;  // a retrace under way at the start is not timed
  for (uint32_t reads = 0; reads < kMaxStatusReads; ++reads) {
    const uint8_t status = io.InByte(status_port);
    all_ones = all_ones && status == 0xFF;
    const double now = now_seconds();
    const bool both_set = (status & previous & kStatusVRetrace) != 0;
    const bool both_clear = ((status | previous) & kStatusVRetrace) == 0;
    if (both_set && !in_retrace) {
      if (rises > 0 && (shortest < 0 || previous_time - last_rise < shortest)) {
        shortest = previous_time - last_rise;
      }
      last_rise = previous_time;
      ++rises;
      in_retrace = true;
    } else if (both_clear) {
      in_retrace = false;
    }
    if (((status ^ previous) & kStatusDisplayDisabled) != 0) ++enable_changes;
    previous = status;
    previous_time = now;
    const double watched = now - start;
    if ((watched >= kWatchSeconds && rises >= 3) || watched >= kLongestWatchSeconds) break;
  }
  if (all_ones) {
    result.refusal = "no VGA answers at the standard ports (Input Status 1 reads 0xFF)";
    return result;
  }
  if (rises < 3 || shortest <= 0) {
    result.refusal = "the status register at the standard ports shows no vertical retraces";
    return result;
  }
  result.retrace_hz = 1.0 / shortest;
  if (result.retrace_hz < kMinRetraceHz || result.retrace_hz > kMaxRetraceHz) {
    result.refusal = "the status register shows retraces at " + Rate(result.retrace_hz) +
                     ", no rate a VGA sends";
    return result;
  }
  if (enable_changes < rises) {
    result.refusal = "the status register shows no lines between the retraces";
    return result;
  }
  // The index register holds what was written (five bits on every VGA).
  const uint8_t held = io.InByte(crtc_index);
  bool reads_back = true;
  for (const uint8_t probe : {uint8_t{0x11}, uint8_t{0x0E}}) {
    io.OutByte(crtc_index, probe);
    ++result.writes;
    reads_back = reads_back && (io.InByte(crtc_index) & 0x1F) == probe;
  }
  io.OutByte(crtc_index, held);
  ++result.writes;
  if (!reads_back) {
    result.refusal = "the CRT controller's index register does not read back what was written";
    return result;
  }
  result.present = true;
  return result;
}

}  // namespace zanvo::linux_pc
