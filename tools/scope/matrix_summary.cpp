#include "matrix_summary.h"

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "chip_facts.h"
#include "chip_names.h"

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

}  // namespace

void PrintMatrixSummaryMarkdown(const Matrix& matrix, std::ostream& out) {
  std::vector<const CardSummary*> ranked;
  for (const CardSummary& s : matrix.cards)
    ranked.push_back(&s);
  std::stable_sort(ranked.begin(), ranked.end(), [](const CardSummary* a, const CardSummary* b) {
    if (BestUsable(*a) != BestUsable(*b)) return BestUsable(*a) > BestUsable(*b);
    return Usable(*a) > Usable(*b);
  });

  out << "\n## Summary\n\n"
         "The cards ranked by the usable cells (exact or locks) a user gets, picking by hand the "
         "model of the same brand\n"
         "that fits better where there is one. An off cell names the chip bits behind it, and "
         "another model fits better\n"
         "because the engine then leaves those bits alone: the last column says how sure "
         "[chips.md](chips.md) is of each\n"
         "reading (high: every source agrees; checked: re-read in the sources; low or undefined: "
         "chips.md says so; not\n"
         "rated: chips.md records the reading without a rating).\n\n"
         "A measured miss that a sibling model or the row's own clock recovered by itself counts "
         "as usable. The last but one\n"
         "column counts the usable cells with the tray menu's \"Computed timings\" checked.\n\n"
         "| rank | card | chip in the window | usable | pick by hand | usable then | with computed "
         "timings | chip facts behind the off cells and the advice |\n"
         "|---|---|---|---|---|---|---|---|\n";
  int rank = 0;
  for (const CardSummary* s : ranked) {
    const int cells = s->exact + s->locks + s->off + s->refused;
    out << "| " << ++rank << " | " << s->card << " | " << ChipName(s->family, s->model) << " | "
        << Usable(*s) << " of " << cells << " | ";
    if (s->better) {
      out << ChipName(s->family, s->better->model) << " | " << s->better->usable;
    } else {
      out << "- | -";
    }
    out << " | " << Usable(*s) + s->computed_usable << " | " << FactsText(matrix, *s) << " |\n";
  }
  int cells = 0, usable = 0, computed = 0;
  for (const CardSummary& s : matrix.cards) {
    cells += s.exact + s.locks + s.off + s.refused;
    usable += Usable(s);
    computed += s.computed_usable;
  }
  out << "\nIn all, " << usable << " of " << cells << " cells are usable with the tables, "
      << usable + computed << " with computed timings.\n";
}

}  // namespace zanvo::scope
