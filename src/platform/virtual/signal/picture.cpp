#include "platform/virtual/signal/picture.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace zanvo::virt {

namespace {

// More pixels than any counter of any family reaches; keeps garbage from overflowing.
constexpr long long kCounterPixels = 1 << 20;
// How many of the frame's rows a reason names.
constexpr size_t kRowsNamed = 8;

// A chip that steps rows itself in interlace reads two rows per field line.
int SelfStep(const CrtcTiming& t) {
  return t.interlaced && !t.interlace_reads_frame ? 2 : 1;
}

}  // namespace

int PixelsPerLine(const Signal& shown) {
  const long long dots = static_cast<long long>(shown.display_chars) * shown.dots_per_char;
  return static_cast<int>(std::clamp(dots / std::max(1, shown.crtc.clocks_per_pixel), 0LL,
                                     static_cast<long long>(kCounterPixels)));
}

DesktopLayout DesktopOf(const Signal& desktop) {
  return {desktop.crtc.offset,
          desktop.memory_rows_per_field * (desktop.interlaced ? 2 : 1),
          desktop.crtc.start_address,
          PixelsPerLine(desktop),
          desktop.crtc.bits_per_pixel,
          std::max(1, desktop.crtc.clocks_per_pixel)};
}

DesktopLayout DesktopOf(const ModeTiming& mode) {
  // The driver's table gives the pixels and their depth, not how the chip clocks them out: the
  // pixel format is left unjudged.
  return {mode.offset, mode.v_display / std::max<int>(1, mode.scan_lines_per_row), 0,
          mode.width,  mode.bits_per_pixel, 0};
}

FieldRows RowsPerFieldLine(const CrtcTiming& t, int desktop_offset) {
  FieldRows rows;
  if (desktop_offset <= 0) return rows;
  rows.stride = static_cast<double>(t.offset) * SelfStep(t) / desktop_offset;
  if (t.interlaced) rows.second_field = rows.stride / 2;
  return rows;
}

int DesktopRowOfLine(const Signal& shown, const FieldRows& rows, int line, int field) {
  const int per_row = std::max(1, shown.scan_lines_per_row);
  const double row = std::floor((line / per_row) * rows.stride + field * rows.second_field);
  return static_cast<int>(std::clamp(row, -1e9, 1e9));
}

std::vector<int> FrameRows(const Signal& shown, const DesktopLayout& desktop, int limit) {
  const int fields = shown.interlaced ? 2 : 1;
  const int lines = std::clamp(shown.display_lines_per_field, 0, limit / fields);
  const FieldRows rows = RowsPerFieldLine(shown.crtc, desktop.offset);
  std::vector<int> frame;
  frame.reserve(static_cast<size_t>(lines * fields));
  for (int line = 0; line < lines; ++line) {
    for (int field = 0; field < fields; ++field)
      frame.push_back(DesktopRowOfLine(shown, rows, line, field));
  }
  return frame;
}

namespace {

std::string FirstRows(const std::vector<int>& frame) {
  std::string text;
  for (size_t i = 0; i < frame.size() && i < kRowsNamed; ++i)
    text += (i == 0 ? "" : ", ") + std::to_string(frame[i]);
  return text + (frame.size() > kRowsNamed ? ", ..." : "");
}

// The frame's rows against the one pattern a whole desktop gives: each row `repeat` times, the
// next `step` rows on. Empty when they follow it; else why not.
std::string FollowRows(const std::vector<int>& frame, const DesktopLayout& desktop, int& step) {
  if (frame.size() < 2) return {};
  size_t repeat = 1;
  while (repeat < frame.size() && frame[repeat] == frame[0])
    ++repeat;
  if (repeat == frame.size()) return {};
  step = frame[repeat] - frame[0];
  bool in_order = true;
  bool regular = true;
  for (size_t line = 1; line < frame.size(); ++line) {
    in_order = in_order && frame[line] >= frame[line - 1];
    regular = regular && frame[line] == frame[0] + static_cast<int>(line / repeat) * step;
  }
  const int frame_lines = static_cast<int>(frame.size());
  if (!in_order) return "desktop rows out of order (" + FirstRows(frame) + ")";
  if (regular && step == 1) return {};
  if (regular && step == 2 && desktop.rows > frame_lines) return {};
  if (regular && step >= 2) {
    return "every other desktop row dropped (" + FirstRows(frame) + "), though the frame's " +
           std::to_string(frame_lines) + " lines hold all " + std::to_string(desktop.rows);
  }
  return "desktop rows shown unevenly (" + FirstRows(frame) + ")";
}

}  // namespace

PictureVerdict JudgePicture(const Signal& shown, const DesktopLayout& desktop) {
  PictureVerdict verdict;
  const CrtcTiming& t = shown.crtc;
  if (desktop.offset <= 0) return verdict;  // no desktop rows to follow
  if (t.start_address != desktop.start_address) {
    return {false, 0,
            "start address " + std::to_string(t.start_address) + ", the desktop starts at " +
                std::to_string(desktop.start_address)};
  }
  // Across the line the registers must lay the pixels out as the desktop's format does: a pixel
  // read at another depth, or over another number of dot clocks, shows as two or as half of one.
  // (A line cut short at its end, like a frame cut at its foot, loses the edge, not the order.)
  if (desktop.clocks_per_pixel > 0 && (t.clocks_per_pixel != desktop.clocks_per_pixel ||
                                       t.bits_per_pixel != desktop.bits_per_pixel)) {
    return {false, 0,
            std::to_string(t.bits_per_pixel) + "-bit pixels over " +
                std::to_string(t.clocks_per_pixel) + " dot clocks, the desktop's are " +
                std::to_string(desktop.bits_per_pixel) + "-bit over " +
                std::to_string(desktop.clocks_per_pixel)};
  }
  // Rows the frame shows at one desktop row per line; only a desktop taller than that is shown
  // every other row.
  const int fields = t.interlaced ? 2 : 1;
  const bool skipping = desktop.rows > shown.memory_rows_per_field * fields;
  const long long per_field = static_cast<long long>(t.offset) * SelfStep(t);
  const long long one_row = static_cast<long long>(desktop.offset) * fields;
  if (per_field == one_row || (skipping && per_field == 2 * one_row)) {
    // The stride steps whole rows; the lines must still show them in order, none dropped.
    verdict.step = per_field == one_row ? 1 : 2;
    verdict.reason = FollowRows(FrameRows(shown, desktop), desktop, verdict.step);
    verdict.whole = verdict.reason.empty();
    if (!verdict.whole) verdict.step = 0;
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
