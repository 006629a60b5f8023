#include "modeline.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "text_format.h"

namespace zanvo::scope {
namespace {

int Rounded(double value) {
  return static_cast<int>(std::lround(value));
}

}  // namespace

double Modeline::LineRateHz() const {
  return htotal > 0 ? clock_mhz * 1e6 / htotal : 0;
}

double Modeline::FieldRateHz() const {
  if (vtotal <= 0) return 0;
  // X's own rule: the frame rate, twice for interlace (two fields a frame), half for double scan
  // (every line sent twice).
  return LineRateHz() / vtotal * (interlace ? 2 : 1) / (double_scan ? 2 : 1);
}

std::optional<Modeline> ModelineOf(const virt::Signal& s) {
  if (!s.has_signal() || s.chars_per_line <= 0 || s.lines_per_field <= 0) return std::nullopt;
  Modeline m;
  // X counts pixels: where the DAC takes a pixel over several dot clocks (the standard VGA's
  // 256 colours, a 16-bit pixel through an 8-bit DAC port), the counts and the clock are the
  // dots' divided by the clocks a pixel lasts.
  const int per_pixel = std::max(1, s.crtc.clocks_per_pixel);
  const auto pixels = [&](int chars) {
    return Rounded(chars * s.dots_per_char / static_cast<double>(per_pixel));
  };
  m.clock_mhz = s.pixel_clock_hz / per_pixel / 1e6;
  m.hdisp = pixels(s.display_chars);
  m.hsyncstart = pixels(s.h_sync_start_char);
  m.hsyncend = pixels(s.h_sync_end_char);
  m.htotal = pixels(s.chars_per_line);
  // Interlaced modelines count the frame's lines; a field carries half of them and half a line.
  // Double-scanned ones count each line once although it is sent twice.
  m.interlace = s.interlaced;
  m.double_scan = s.double_scan && !s.interlaced;
  const double scale = m.interlace ? 2.0 : m.double_scan ? 0.5 : 1.0;
  m.vdisp = Rounded(s.display_lines_per_field * scale);
  m.vsyncstart = Rounded(s.v_sync_start_line * scale);
  m.vsyncend = Rounded(s.v_sync_end_line * scale);
  m.vtotal = Rounded(s.lines_per_field * scale);
  m.hsync_positive = s.hsync_positive;
  m.vsync_positive = s.vsync_positive;
  if (m.hsyncend > m.htotal || m.vsyncend > m.vtotal) {
    m.problem = "a sync runs past the end of its line or field, which a modeline cannot say";
  } else if (m.hsyncstart < m.hdisp || m.vsyncstart < m.vdisp) {
    m.problem = "a sync starts inside the picture, which X refuses";
  }
  if ((s.chars_per_line * s.dots_per_char) % per_pixel != 0) {
    m.note = Format("a line of %d dots is %.2f pixels of %d dots: rounded, so the rates read as X "
                    "takes them, %.3f kHz against the card's %.3f kHz",
                    s.chars_per_line * s.dots_per_char,
                    s.chars_per_line * s.dots_per_char / static_cast<double>(per_pixel), per_pixel,
                    m.LineRateHz() / 1e3, s.line_rate_hz / 1e3);
  } else if (m.double_scan && (static_cast<int>(s.lines_per_field) % 2) != 0) {
    m.note = Format("a field of %.0f lines halves to %.1f: rounded, so the rates read as X takes "
                    "them, %.2f Hz against the card's %.2f Hz",
                    s.lines_per_field, s.lines_per_field / 2, m.FieldRateHz(), s.field_rate_hz);
  }
  m.name = Format("%dx%d_%.2f%s", m.hdisp, m.vdisp, m.FieldRateHz(), m.interlace ? "i" : "");
  return m;
}

std::string ModelineText(const Modeline& m) {
  std::string text = Format("# %dx%d %.2f Hz%s hsync: %.2f kHz; pclk: %.2f MHz\n", m.hdisp, m.vdisp,
                            m.FieldRateHz(), m.interlace ? " interlaced" : "",
                            m.LineRateHz() / 1e3, m.clock_mhz);
  text += Format("Modeline \"%s\" %.3f  %d %d %d %d  %d %d %d %d %cHSync %cVSync", m.name.c_str(),
                 m.clock_mhz, m.hdisp, m.hsyncstart, m.hsyncend, m.htotal, m.vdisp, m.vsyncstart,
                 m.vsyncend, m.vtotal, m.hsync_positive ? '+' : '-', m.vsync_positive ? '+' : '-');
  if (m.interlace) text += " Interlace";
  if (m.double_scan) text += " DoubleScan";
  text += "\n";
  if (!m.problem.empty()) text += "# " + m.problem + "\n";
  if (!m.note.empty()) text += "# " + m.note + "\n";
  return text;
}

nlohmann::json ModelineJson(const std::optional<Modeline>& m) {
  if (!m) return nullptr;
  std::string line = ModelineText(*m);
  const auto start = line.find("Modeline");
  line = line.substr(start, line.find('\n', start) - start);
  return {{"name", m->name},
          {"clock_mhz", m->clock_mhz},
          {"horizontal", {m->hdisp, m->hsyncstart, m->hsyncend, m->htotal}},
          {"vertical", {m->vdisp, m->vsyncstart, m->vsyncend, m->vtotal}},
          {"interlace", m->interlace},
          {"double_scan", m->double_scan},
          {"hsync_positive", m->hsync_positive},
          {"vsync_positive", m->vsync_positive},
          {"line_rate_hz", m->LineRateHz()},
          {"field_rate_hz", m->FieldRateHz()},
          {"problem", m->problem},
          {"note", m->note},
          {"text", line}};
}

}  // namespace zanvo::scope
