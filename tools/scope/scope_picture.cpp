#include "scope_picture.h"

#include <cairo.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "engine/chip_codes.h"
#include "platform/virtual/signal/desktop_mode.h"
#include "platform/virtual/tv/test_card.h"
#include "platform/virtual/tv/tv_render.h"
#include "signal_diagram.h"

namespace zanvo::scope {

namespace {

constexpr int kMargin = 16;
constexpr int kTitleHeight = 36;
constexpr int kBezel = 10;
constexpr int kDiagramWidth = 520;
constexpr int kCaptionHeight = 98;
constexpr int kScreenX = kMargin + kBezel;
constexpr int kScreenY = kTitleHeight + kBezel;
constexpr int kDiagramX = kScreenX + virt::kTvScreenWidth + kBezel + 2 * kMargin;
constexpr int kDiagramY = kScreenY;
constexpr int kCanvasWidth = kDiagramX + kDiagramWidth + kMargin;
constexpr int kCanvasHeight = kScreenY + virt::kTvScreenHeight + kBezel + kCaptionHeight;
constexpr double kTitleSize = 18;
constexpr double kTextSize = 14;

using Surface = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;
using Context = std::unique_ptr<cairo_t, decltype(&cairo_destroy)>;

void SetColour(cairo_t* cr, virt::Rgb rgb) {
  cairo_set_source_rgb(cr, ((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0,
                       (rgb & 0xFF) / 255.0);
}

// Cairo's RGB24 pixels are 32-bit 0x00RRGGBB words in native order, as ours are.
Surface ToSurface(const virt::Image& image) {
  Surface surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, image.width, image.height),
                  &cairo_surface_destroy);
  if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return surface;
  cairo_surface_flush(surface.get());
  unsigned char* data = cairo_image_surface_get_data(surface.get());
  const int stride = cairo_image_surface_get_stride(surface.get());
  for (int y = 0; y < image.height; ++y) {
    std::memcpy(data + static_cast<size_t>(y) * stride, image.Row(y),
                static_cast<size_t>(image.width) * sizeof(virt::Rgb));
  }
  cairo_surface_mark_dirty(surface.get());
  return surface;
}

void Paint(cairo_t* cr, const virt::Image& image, int x, int y) {
  Surface surface = ToSurface(image);
  cairo_set_source_surface(cr, surface.get(), x, y);
  cairo_paint(cr);
}

void Text(cairo_t* cr, double x, double y, double size, const std::string& text) {
  cairo_set_font_size(cr, size);
  cairo_move_to(cr, x, y);
  cairo_show_text(cr, text.c_str());
}

// Text at the caption size, smaller where it would run past `width`.
void FittedText(cairo_t* cr, double x, double y, double width, const std::string& text) {
  cairo_set_font_size(cr, kTextSize);
  cairo_text_extents_t extents;
  cairo_text_extents(cr, text.c_str(), &extents);
  const double size = extents.x_advance > width ? kTextSize * width / extents.x_advance : kTextSize;
  Text(cr, x, y, size, text);
}

std::string Title(const ScopeOptions& options, const ScopeReport& report,
                  virt::Receiver receiver) {
  std::string title =
      std::string(virt::ReceiverName(receiver)) + " - " + options.card + " " +
      virt::ModeName({report.width, report.height, report.mode.bits_per_pixel}, false);
  for (const Move move : options.moves)
    title += std::string(", move ") + MoveName(move);
  return title;
}

void DrawScreen(cairo_t* cr, const virt::TvPicture& picture) {
  SetColour(cr, 0x303030);
  cairo_rectangle(cr, kScreenX - kBezel, kScreenY - kBezel, virt::kTvScreenWidth + 2 * kBezel,
                  virt::kTvScreenHeight + 2 * kBezel);
  cairo_fill(cr);
  Paint(cr, picture.screen, kScreenX, kScreenY);
}

void DrawDiagram(cairo_t* cr, const ScopeReport& report, const virt::TvPicture& picture) {
  const virt::Signal& s = report.signal;
  const int height = virt::kTvScreenHeight;
  Paint(cr, DrawSignalDiagram(s, kDiagramWidth, height), kDiagramX, kDiagramY);
  const DiagramRect window = WindowInDiagram(s, picture.window, kDiagramWidth, height);
  if (window.width > 0 && window.height > 0) {
    // A signal the set does not expect can put the set's window partly past the field; only
    // the part over the diagram is drawn.
    cairo_save(cr);
    cairo_rectangle(cr, kDiagramX, kDiagramY, kDiagramWidth, height);
    cairo_clip(cr);
    SetColour(cr, picture.locked() ? 0xFFD040 : 0xFF5050);
    cairo_set_line_width(cr, 2);
    cairo_rectangle(cr, kDiagramX + window.x, kDiagramY + window.y, window.width, window.height);
    cairo_stroke(cr);
    cairo_restore(cr);
  }

  char line[160];
  const double caption_y = kDiagramY + height + kBezel + 20;
  SetColour(cr, 0xFFFFFF);
  std::snprintf(line, sizeof line, "line %.3f kHz (%.2f us)   field %.3f Hz%s",
                s.line_rate_hz / 1000, s.line_period_us, s.field_rate_hz,
                s.interlaced ? " interlaced" : "");
  Text(cr, kDiagramX, caption_y, kTextSize, line);
  std::snprintf(line, sizeof line, "%d of %d characters, %d of %.1f lines displayed",
                s.display_chars, s.chars_per_line, s.display_lines_per_field, s.lines_per_field);
  Text(cr, kDiagramX, caption_y + 20, kTextSize, line);
  // A reason such as "vertical sync outside blank: no lock", or why the desktop does not arrive
  // whole on a set that locks, gets a line of its own, narrowed to the diagram's width.
  const std::string verdict = !picture.locked() ? picture.failure
                              : picture.scrambled.empty()
                                  ? "the set locks"
                                  : "desktop scrambled: " + picture.scrambled;
  FittedText(cr, kDiagramX, caption_y + 40, kDiagramWidth, verdict);
  Text(cr, kDiagramX, caption_y + 60, kTextSize,
       "black sync, grey blanking, blue active; outline: the set's screen");
  Text(cr, kDiagramX, kDiagramY - 12, kTextSize, "one field from the syncs' leading edges");
}

}  // namespace

virt::Receiver ReceiverFor(uint8_t standard) {
  switch (standard) {
    case engine::vsPAL:
      return virt::Receiver::kPal;
    case engine::vsNTSC:
      return virt::Receiver::kNtsc;
    case engine::vs24kHz:
      return virt::Receiver::kArcade24kHz;
    default:
      return virt::Receiver::kVgaMonitor;
  }
}

std::string WriteScopePicture(const ScopeOptions& options, const ScopeReport& report,
                              const std::string& path) {
  const virt::Receiver receiver = ReceiverFor(options.standard);
  // The desktop at its depth, as the driver set it.
  const virt::Image desktop =
      virt::DrawTestCard(report.width, report.height, report.mode.bits_per_pixel);
  const virt::TvPicture picture = virt::RenderTv(
      report.signal, report.mode, virt::DesktopOf(report.monitor), receiver, desktop);

  Surface canvas(cairo_image_surface_create(CAIRO_FORMAT_RGB24, kCanvasWidth, kCanvasHeight),
                 &cairo_surface_destroy);
  Context cr(cairo_create(canvas.get()), &cairo_destroy);
  SetColour(cr.get(), 0x181818);
  cairo_paint(cr.get());
  cairo_select_font_face(cr.get(), "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  SetColour(cr.get(), 0xFFFFFF);
  Text(cr.get(), kMargin, 24, kTitleSize, Title(options, report, receiver));
  DrawScreen(cr.get(), picture);
  DrawDiagram(cr.get(), report, picture);

  if (cairo_status(cr.get()) != CAIRO_STATUS_SUCCESS) {
    return std::string("drawing failed: ") + cairo_status_to_string(cairo_status(cr.get()));
  }
  const cairo_status_t written = cairo_surface_write_to_png(canvas.get(), path.c_str());
  if (written != CAIRO_STATUS_SUCCESS) {
    return "cannot write " + path + ": " + cairo_status_to_string(written);
  }
  return {};
}

}  // namespace zanvo::scope
