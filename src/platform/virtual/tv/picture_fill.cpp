#include "platform/virtual/tv/picture_fill.h"

#include <algorithm>
#include <cmath>
#include <cstdio>


namespace zanvo::virt {

PictureFill MeasureFill(Receiver receiver, const Signal& shown, const ModeTiming& mode) {
  PictureFill fill;
  const ScreenWindow window = VisibleWindow(receiver, mode);
  if (!(window.lines > 0) || !(window.width_us > 0)) return fill;
  // An interlaced frame's two fields share the screen's height: a field line is a screen line.
  fill.height = shown.display_lines_per_field / window.lines;
  fill.width = shown.h_display_us / window.width_us;
  // Only the desktop's own pixels fill the line: a desktop narrower than the dots shown (a
  // pixel a dot where its mode was timed for two) leaves the rest of the line black.
  const long long desktop_dots =
      static_cast<long long>(mode.width) * std::max(1, shown.crtc.clocks_per_pixel);
  const long long shown_dots = static_cast<long long>(shown.display_chars) * shown.dots_per_char;
  if (mode.width > 0 && shown_dots > desktop_dots)
    fill.width *= static_cast<double>(desktop_dots) / static_cast<double>(shown_dots);
  if (fill.height > 0) fill.shape = fill.width / fill.height;
  return fill;
}

bool FillsTheSet(const PictureFill& fill) {
  return fill.height >= kLeastFilledHeight && std::fabs(fill.shape - 1) <= kShapeTolerance;
}

std::string FillText(const PictureFill& fill) {
  char text[128];
  std::snprintf(text, sizeof text, "fills %.0f%% of the height and %.0f%% of the width",
                fill.height * 100, fill.width * 100);
  std::string out = text;
  if (fill.shape > 0) {
    std::snprintf(text, sizeof text, ", %.2f times as wide for its height as the desktop",
                  fill.shape);
    out += text;
  }
  return out;
}

}  // namespace zanvo::virt
