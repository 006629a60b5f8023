#include "report_text.h"

#include <cstdio>
#include <ostream>
#include <string>

#include "chip_names.h"
#include "engine/chip_codes.h"
#include "engine/field_check.h"
#include "engine/line_rate.h"
#include "matrix.h"
#include "modeline.h"
#include "physical_reason.h"
#include "run_notes.h"
#include "text_format.h"

namespace zanvo::scope {
namespace {

const char* Polarity(bool positive) {
  return positive ? "positive" : "negative";
}

void PrintSignal(const virt::Signal& s, std::ostream& out) {
  if (!s.has_signal()) {
    out << "    no usable signal\n";
  } else {
    out << Format("    pixel clock %.3f MHz, %d dots per character\n", s.pixel_clock_hz / 1e6,
                  s.dots_per_char);
    out << Format("    line: %d characters (%d shown), %.3f kHz; blank %s, sync %s (%.2f us, %s)\n",
                  s.chars_per_line, s.display_chars, s.line_rate_hz / 1e3,
                  SpanText(s.h_blank_start_char, s.h_blank_end_char, s.chars_per_line, "next line")
                      .c_str(),
                  SpanText(s.h_sync_start_char, s.h_sync_end_char, s.chars_per_line, "next line")
                      .c_str(),
                  s.hsync_width_us, Polarity(s.hsync_positive));
    out << Format(
        "    field: %.1f lines (%d shown, %d memory rows), %.3f Hz; blank %s, sync %s (%s)\n",
        s.lines_per_field, s.display_lines_per_field, s.memory_rows_per_field, s.field_rate_hz,
        SpanText(s.v_blank_start_line, s.v_blank_end_line, s.lines_per_field, "next field").c_str(),
        SpanText(s.v_sync_start_line, s.v_sync_end_line, s.lines_per_field, "next field").c_str(),
        Polarity(s.vsync_positive));
    out << "    " << (s.interlaced ? "interlaced" : "progressive")
        << (s.double_scan ? ", double scanned" : "") << "\n";
  }
  for (const auto& problem : s.contradictions)
    out << "    ! " << problem << "\n";
}

template <size_t N>
void PrintRegisterFile(const char* name, const std::array<uint8_t, N>& values, std::ostream& out) {
  out << "  " << name << ":\n";
  for (size_t row = 0; row < N; row += 16) {
    out << Format("    %02zX:", row);
    for (size_t i = row; i < row + 16 && i < N; ++i)
      out << Format(" %02X", values[i]);
    out << "\n";
  }
}

std::string StandardCaption(uint8_t standard) {
  switch (standard) {
    case 99:
      return "PAL TV";
    case 100:
      return "NTSC TV";
    case 101:
      return "24 kHz monitor";
    default:
      return "VGA monitor";
  }
}

void PrintDesktopLine(const ScopeOptions& options, const ScopeReport& report, std::ostream& out) {
  out << Format("Desktop %ux%u", unsigned{report.width}, unsigned{report.height});
  if (report.size_from_registers) {
    out << " (size read from the loaded registers: dots shown per line by memory rows)";
  }
  out << Format(", %u bits per pixel on %u KB", unsigned{report.bits_per_pixel},
                unsigned{report.memory_kib});
  if (options.load_registers.empty()) {
    out << ", monitor timings as the driver set them:\n";
    return;
  }
  out << Format(", the registers of %s loaded over the driver's %ux%u mode:\n",
                options.load_registers.c_str(), unsigned{options.width}, unsigned{options.height});
  if (!report.not_loaded.empty()) {
    out << "    not loaded:";
    for (const auto& key : report.not_loaded)
      out << " " << key;
    out << " (the adapter keeps what its driver set there)\n";
  }
}

// After the siblings: the try with the row's own clock, and how the switch ended.
std::string OwnClockTail(const ScopeReport& report) {
  const char* refused = "refused, the display mode is re-set.\n";
  if (!report.own_clock) return refused;
  const chipset::OwnClockTry& t = *report.own_clock;
  std::string text = "the row's own clock (its crystal and the standard halving) on a re-set mode: ";
  if (!t.fitted) return text + "no timing row; " + refused;
  if (!t.measured) return text + "could not measure, so not kept; " + refused;
  if (t.field_hz <= 0) return text + "no vertical retrace seen; " + refused;
  text += Format("%.2f Hz, ", t.field_hz);
  return text + (t.passed ? "inside; it stays.\n" : std::string("outside; ") + refused);
}

// The siblings tried after a measured miss, each with what its field check timed.
void PrintSiblingSearch(const ScopeReport& report, std::ostream& out) {
  const chipset::SiblingSearchResult& search = *report.sibling_search;
  if (search.tries.empty()) {
    const FieldCheckReport& check = *report.field_check;
    out << (check.field_hz <= 0
                ? "No field timed, which no other model's clock step mends: none is tried; "
            : !check.clean_miss
                ? "The check was disturbed, not a clean measurement: no other model is tried; "
                : "No other model of the brand is safe to try on this chip; ")
        << OwnClockTail(report);
    return;
  }
  out << "Other models of the brand tried, each on a re-set mode:\n";
  for (const chipset::SiblingTry& t : search.tries) {
    out << Format("    %s (model 0x%04X): ", ChipName(report.family, t.model).c_str(),
                  unsigned{t.model});
    if (!t.fitted) {
      out << "no timing row\n";
    } else if (!t.measured) {
      out << "could not measure, so not kept\n";
    } else if (t.field_hz <= 0) {
      out << "no vertical retrace seen\n";
    } else {
      out << Format("%.2f Hz, %s\n", t.field_hz, t.passed ? "inside" : "outside");
    }
  }
  if (search.kept) {
    out << "Kept: " << ChipName(report.family, *search.kept)
        << ", now in force and shown in the window's model list.\n";
  } else {
    out << "None passed; " << OwnClockTail(report);
  }
}

}  // namespace

void PrintFieldCheck(const FieldCheckReport& c, std::ostream& out) {
  if (!c.cannot_measure.empty()) {
    out << "Field check: cannot measure (" << c.cannot_measure
        << "); the switch goes ahead unchecked, the keep-settings question still guards it.\n";
    return;
  }
  out << Format("Field check: %d period%s timed, ", c.measurements, c.measurements == 1 ? "" : "s");
  if (c.measurements == 0) {
    out << "no vertical retrace seen";
  } else {
    out << Format("the last %.2f Hz", c.field_hz);
  }
  out << Format(" against %.2f Hz +-%.0f%%", c.target_hz, engine::kFieldGuardBand * 100);
  const bool field_passed = c.in_band || c.line_hz > 0 || c.field_agreed;
  if (field_passed) {
    out << ": two agreeing periods inside.\n";
  } else if (c.clean_miss) {
    out << ": two agreeing periods outside, a clean measurement.\n";
  } else {
    out << ": no two agreeing periods (no retrace, or disturbed: not a clean measurement).\n";
  }
  if (c.line_hz > 0) {
    out << Format("Line check: %.2f kHz against %.2f kHz +-%.0f%%: %s.\n", c.line_hz / 1000,
                  c.target_line_hz / 1000, engine::kLineGuardBand * 100,
                  c.line_in_band ? "inside" : "outside, a clean measurement");
  } else if (field_passed && !c.in_band) {
    out << "Line check: no line counted within the budget (disturbed).\n";
  }
}

void PrintTextReport(const ScopeOptions& options, const ScopeReport& report, std::ostream& out) {
  out << Format("Card: %s; chipset in force: %s (family %u, model 0x%04X)\n", options.card.c_str(),
                ChipName(report.family, report.model, report.ext_io_base).c_str(),
                unsigned{report.family}, unsigned{report.model});
  if (report.detected) {
    const DetectedChip& d = *report.detected;
    out << Format("Detected: %s (family %u, model 0x%04X); PCI cursor at slot %u\n",
                  ChipName(d.family, d.model, report.ext_io_base).c_str(), unsigned{d.family},
                  unsigned{d.model}, unsigned{report.pci_cursor});
    if (const std::string note = DetectionNote(options, report); !note.empty())
      out << note << "\n";
  }
  if (report.family == 8) out << Format("Block I/O base: 0x%04X\n", unsigned{report.ext_io_base});
  for (const auto& message : report.messages)
    out << "Message: " << message << "\n";
  PrintDesktopLine(options, report, out);
  PrintSignal(report.monitor, out);

  out << "Standard " << StandardCaption(options.standard);
  if (options.standard == 98) {
    out << ": the engine is not applied.\n";
  } else if (report.fitted) {
    out << ": timings rewritten";
    if (report.horz_computed || report.vert_computed) {
      out << (report.horz_computed && report.vert_computed ? " from computed rows"
              : report.horz_computed                       ? " (the line's row computed)"
                                                           : " (the field's row computed)");
    }
    out << ".\n";
    PrintFieldCheck(*report.field_check, out);
    if (!report.field_check->in_band) {
      PrintSiblingSearch(report, out);
      const bool kept = report.sibling_search->kept || (report.own_clock && report.own_clock->passed);
      out << (kept ? "Signal the engine left under the clock measured first:\n"
                   : "Signal the engine left before the refusal:\n");
      PrintSignal(report.applied, out);
    }
  } else {
    // With computed timings on, the rule the computed rows could not keep, as the matrix names it.
    const bool reset = report.cut_line_offset != 0 || report.row_found;
    out << ": "
        << (report.computed_on            ? PhysicalReason(report, options.standard)
            : report.cut_line_offset != 0 ? CutStrideText(report)
            : report.row_found            ? std::string("no timing row for this line count")
                                          : std::string("no timing row for this width"))
        << (reset ? "; refused, the display mode is re-set.\n"
                  : "; refused, the monitor timings stay.\n");
    if (reset) {
      out << "Signal the engine left before the refusal:\n";
      PrintSignal(report.applied, out);
    }
  }
  if (!options.moves.empty()) {
    out << Format("Moves: %zu asked", options.moves.size());
    out << (report.moves_ignored
                ? " (ignored: monitor timings are in force, and the arrow buttons move a TV "
                  "picture only)\n"
                : ": " + MoveTallyText(options.moves, report.move_tally) + "\n");
  }
  out << "Signal now:\n";
  PrintSignal(report.signal, out);
  if (options.standard != engine::vsVGA) {
    const RunMark mark = MarkRun(report, options.standard);
    out << "Mark (as in the compatibility matrix): "
        << MarkText(mark.outcome, mark.final_outcome, mark.sibling_caption, mark.own_clock,
                    mark.computed);
    if (!mark.reason.empty()) out << " (" << mark.reason << ")";
    out << "\n";
    if (mark.fill.height > 0) out << "Picture on the set: " << virt::FillText(mark.fill) << "\n";
    if (mark.shown.rows > 0) {
      out << Format("Desktop shown: the top %d of its %d rows, %d of its %d pixels across\n",
                    mark.shown.rows, mark.shown.desktop_rows, mark.shown.pixels,
                    mark.shown.desktop_pixels);
    }
  }

  if (options.modeline) {
    const auto modeline = ModelineOf(report.signal);
    out << "Modeline (X11, the signal now):\n"
        << (modeline ? ModelineText(*modeline) : "# no usable signal\n");
  }
  if (options.readout) {
    out << "Readout (as the window shows it):\n";
    out << "    H.Frequency : [" << report.readout_h << "]\n";
    out << "    V. Frequency : [" << report.readout_v << "]\n";
    if (!report.readout_measured) {
      out << "    (no period timed: no vertical retrace seen, or the timer does not count; texts "
             "not updated)\n";
    }
  }
  if (options.registers) {
    const RegisterDump& r = report.registers;
    // The form a register file takes them in, with 0x in front ("0x5F"), or as decimal numbers.
    out << Format("Registers (hexadecimal):\n  misc: %02X\n", r.misc);
    PrintRegisterFile("crtc", r.crtc, out);
    PrintRegisterFile("seq", r.seq, out);
    PrintRegisterFile("gc", r.gc, out);
    PrintRegisterFile("attr", r.attr, out);
    if (report.block) {
      out << "  block I/O:\n";
      for (size_t i = 0; i < report.block->dwords.size(); i += 8) {
        out << Format("    %02zX:", i * 4);
        for (size_t k = i; k < i + 8; ++k)
          out << Format(" %08X", report.block->dwords[k]);
        out << "\n";
      }
      PrintRegisterFile("pll", report.block->pll, out);
    }
  }
}

}  // namespace zanvo::scope
