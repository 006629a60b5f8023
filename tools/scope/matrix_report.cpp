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

std::string ModeText(const MatrixCell& c) {
  return std::to_string(c.width) + "x" + std::to_string(c.height);
}

std::string RatesText(const MatrixCell& c) {
  return Format("%.2f kHz / %.2f Hz%s, %d lines", c.line_hz / 1000.0, c.field_hz,
                c.interlaced ? " interlaced" : "", c.lines);
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
  std::string text =
      Format("%d exact, %d locks, %d off, %d refused", s.exact, s.locks, s.off, s.refused);
  if (s.refused_measured > 0)
    text += Format("; in the end %d refused (measured)", s.refused_measured);
  if (s.recovered > 0)
    text += Format("; %d measured misses usable under a sibling model the switch tried itself",
                   s.recovered);
  if (s.own_clock > 0)
    text += Format("; %d measured misses usable with the row's own clock", s.own_clock);
  if (s.computed_usable + s.computed_refused > 0)
    text += Format(
        "; of the cells the tables refuse, %d usable with computed timings, %d still "
        "refused",
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

// The mark the page shows: a cell the tables refuse that computed timings make usable shows what
// they make of it.
std::string CellText(const MatrixCell& c) {
  if (c.computed_outcome && *c.computed_outcome != MatrixOutcome::kRefused &&
      *c.computed_outcome != MatrixOutcome::kRefusedMeasured) {
    return std::string(OutcomeName(*c.computed_outcome)) + " (computed)";
  }
  return OutcomeText(c);
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
    if (c.computed_outcome) {
      out << "; computed timings: " << OutcomeName(*c.computed_outcome);
      if (!c.computed_reason.empty()) out << " (" << c.computed_reason << ")";
    }
    out << "\n";
  }
  for (const CardSummary& s : matrix.cards)
    out << s.card << ": " << SummaryText(s) << "\n";
}

void PrintMatrixCsv(const Matrix& matrix, std::ostream& out) {
  out << "card,width,height,standard,interlace_allowed,outcome,line_hz,field_hz,interlaced,"
         "lines,reason,final,measured_field_hz,kept_model,kept_field_hz,own_clock,computed,"
         "computed_reason\n";
  for (const MatrixCell& c : matrix.cells) {
    // Reasons are plain words without commas or quotes; quoted all the same.
    out << Format("%s,%u,%u,%s,%d,%s,%.1f,%.3f,%d,%d,\"%s\",%s,%.3f,\"%s\",%.3f,%d,%s,\"%s\"\n",
                  c.card.c_str(), unsigned{c.width}, unsigned{c.height}, StandardName(c.standard),
                  c.interlace_allowed ? 1 : 0, OutcomeName(c.outcome), c.line_hz, c.field_hz,
                  c.interlaced ? 1 : 0, c.lines, c.reason.c_str(), OutcomeName(c.final_outcome),
                  c.measured_field_hz, c.sibling_caption.c_str(), c.sibling_field_hz,
                  c.own_clock ? 1 : 0, c.computed_outcome ? OutcomeName(*c.computed_outcome) : "",
                  c.computed_reason.c_str());
  }
}

nlohmann::json MatrixToJson(const Matrix& matrix) {
  nlohmann::json cells = nlohmann::json::array();
  for (const MatrixCell& c : matrix.cells) {
    cells.push_back({{"card", c.card},
                     {"width", c.width},
                     {"height", c.height},
                     {"standard", StandardName(c.standard)},
                     {"interlace_allowed", c.interlace_allowed},
                     {"outcome", OutcomeName(c.outcome)},
                     {"final", OutcomeName(c.final_outcome)},
                     {"measured_field_hz", c.measured_field_hz},
                     {"reason", c.reason},
                     {"line_hz", c.line_hz},
                     {"field_hz", c.field_hz},
                     {"interlaced", c.interlaced},
                     {"lines", c.lines}});
    cells.back()["own_clock"] = c.own_clock;
    if (c.computed_outcome) {
      cells.back()["computed"] = {{"outcome", OutcomeName(*c.computed_outcome)},
                                  {"reason", c.computed_reason},
                                  {"line_hz", c.computed_line_hz},
                                  {"field_hz", c.computed_field_hz},
                                  {"lines", c.computed_lines}};
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
         "whole |\n"
         "| locks | line within 2% and field within 5%: ordinary TV sets and arcade monitors "
         "hold the picture; the desktop arrives whole |\n"
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
         "computes the rows and this is the outcome |\n"
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
      "Columns: each standard with interlace allowed (the window's default) and with "
      "\"No interlace\" checked (ni).\n",
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
    std::vector<const MatrixCell*> off, cut, still_refused;
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
      if (c.computed_outcome && !c.computed_reason.empty()) still_refused.push_back(&c);
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
        out << "\n";
      }
    }
    if (!cut.empty()) {
      out << "\nRefused for the line offset:\n\n";
      for (const MatrixCell* c : cut) {
        out << "- " << ModeText(*c) << " " << StandardCaption(c->standard)
            << (c->interlace_allowed ? "" : " ni") << ": " << c->reason << "\n";
      }
    }
    if (!still_refused.empty()) {
      out << "\nRefused with computed timings too:\n\n";
      for (const MatrixCell* c : still_refused) {
        out << "- " << ModeText(*c) << " " << StandardCaption(c->standard)
            << (c->interlace_allowed ? "" : " ni") << ": " << c->computed_reason << "\n";
      }
    }
  }
}

}  // namespace zanvo::scope
