#include "platform/virtual/tv/tv_render.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace zanvo::virt {

namespace {

// Screen sizes beyond any window a person would open; garbage must not allocate without end.
constexpr int kMaxScreenSide = 4096;

constexpr Rgb kNoLockDark = 0x101418;
constexpr Rgb kNoLockStreak = 0x3A4048;
constexpr Rgb kMessageBox = 0x000000;
constexpr Rgb kMessageText = 0xFFE060;

// Where a screen column or row takes its picture from; -1 where the beam is blanked.
struct ColumnSource {
  int x = -1;
  int rows_past = 0;  // a line longer than the desktop row runs into the next rows of memory
};

// True when `value` lies in [start, end) of a counter that wraps at `period`; the end may lie
// past the period when the interval runs into the next line or field.
bool InInterval(int value, int start, int end, int period) {
  return (value >= start && value < end) || (value + period >= start && value + period < end);
}

// The count within a period of `period`; fmod first, so that the huge positions a garbage clock
// gives never overflow the conversion to an integer.
long long Wrap(double position, long long period) {
  double wrapped = std::fmod(position, static_cast<double>(period));
  if (wrapped < 0) wrapped += static_cast<double>(period);
  return std::min(static_cast<long long>(wrapped), period - 1);
}

// A column shows the pixel whose dot clocks the beam is in: a pixel lasts as many dots as its
// format takes (two for the standard VGA's 256 colours, so a 320-pixel row fills 640 dots once).
std::vector<ColumnSource> Columns(const Signal& s, const ScreenWindow& window, int width,
                                  int desktop_width) {
  std::vector<ColumnSource> columns(static_cast<size_t>(width));
  const int dots = std::max(1, s.dots_per_char);
  const long long line_dots = static_cast<long long>(s.chars_per_line) * dots;
  if (line_dots <= 0 || !(s.pixel_clock_hz > 0)) return columns;
  const double dots_per_us = s.pixel_clock_hz / 1e6;
  const double sync_dot = static_cast<double>(s.h_sync_start_char) * dots;
  const long long display_dots = static_cast<long long>(s.display_chars) * dots;
  for (int x = 0; x < width; ++x) {
    const double t_us = window.start_us + (x + 0.5) * window.width_us / width;
    const double position = std::floor(sync_dot + t_us * dots_per_us);
    if (!std::isfinite(position)) continue;
    const long long dot = Wrap(position, line_dots);
    if (dot >= display_dots) continue;
    const int character = static_cast<int>(dot / dots);
    if (InInterval(character, s.h_blank_start_char, s.h_blank_end_char, s.chars_per_line)) {
      continue;
    }
    const long long pixel = dot / std::max(1, s.crtc.clocks_per_pixel);
    columns[x].x = static_cast<int>(pixel % desktop_width);
    columns[x].rows_past = static_cast<int>(pixel / desktop_width);
  }
  return columns;
}

std::vector<int> Rows(const Signal& s, const DesktopLayout& layout, const ScreenWindow& window,
                      int height) {
  std::vector<int> rows(static_cast<size_t>(height), -1);
  const int total = static_cast<int>(std::floor(s.lines_per_field));
  if (total <= 0) return rows;
  // The driver's offset lays out one desktop row; the CRTC's addressing says how many rows a
  // field line steps and where the second field begins.
  const FieldRows step = RowsPerFieldLine(s.crtc, layout.offset);
  for (int y = 0; y < height; ++y) {
    const double position = window.start_line + (y + 0.5) * window.lines / height;
    if (!std::isfinite(position) || position < 0 || position > 1e9) continue;
    const double whole = std::floor(position);
    // Interlaced, the second field's lines sit half a line below the first field's.
    const int field = s.interlaced && position - whole >= 0.5 ? 1 : 0;
    const int line = static_cast<int>(
        (static_cast<long long>(s.v_sync_start_line) + static_cast<long long>(whole)) % total);
    if (line < 0 || line >= s.display_lines_per_field) continue;
    if (InInterval(line, s.v_blank_start_line, s.v_blank_end_line, total)) continue;
    rows[y] = DesktopRowOfLine(s, step, line, field);
  }
  return rows;
}

void DrawLocked(TvPicture& picture, const Signal& s, const DesktopLayout& layout,
                const Image& desktop) {
  Image& screen = picture.screen;
  if (desktop.width <= 0 || desktop.height <= 0) return;
  // A row of memory holds the layout's pixels; the picture drawn for it may be narrower.
  const int row_pixels = layout.width > 0 ? layout.width : desktop.width;
  const auto columns = Columns(s, picture.window, screen.width, row_pixels);
  const auto rows = Rows(s, layout, picture.window, screen.height);
  for (int y = 0; y < screen.height; ++y) {
    if (rows[y] < 0) continue;
    Rgb* out = screen.Row(y);
    for (int x = 0; x < screen.width; ++x) {
      const ColumnSource& column = columns[x];
      if (column.x < 0) continue;
      const long long row = static_cast<long long>(rows[y]) + column.rows_past;
      if (row < desktop.height && column.x < desktop.width)
        out[x] = desktop.At(column.x, static_cast<int>(row));
    }
  }
}

// A message on the screen, centred on row `middle`, as large as the width allows.
void DrawMessage(Image& screen, const std::string& text, int middle) {
  int scale = std::max(1, screen.width / 256);
  while (scale > 1 && TextWidth(text, scale) > screen.width)
    --scale;
  const int text_width = TextWidth(text, scale);
  const int text_height = kGlyphHeight * scale;
  const int x = (screen.width - text_width) / 2;
  const int y = middle - text_height / 2;
  FillRect(screen, x - 2 * scale, y - 2 * scale, text_width + 4 * scale, text_height + 4 * scale,
           kMessageBox);
  DrawText(screen, x, y, text, kMessageText, scale);
}

// A set that cannot lock shows no stable picture: the lines tear into slanting streaks. It
// says why in the middle.
void DrawNoLock(TvPicture& picture, bool any_signal) {
  Image& screen = picture.screen;
  if (any_signal) {
    const int band = std::max(4, screen.width / 24);
    for (int y = 0; y < screen.height; ++y) {
      Rgb* out = screen.Row(y);
      const int shift = (y * 5 + (y / 7) * 11) % (2 * band);
      for (int x = 0; x < screen.width; ++x) {
        out[x] = ((x + shift) / band) % 2 ? kNoLockStreak : kNoLockDark;
      }
    }
  }
  DrawMessage(screen, picture.failure, screen.height / 2);
}

}  // namespace

TvPicture RenderTv(const Signal& signal, const ModeTiming& mode, Receiver receiver,
                   const Image& desktop, int width, int height) {
  return RenderTv(signal, mode, DesktopOf(mode), receiver, desktop, width, height);
}

TvPicture RenderTv(const Signal& signal, const ModeTiming& mode, const DesktopLayout& layout,
                   Receiver receiver, const Image& desktop, int width, int height) {
  TvPicture picture;
  picture.screen =
      Image(std::clamp(width, 1, kMaxScreenSide), std::clamp(height, 1, kMaxScreenSide));
  picture.window = VisibleWindow(receiver, mode);
  picture.failure = LockFailure(receiver, signal);
  if (picture.locked() && !(picture.window.width_us > 0 && picture.window.lines > 0)) {
    picture.failure = "no picture";
  }
  if (picture.locked()) {
    picture.scrambled = JudgePicture(signal, layout).reason;
    DrawLocked(picture, signal, layout, desktop);
    // A desktop that does not arrive whole is captioned with the reason near the bottom.
    if (!picture.scrambled.empty())
      DrawMessage(picture.screen, picture.scrambled, picture.screen.height * 7 / 8);
  } else {
    DrawNoLock(picture, picture.failure != "no signal");
  }
  return picture;
}

}  // namespace zanvo::virt
