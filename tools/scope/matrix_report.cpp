#include "matrix_report.h"

#include <ostream>
#include <string>

#include "chip_names.h"
#include "engine/chip_codes.h"
#include "engine/computed_timing.h"
#include "engine/field_check.h"
#include "engine/line_rate.h"
#include "matrix_causes.h"
#include "matrix_summary.h"
#include "physical_reason.h"
#include "platform/virtual/signal/standard_rates.h"
#include "scope_options.h"
#include "text_format.h"

namespace zanvo::scope {
namespace {

const char* StandardCaption(uint8_t standard) {
  switch (standard) {
    case engine::vsPAL:
      return "PAL";
    case engine::vsNTSC:
      return "NTSC";
    default:
      return "24 kHz";
  }
}

std::string RatesText(const MatrixCell& c) {
  return Format("%.2f kHz / %.2f Hz%s, %d lines", c.line_hz / 1000.0, c.field_hz,
                c.interlaced ? " interlaced" : "", c.lines);
}

// The signal the user ends with, where a recovery changed it.
std::string FinalRatesText(const MatrixCell& c) {
  return Format("%.2f kHz / %.2f Hz%s, %d lines", c.final_line_hz / 1000.0, c.final_field_hz,
                c.final_interlaced ? " interlaced" : "", c.final_lines);
}

bool Recovered(const MatrixCell& c) {
  return c.sibling_model.has_value() || c.own_clock;
}

nlohmann::json FillJson(const virt::PictureFill& fill) {
  return {{"height", fill.height}, {"width", fill.width}, {"shape", fill.shape}};
}

// The family a card name starts with, as the documentation groups them.
std::string FamilyHeading(uint8_t family) {
  switch (family) {
    case engine::cfStandardVGA:
      return "Standard VGA";
    case engine::cfRealtek:
      return "Realtek";
    case engine::cfS3:
      return "S3";
    case engine::cfCirrus:
      return "Cirrus Logic";
    case engine::cfTseng:
      return "Tseng Labs";
    case engine::cfATI:
      return "ATI (block I/O)";
    case engine::cfIntel:
      return "Intel";
    case engine::cfUMC:
      return "UMC";
    case engine::cfWD:
      return "Western Digital / Paradise";
    case engine::cfSiS:
      return "SiS";
    case engine::cfOak:
      return "Oak";
    case engine::cfTrident:
      return "Trident";
    default:
      return "Family " + std::to_string(family);
  }
}

std::string SummaryText(const CardSummary& s) {
  std::string text = Format("%d exact, %d locks, %d squashed, %d off, %d refused", s.exact,
                            s.locks, s.squashed, s.off, s.refused);
  if (s.refused_measured > 0)
    text += Format("; in the end %d refused (measured)", s.refused_measured);
  if (s.recovered > 0)
    text += Format("; %d measured misses usable under a sibling model the switch tried itself",
                   s.recovered);
  if (s.own_clock > 0)
    text += Format("; %d measured misses usable with the row's own clock", s.own_clock);
  if (s.computed_usable + s.computed_refused > 0)
    text += Format(
        "; of the cells the tables refuse or squash, %d usable with computed timings, %d "
        "refused still",
        s.computed_usable, s.computed_refused);
  if (s.better) {
    text += Format(
        "; the model \"%s\" (0x%04X) chosen by hand in the window fits better: %d "
        "usable instead of %d",
        s.better->caption.c_str(), unsigned{s.better->model}, s.better->usable,
        s.exact + s.locks + s.recovered + s.own_clock);
  }
  return text;
}

// The engine's outcome, followed by the program's final one where the field check changed it.
std::string OutcomeText(const MatrixCell& c) {
  return MarkText(c.outcome, c.final_outcome, c.sibling_caption, c.own_clock);
}

// The mark the page shows: a cell the tables refuse or squash that computed timings make usable
// shows what they make of it and how (a sibling model or the row's own clock on the way); a
// squashed one shows the tables' path to the squash first, recovery included, as the JSON and
// the text give it.
std::string CellText(const MatrixCell& c) {
  if (c.computed_outcome && IsUsable(*c.computed_outcome)) {
    if (c.final_outcome == MatrixOutcome::kSquashed) return OutcomeText(c) + "; " + c.computed_mark;
    return c.computed_mark;
  }
  return OutcomeText(c);
}

// Cells under a heading, each with what computed timings make of it.
void PrintComputedList(const char* heading, const std::vector<const MatrixCell*>& cells,
                       std::ostream& out) {
  if (cells.empty()) return;
  out << "\n" << heading << "\n\n";
  for (const MatrixCell* c : cells) {
    out << "- " << ModeText(*c) << " " << StandardCaption(c->standard)
        << (c->interlace_allowed ? "" : " ni") << ": " << c->computed_reason << "\n";
  }
}

}  // namespace

void PrintMatrixText(const Matrix& matrix, std::ostream& out) {
  for (const MatrixCell& c : matrix.cells) {
    out << Format("%-16s %-9s %-6s %-12s %-7s ", c.card.c_str(), ModeText(c).c_str(),
                  StandardCaption(c.standard), c.interlace_allowed ? "interlace" : "no interlace",
                  OutcomeText(c).c_str())
        << RatesText(c);
    if (!c.reason.empty()) out << " (" << c.reason << ")";
    if (c.measured_field_hz > 0) out << Format("; measured %.2f Hz", c.measured_field_hz);
    if (c.sibling_model)
      out << Format(", then %.2f Hz as %s", c.sibling_field_hz, c.sibling_caption.c_str());
    if (c.own_clock) out << Format(", then %.2f Hz with the row's own clock", c.own_clock_field_hz);
    if (Recovered(c)) out << "; kept: " << FinalRatesText(c);
    if (c.computed_outcome) {
      out << "; computed timings: " << c.computed_mark
          << Format(", %.2f kHz / %.2f Hz%s, %d lines", c.computed_line_hz / 1000.0,
                    c.computed_field_hz, c.computed_interlaced ? " interlaced" : "",
                    c.computed_lines);
      if (!c.computed_reason.empty()) out << " (" << c.computed_reason << ")";
    }
    out << "\n";
  }
  for (const CardSummary& s : matrix.cards)
    out << s.card << ": " << SummaryText(s) << "\n";
}

void PrintMatrixCsv(const Matrix& matrix, std::ostream& out) {
  out << "card,width,height,bits_per_pixel,standard,interlace_allowed,outcome,line_hz,field_hz,"
         "interlaced,lines,reason,final,measured_field_hz,kept_model,kept_field_hz,own_clock,"
         "own_clock_field_hz,final_line_hz,final_field_hz,final_interlaced,final_lines,"
         "fill_height,fill_width,shape,computed,computed_mark,computed_line_hz,"
         "computed_field_hz,computed_lines,computed_reason\n";
  for (const MatrixCell& c : matrix.cells) {
    // Reasons are plain words without commas or quotes; quoted all the same.
    out << Format("%s,%u,%u,%u,%s,%d,%s,%.1f,%.3f,%d,%d,\"%s\",%s,%.3f,\"%s\",%.3f,%d,%.3f,",
                  c.card.c_str(), unsigned{c.width}, unsigned{c.height},
                  unsigned{c.bits_per_pixel}, StandardName(c.standard),
                  c.interlace_allowed ? 1 : 0, OutcomeName(c.outcome), c.line_hz, c.field_hz,
                  c.interlaced ? 1 : 0, c.lines, c.reason.c_str(), OutcomeName(c.final_outcome),
                  c.measured_field_hz, c.sibling_caption.c_str(), c.sibling_field_hz,
                  c.own_clock ? 1 : 0, c.own_clock_field_hz)
        << Format("%.1f,%.3f,%d,%d,%.3f,%.3f,%.3f,", c.final_line_hz, c.final_field_hz,
                  c.final_interlaced ? 1 : 0, c.final_lines, c.fill.height, c.fill.width,
                  c.fill.shape)
        << Format("%s,\"%s\",%.1f,%.3f,%d,\"%s\"\n",
                  c.computed_outcome ? OutcomeName(*c.computed_outcome) : "",
                  c.computed_outcome ? c.computed_mark.c_str() : "", c.computed_line_hz,
                  c.computed_field_hz, c.computed_lines, c.computed_reason.c_str());
  }
}

nlohmann::json MatrixToJson(const Matrix& matrix) {
  nlohmann::json cells = nlohmann::json::array();
  for (const MatrixCell& c : matrix.cells) {
    cells.push_back({{"card", c.card},
                     {"width", c.width},
                     {"height", c.height},
                     {"bits_per_pixel", c.bits_per_pixel},
                     {"standard", StandardName(c.standard)},
                     {"interlace_allowed", c.interlace_allowed},
                     {"outcome", OutcomeName(c.outcome)},
                     {"final", OutcomeName(c.final_outcome)},
                     {"path", c.path},
                     {"measured_field_hz", c.measured_field_hz},
                     {"reason", c.reason},
                     {"line_hz", c.line_hz},
                     {"field_hz", c.field_hz},
                     {"interlaced", c.interlaced},
                     {"lines", c.lines}});
    cells.back()["own_clock"] = c.own_clock;
    // The own clock's measured field, and whatever the path, the signal the user ends with.
    cells.back()["own_clock_field_hz"] = c.own_clock ? nlohmann::json(c.own_clock_field_hz)
                                                     : nlohmann::json(nullptr);
    cells.back()["final_signal"] = {{"line_hz", c.final_line_hz},
                                    {"field_hz", c.final_field_hz},
                                    {"interlaced", c.final_interlaced},
                                    {"lines", c.final_lines}};
    cells.back()["fill"] = FillJson(c.fill);
    cells.back()["shown"] = ShownJson(c.shown);
    if (c.computed_outcome) {
      cells.back()["computed"] = {{"outcome", OutcomeName(*c.computed_outcome)},
                                  {"mark", c.computed_mark},
                                  {"reason", c.computed_reason},
                                  {"line_hz", c.computed_line_hz},
                                  {"field_hz", c.computed_field_hz},
                                  {"interlaced", c.computed_interlaced},
                                  {"lines", c.computed_lines},
                                  {"fill", FillJson(c.computed_fill)}};
    } else {
      cells.back()["computed"] = nullptr;
    }
    if (c.sibling_model) {
      cells.back()["kept_model"] = {{"model", *c.sibling_model},
                                    {"caption", c.sibling_caption},
                                    {"field_hz", c.sibling_field_hz}};
    } else {
      cells.back()["kept_model"] = nullptr;
    }
  }
  nlohmann::json cards = nlohmann::json::array();
  for (const CardSummary& s : matrix.cards) {
    nlohmann::json card = {{"card", s.card},
                           {"family", s.family},
                           {"model", s.model},
                           {"exact", s.exact},
                           {"locks", s.locks},
                           {"squashed", s.squashed},
                           {"off", s.off},
                           {"refused", s.refused},
                           {"refused_measured", s.refused_measured},
                           {"recovered", s.recovered},
                           {"own_clock", s.own_clock},
                           {"computed_usable", s.computed_usable},
                           {"computed_refused", s.computed_refused}};
    if (s.better) {
      card["better_choice"] = {
          {"model", s.better->model}, {"caption", s.better->caption}, {"usable", s.better->usable}};
    } else {
      card["better_choice"] = nullptr;
    }
    cards.push_back(card);
  }
  return {{"cells", cells}, {"cards", cards}};
}

void PrintMatrixMarkdown(const Matrix& matrix, std::ostream& out) {
  out << "# Compatibility matrix\n\n"
         "What ZANVO does to each virtual card's desktop modes, as the program leaves it after a "
         "switch.\n"
         "Generated by `zanvo-scope --matrix --markdown`; a test fails when this file differs "
         "from what the tool\n"
         "generates. The virtual cards model each chip as its public sources describe it (see "
         "[chips.md](chips.md)).\n\n"
         "| mark | meaning |\n|---|---|\n"
         "| exact | line and field rate within 1% of the standard, and the desktop arrives "
         "whole from the top and the left (its foot, where the taskbar is, or its right edge may "
         "be cut: below the table) |\n"
         "| locks | line within 2% and field within 5%: ordinary TV sets and arcade monitors "
         "hold the picture; the desktop arrives whole from the top and the left, as for exact |\n"
         "| squashed | the set locks and the desktop arrives whole, but the picture fills less "
         "than half the set's visible height, or its shape is off the desktop's by more than a "
         "quarter (the share of the visible width it fills over the share of the height: the "
         "desktop's monitor fills its screen with it, so 1 is its shape): a band across the "
         "screen, as an interlaced field at half the lines a progressive field holds; not "
         "counted usable |\n"
         "| off | the engine fitted the mode but the rates miss the standard, the registers "
         "contradict themselves (a sync past the total or outside its blank, which no set locks "
         "to cleanly), or the set locks but the desktop arrives scrambled (its rows start in the "
         "wrong place in memory); the cause is listed under the table |\n"
         "| refused | \"Video mode unsupported!\": no timing row, or a line offset the chip "
         "cannot hold; the monitor timings are back |\n"
         "| off -> refused (measured) | what the user finally gets: the program timed the field "
         "with the PC timer, found it outside the guard band, or saw no vertical retrace at all, "
         "tried the brand's other models that are safe on the chip, none passed, and it refused "
         "the switch as above |\n"
         "| off -> locks as MODEL | the field measured outside the guard band, and the switch "
         "tried the brand's other models that are safe on the chip ([chips.md](chips.md)): MODEL "
         "passed, stays in force and is what the user gets |\n"
         "| off -> exact (own clock) | the field measured outside the guard band, no sibling "
         "model passed, and the switch applied the row once more with its own clock (its crystal "
         "and the standard VGA halving, no family clock step; on the block-I/O family a "
         "synthesizer value for the row): it passed and stays |\n"
         "| exact (computed) | the tables have no row for the width or the line count, so without "
         "the tray menu's \"Computed timings\" the switch is refused; with it checked the engine "
         "computes the rows (and prefers a progressive field where one holds the lines) and this "
         "is the outcome; \"off -> exact as MODEL (computed)\" or \"off -> exact (own clock, "
         "computed)\" where it passed only after a sibling model or the row's own clock took "
         "over |\n"
         "| squashed; exact (computed) | the tables squash the picture (above; \"off -> squashed "
         "(own clock); exact (computed)\" or \"off -> squashed as MODEL; ...\" where the squash "
         "came after a recovery); computed timings fill the set |\n"
         "\n";
  out << Format(
      "The standards: PAL %.0f Hz / %.0f Hz, NTSC %.0f Hz / %.2f Hz, 24 kHz %.0f Hz / "
      "%.1f Hz (129 eight-dot characters at 25.175 MHz, 424 lines).\n"
      "A TV's horizontal oscillator pulls in a few percent around the line rate and "
      "its vertical hold takes fields a few hertz off: beyond 2%% on the line or 5%% on "
      "the field the picture tears or rolls.\n"
      "After a fitted switch the program times the field with the PC timer (%.3f s at most, "
      "%.3f s with the line count) and refuses the switch unless two consecutive periods agree "
      "within %.0f%% inside %.0f%% of the standard's field rate (the sets' 5%% and a margin for "
      "the measurement) and the line rate it then counts lies within %.0f%% of the "
      "standard's (the sets' 2%% and a margin).\n"
      "Rows: every mode the card's Windows 9x driver offers on the card's memory, as "
      "WIDTHxHEIGHTxBITS (bits per pixel: 4 for 16 colours, 8 for 256, 15 and 16 for High "
      "Color, 24 and 32 for True Color). Columns: each standard with interlace allowed (the "
      "window's default) and with \"No interlace\" checked (ni). `zanvo-scope --matrix --json` "
      "gives each cell's final signal (after any recovery), how it got there, and how much of "
      "the set's visible height and width the picture fills.\n",
      virt::kPalRates.line_hz, virt::kPalRates.field_hz, virt::kNtscRates.line_hz,
      virt::kNtscRates.field_hz, virt::k24kHzRates.line_hz, virt::k24kHzRates.field_hz,
      engine::kFieldCheckMaxTicks * engine::kPitTickSeconds,
      engine::kCheckMaxTicks * engine::kPitTickSeconds, engine::kPeriodAgreement * 100,
      engine::kFieldGuardBand * 100, engine::kLineGuardBand * 100);
  out << Format(
      "Computed rows keep the tables' rules. A line: the desktop's characters plus at least "
      "%.0f%% of the line blanked, at the standard's line rate within %.0f%%, with blanking and "
      "sync in the proportions of the tables' rows and the blank ending 6 characters before the "
      "total at the latest (the horizontal step wraps a later end); the clock is one every VGA has "
      "(25.175 or 28.322 MHz, each also halved), on the block-I/O family the synthesizer's value "
      "for the line. At those clocks a line holds at most %d characters at PAL, %d at NTSC, %d at "
      "24 kHz. "
      "A field: the desktop's lines after removing line doubling, interlacing and one line skip "
      "within %u%% of the field (at most %d lines at PAL, %d at NTSC, %d at 24 kHz), the sync "
      "placed as the tables place it. The stride, doubled where lines are skipped, must fit the "
      "chip's offset bits. A cell still refused with them names the rule it breaks under its "
      "table: more lines than the field holds, a stride the chip cannot address, or no clock in "
      "reach (the measured field of a clock the chip makes for the row also counts).\n",
      engine::kLeastBlankShare * 100, engine::kComputedLineTolerance * 100,
      engine::WidestComputedColumns(engine::vsPAL), engine::WidestComputedColumns(engine::vsNTSC),
      engine::WidestComputedColumns(engine::vs24kHz), engine::kFieldSharePercent,
      TallestComputedField(engine::vsPAL), TallestComputedField(engine::vsNTSC),
      TallestComputedField(engine::vs24kHz));
  int off_reaching_set = 0;
  for (const MatrixCell& c : matrix.cells)
    off_reaching_set += c.final_outcome == MatrixOutcome::kOff ? 1 : 0;
  if (off_reaching_set == 0) {
    out << "No off cell reaches the set: each cell is exact, locks or is refused.\n";
  } else {
    out << Format("%d off cell%s reach%s the set (marked off without \"refused (measured)\").\n",
                  off_reaching_set, off_reaching_set == 1 ? "" : "s",
                  off_reaching_set == 1 ? "es" : "");
  }
  PrintPictureAndRefusalsMarkdown(matrix, out);
  PrintMatrixSummaryMarkdown(matrix, out);

  uint8_t family_shown = 0xFF;
  for (const CardSummary& s : matrix.cards) {
    if (s.family != family_shown) {
      family_shown = s.family;
      out << "\n## " << FamilyHeading(s.family) << "\n";
    }
    out << Format("\n### %s (%s; family %u, model 0x%04X)\n\n", s.card.c_str(),
                  ChipName(s.family, s.model).c_str(), unsigned{s.family}, unsigned{s.model});
    out << "| mode | PAL | PAL ni | NTSC | NTSC ni | 24 kHz | 24 kHz ni |\n"
           "|---|---|---|---|---|---|---|\n";
    std::vector<const MatrixCell*> off, cut, still_refused, still_squashed, squashed,
        computed_recovered;
    std::string row_mode;
    for (const MatrixCell& c : matrix.cells) {
      if (c.card != s.card) continue;
      const std::string mode = ModeText(c);
      if (mode != row_mode) {
        if (!row_mode.empty()) out << "\n";
        row_mode = mode;
        out << "| " << mode << " |";
      }
      out << " " << CellText(c) << " |";
      if (c.outcome == MatrixOutcome::kOff) off.push_back(&c);
      if (IsCutStride(c)) cut.push_back(&c);
      // A computed run that squashes names the picture's size, one that is refused the rule.
      if (c.computed_outcome == MatrixOutcome::kSquashed) {
        still_squashed.push_back(&c);
      } else if (c.computed_outcome && !IsUsable(*c.computed_outcome)) {
        still_refused.push_back(&c);
      }
      if (c.final_outcome == MatrixOutcome::kSquashed) squashed.push_back(&c);
      if (c.computed_mark.find(" -> ") != std::string::npos)
        computed_recovered.push_back(&c);
    }
    if (!row_mode.empty()) out << "\n";
    out << "\n" << s.card << ": " << SummaryText(s) << ".\n";
    if (!off.empty()) {
      out << "\nOff:\n\n";
      for (const MatrixCell* c : off) {
        out << "- " << ModeText(*c) << " " << StandardCaption(c->standard)
            << (c->interlace_allowed ? "" : " ni") << ": " << RatesText(*c);
        if (!c->reason.empty()) out << "; " << c->reason;
        if (c->final_outcome != c->outcome || c->sibling_model) {
          out << (c->measured_field_hz > 0 ? Format("; measured %.2f Hz", c->measured_field_hz)
                                           : std::string("; no retrace timed"));
        }
        if (c->sibling_model) {
          out << Format(", then %.2f Hz as %s, which stays in force", c->sibling_field_hz,
                        c->sibling_caption.c_str());
        }
        if (c->own_clock) {
          out << Format(", then %.2f Hz with the row's own clock, which stays",
                        c->own_clock_field_hz);
        }
        if (Recovered(*c)) out << ": " << FinalRatesText(*c);
        out << "\n";
      }
    }
    if (!squashed.empty()) {
      out << "\nSquashed:\n\n";
      for (const MatrixCell* c : squashed) {
        out << "- " << ModeText(*c) << " " << StandardCaption(c->standard)
            << (c->interlace_allowed ? "" : " ni") << ": " << FinalRatesText(*c) << "; "
            << c->reason << "\n";
      }
    }
    if (!computed_recovered.empty()) {
      out << "\nWith computed timings, after a recovery (the signal that stays):\n\n";
      for (const MatrixCell* c : computed_recovered) {
        out << "- " << ModeText(*c) << " " << StandardCaption(c->standard)
            << (c->interlace_allowed ? "" : " ni") << ": " << c->computed_mark
            << Format(", %.2f kHz / %.2f Hz%s, %d lines\n", c->computed_line_hz / 1000.0,
                      c->computed_field_hz, c->computed_interlaced ? " interlaced" : "",
                      c->computed_lines);
      }
    }
    if (!cut.empty()) {
      out << "\nRefused for the line offset:\n\n";
      for (const MatrixCell* c : cut) {
        out << "- " << ModeText(*c) << " " << StandardCaption(c->standard)
            << (c->interlace_allowed ? "" : " ni") << ": " << c->reason << "\n";
      }
    }
    PrintComputedList("Refused with computed timings too:", still_refused, out);
    PrintComputedList("Squashed with computed timings too:", still_squashed, out);
  }
}

}  // namespace zanvo::scope
