#include "platform/virtual/tv/picture_fill.h"

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
