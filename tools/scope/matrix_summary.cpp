#include "matrix_summary.h"

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "chip_facts.h"
#include "chip_names.h"
#include "engine/chip_codes.h"

namespace zanvo::scope {
namespace {

// Sibling models the switch found itself count: the user does nothing for them.
int Usable(const CardSummary& s) {
  return s.exact + s.locks + s.recovered + s.own_clock;
}

// What a user of the card can get: with the better model when there is one.
int BestUsable(const CardSummary& s) {
  return s.better ? std::max(Usable(s), s.better->usable) : Usable(s);
}

std::string FactsText(const Matrix& matrix, const CardSummary& s) {
  if (s.off == 0) return "no off cell";
  std::vector<std::string> causes;
  for (const MatrixCell& c : matrix.cells) {
    if (c.card == s.card && c.outcome == MatrixOutcome::kOff) causes.push_back(c.reason);
  }
  const auto facts = FactsBehind(causes);
  if (facts.empty()) return "no chip bit named";
  std::string text;
  for (const ChipFact* fact : facts) {
    text += (text.empty() ? "" : "; ") + std::string(fact->fact) + " (" +
            std::string(fact->confidence) + ")";
  }
  return text;
}

// How a cell ranks as the desktop to set: usable with the tables before usable only with
// computed timings, exact before locks, every row shown before rows skipped, 4:3 before wider,
// then the larger desktop, then the deeper colours.
struct Choice {
  const MatrixCell* cell = nullptr;
  bool computed = false;
  bool exact = false;
};

bool EveryRowShown(const MatrixCell& c, bool computed) {
  const int lines = computed ? c.computed_lines : c.final_lines;
  const bool interlaced = computed ? c.computed_interlaced : c.final_interlaced;
  return lines * (interlaced ? 2 : 1) >= c.height;
}

// A desktop of the 4:3 screen's own shape (within a quarter), so that its pixels are square and
// what is round on it is round on the set: 640x480, 800x600, not 1056x480 or 720x400.
bool SquarePixels(const MatrixCell& c) {
  const double shape = static_cast<double>(c.width) / c.height / (4.0 / 3.0);
  return shape <= 1.25 && shape >= 0.75;
}

bool Better(const Choice& a, const Choice& b) {
  if (b.cell == nullptr) return true;
  if (a.computed != b.computed) return !a.computed;
  if (a.exact != b.exact) return a.exact;
  const bool rows_a = EveryRowShown(*a.cell, a.computed);
  const bool rows_b = EveryRowShown(*b.cell, b.computed);
  if (rows_a != rows_b) return rows_a;
  const bool square_a = SquarePixels(*a.cell);
  const bool square_b = SquarePixels(*b.cell);
  if (square_a != square_b) return square_a;
  const long area_a = static_cast<long>(a.cell->width) * a.cell->height;
  const long area_b = static_cast<long>(b.cell->width) * b.cell->height;
  if (area_a != area_b) return area_a > area_b;
  return a.cell->bits_per_pixel > b.cell->bits_per_pixel;
}

}  // namespace

std::string DesktopToSet(const Matrix& matrix, const std::string& card, uint8_t standard) {
  Choice best;
  for (const MatrixCell& c : matrix.cells) {
    if (c.card != card || c.standard != standard) continue;
    // The window's default allows interlace; the no-interlace column counts where it is needed.
    Choice choice{&c, false, c.final_outcome == MatrixOutcome::kExact};
    if (!IsUsable(c.final_outcome)) {
      if (!c.computed_outcome || !IsUsable(*c.computed_outcome)) continue;
      choice = {&c, true, *c.computed_outcome == MatrixOutcome::kExact};
    }
    if (Better(choice, best)) best = choice;
  }
  if (best.cell == nullptr) return "-";
  std::string text = ModeText(*best.cell) + (best.exact ? " exact" : " locks");
  if (!best.cell->interlace_allowed) text += ", no interlace";
  if (best.computed) text += ", computed timings";
  return text;
}

void PrintMatrixSummaryMarkdown(const Matrix& matrix, std::ostream& out) {
  std::vector<const CardSummary*> ranked;
  for (const CardSummary& s : matrix.cards)
    ranked.push_back(&s);
  std::stable_sort(ranked.begin(), ranked.end(), [](const CardSummary* a, const CardSummary* b) {
    if (BestUsable(*a) != BestUsable(*b)) return BestUsable(*a) > BestUsable(*b);
    return Usable(*a) > Usable(*b);
  });

  out << "\n## Summary\n\n"
         "The cards ranked by the usable cells (exact or locks) a user gets over every desktop "
         "mode and depth the card's\n"
         "driver offers, picking by hand the model of the same brand that fits better where "
         "there is one. A measured miss\n"
         "that a sibling model or the row's own clock recovered by itself counts as usable. "
         "\"with computed timings\" counts\n"
         "the usable cells with the tray menu's \"Computed timings\" checked. \"set for\" "
         "names the desktop (size and depth\n"
         "in bits per pixel) to set in the display settings before switching to the standard: "
         "exact before locks, every\n"
         "row shown before rows skipped, a 4:3 desktop (square pixels) before a wider one, then "
         "the largest, then the\n"
         "most colours; \"computed "
         "timings\" where only they\n"
         "make one usable. An off cell names the chip bits behind it, and another model fits "
         "better because the engine\n"
         "then leaves those bits alone: \"chip facts\" says how sure [chips.md](chips.md) is "
         "of each reading (high: every\n"
         "source agrees; checked: re-read in the sources; low or undefined: chips.md says so; "
         "not rated: chips.md records\n"
         "the reading without a rating).\n\n"
         "| rank | card | chip in the window | usable | pick by hand | usable then | with computed "
         "timings | set for PAL | set for NTSC | set for 24 kHz | chip facts behind the off "
         "cells |\n"
         "|---|---|---|---|---|---|---|---|---|---|---|\n";
  int rank = 0;
  for (const CardSummary* s : ranked) {
    const int cells = s->exact + s->locks + s->squashed + s->off + s->refused;
    out << "| " << ++rank << " | " << s->card << " | " << ChipName(s->family, s->model) << " | "
        << Usable(*s) << " of " << cells << " | ";
    if (s->better) {
      out << ChipName(s->family, s->better->model) << " | " << s->better->usable;
    } else {
      out << "- | -";
    }
    out << " | " << Usable(*s) + s->computed_usable;
    for (const uint8_t standard : {engine::vsPAL, engine::vsNTSC, engine::vs24kHz})
      out << " | " << DesktopToSet(matrix, s->card, standard);
    out << " | " << FactsText(matrix, *s) << " |\n";
  }
  int cells = 0, usable = 0, computed = 0;
  for (const CardSummary& s : matrix.cards) {
    cells += s.exact + s.locks + s.squashed + s.off + s.refused;
    usable += Usable(s);
    computed += s.computed_usable;
  }
  out << "\nIn all, " << usable << " of " << cells << " cells are usable with the tables, "
      << usable + computed << " with computed timings.\n";
}

}  // namespace zanvo::scope
