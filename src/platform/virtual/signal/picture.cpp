#include "platform/virtual/signal/picture.h"

#include <algorithm>
#include <string>

namespace zanvo::virt {

namespace {

// A chip that steps rows itself in interlace reads two rows per field line.
int SelfStep(const CrtcTiming& t) {
  return t.interlaced && !t.interlace_reads_frame ? 2 : 1;
}

}  // namespace

DesktopLayout DesktopOf(const Signal& desktop) {
  return {desktop.crtc.offset, desktop.memory_rows_per_field * (desktop.interlaced ? 2 : 1),
          desktop.crtc.start_address};
}

DesktopLayout DesktopOf(const ModeTiming& mode) {
  return {mode.offset, mode.v_display / std::max<int>(1, mode.scan_lines_per_row), 0};
}

FieldRows RowsPerFieldLine(const CrtcTiming& t, int desktop_offset) {
  FieldRows rows;
  if (desktop_offset <= 0) return rows;
  rows.stride = static_cast<double>(t.offset) * SelfStep(t) / desktop_offset;
  if (t.interlaced) rows.second_field = rows.stride / 2;
  return rows;
}

PictureVerdict JudgePicture(const Signal& shown, const DesktopLayout& desktop) {
  PictureVerdict verdict;
  const CrtcTiming& t = shown.crtc;
  if (desktop.offset <= 0) return verdict;  // no desktop rows to follow
  if (t.start_address != desktop.start_address) {
    return {false, 0,
            "start address " + std::to_string(t.start_address) + ", the desktop starts at " +
                std::to_string(desktop.start_address)};
  }
  // Rows the frame shows at one desktop row per line; only a desktop taller than that is shown
  // every other row.
  const int fields = t.interlaced ? 2 : 1;
  const bool skipping = desktop.rows > shown.memory_rows_per_field * fields;
  const long long per_field = static_cast<long long>(t.offset) * SelfStep(t);
  const long long one_row = static_cast<long long>(desktop.offset) * fields;
  if (per_field == one_row) return verdict;
  if (skipping && per_field == 2 * one_row) {
    verdict.step = 2;
    return verdict;
  }
  const long long needed = one_row * (skipping ? 2 : 1) / SelfStep(t);
  verdict.whole = false;
  verdict.step = 0;
  verdict.reason =
      "line offset " + std::to_string(t.offset) + ", the desktop needs " + std::to_string(needed);
  if (t.offset_bits > 0 && t.offset_bits < 31 && needed >= (1LL << t.offset_bits)) {
    verdict.reason += std::string(": ") + (t.offset_registers ? t.offset_registers : "the offset") +
                      " holds " + std::to_string(t.offset_bits) + " bits";
  }
  return verdict;
}

}  // namespace zanvo::virt
