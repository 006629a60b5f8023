#include "signal_diagram.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace zanvo::scope {

namespace {

enum Part : uint8_t { kActive, kBorder, kBlank, kSync };

bool InInterval(int value, int start, int end, int period) {
  return (value >= start && value < end) || (value + period >= start && value + period < end);
}

// The part of the line (or field) at each of `count` steps from the sync's leading edge.
std::vector<Part> Parts(int count, int period, int sync_start, int sync_end, int blank_start,
                        int blank_end, int display) {
  std::vector<Part> parts(static_cast<size_t>(count), kBorder);
  for (int i = 0; i < count; ++i) {
    const int at = static_cast<int>(
        (static_cast<long long>(sync_start) + static_cast<long long>(i) * period / count) % period);
    if (InInterval(at, sync_start, sync_end, period)) {
      parts[i] = kSync;
    } else if (InInterval(at, blank_start, blank_end, period)) {
      parts[i] = kBlank;
    } else if (at < display) {
      parts[i] = kActive;
    }
  }
  return parts;
}

}  // namespace

virt::Image DrawSignalDiagram(const virt::Signal& s, int width, int height) {
  virt::Image image(width, height, kDiagramBorder);
  const int lines = static_cast<int>(std::floor(s.lines_per_field));
  if (!s.has_signal() || s.chars_per_line <= 0 || lines <= 0) return image;
  const auto columns = Parts(image.width, s.chars_per_line, s.h_sync_start_char, s.h_sync_end_char,
                             s.h_blank_start_char, s.h_blank_end_char, s.display_chars);
  const auto rows = Parts(image.height, lines, s.v_sync_start_line, s.v_sync_end_line,
                          s.v_blank_start_line, s.v_blank_end_line, s.display_lines_per_field);
  for (int y = 0; y < image.height; ++y) {
    virt::Rgb* out = image.Row(y);
    for (int x = 0; x < image.width; ++x) {
      const Part part = std::max(columns[x], rows[y]);
      out[x] = part == kSync     ? kDiagramSync
               : part == kBlank  ? kDiagramBlank
               : part == kActive ? kDiagramActive
                                 : kDiagramBorder;
    }
  }
  return image;
}

DiagramRect WindowInDiagram(const virt::Signal& s, const virt::ScreenWindow& window, int width,
                            int height) {
  DiagramRect rect;
  if (!s.has_signal() || !(s.line_period_us > 0) || !(s.lines_per_field > 0)) return rect;
  rect.x = window.start_us / s.line_period_us * width;
  rect.width = window.width_us / s.line_period_us * width;
  rect.y = window.start_line / s.lines_per_field * height;
  rect.height = window.lines / s.lines_per_field * height;
  return rect;
}

}  // namespace zanvo::scope
