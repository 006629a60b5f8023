#include "matrix.h"

#include "chipset/catalogue.h"
#include "engine/chip_codes.h"
#include "engine/field_check.h"
#include "physical_reason.h"
#include "platform/virtual/card_catalog.h"
#include "platform/virtual/display_driver.h"
#include "platform/virtual/signal/picture.h"
#include "platform/virtual/signal/standard_rates.h"
#include "scope_session.h"
#include "standard_targets.h"

namespace zanvo::scope {
namespace {

// The field check's band is built on the same hold range the matrix judges a lock by.
static_assert(engine::kSetFieldHoldRange == virt::kLockFieldTolerance);
static_assert(engine::kFieldGuardBand > virt::kLockFieldTolerance);

constexpr uint8_t kMatrixStandards[] = {engine::vsPAL, engine::vsNTSC, engine::vs24kHz};

bool IsUsable(MatrixOutcome outcome) {
  return outcome == MatrixOutcome::kExact || outcome == MatrixOutcome::kLocks;
}

MatrixOutcome OutcomeOf(virt::SignalVerdict verdict) {
  switch (verdict) {
    case virt::SignalVerdict::kExact:
      return MatrixOutcome::kExact;
    case virt::SignalVerdict::kLocks:
      return MatrixOutcome::kLocks;
    case virt::SignalVerdict::kOff:
      break;
  }
  return MatrixOutcome::kOff;
}

// The caption of the first entry of the brand's list with the code, as the window selects it.
std::string ModelCaption(uint8_t family, uint16_t model) {
  for (const chipset::ModelEntry& entry : chipset::ModelsOfFamily(family)) {
    if (entry.code == model) return std::string(entry.caption);
  }
  return "?";
}

struct Chipset {
  bool by_hand = false;
  uint8_t family = 0;
  uint16_t model = 0;
  bool measure_field = true;
  bool computed = false;
};

MatrixCell RunCell(const std::string& card, const virt::DesktopMode& mode, uint8_t standard,
                   bool interlace_allowed, const Chipset& chipset) {
  ScopeOptions options;
  options.card = card;
  options.width = mode.width;
  options.height = mode.height;
  options.standard = standard;
  options.no_interlace = !interlace_allowed;
  if (chipset.by_hand) {
    options.as_family = chipset.family;
    options.as_model = chipset.model;
  }
  options.measure_field = chipset.measure_field;
  options.computed = chipset.computed;
  options.dump_registers = false;
  ScopeReport report;
  std::string error;
  MatrixCell cell;
  cell.card = card;
  cell.width = mode.width;
  cell.height = mode.height;
  cell.standard = standard;
  cell.interlace_allowed = interlace_allowed;
  if (!RunScope(options, report, error)) {
    cell.reason = error;
    return cell;
  }
  RunMark mark = MarkRun(report, standard);
  const virt::Signal& out = mark.judged;
  cell.line_hz = out.line_rate_hz;
  cell.field_hz = out.field_rate_hz;
  cell.interlaced = out.interlaced;
  cell.lines = out.display_lines_per_field;
  cell.outcome = mark.outcome;
  cell.final_outcome = mark.final_outcome;
  cell.measured_field_hz = mark.measured_field_hz;
  cell.reason = std::move(mark.reason);
  cell.sibling_model = mark.sibling_model;
  cell.sibling_caption = mark.sibling_caption;
  cell.sibling_field_hz = mark.sibling_field_hz;
  cell.own_clock = mark.own_clock;
  cell.own_clock_field_hz = mark.own_clock_field_hz;
  if (chipset.computed && !IsUsable(cell.final_outcome)) {
    cell.computed_reason = PhysicalReason(report, standard, cell.reason);
  }
  return cell;
}

// A cell the tables refuse, run again with computed timings.
void AddComputedOutcome(MatrixCell& cell, const virt::DesktopMode& mode, const Chipset& chipset) {
  Chipset computed = chipset;
  computed.computed = true;
  const MatrixCell again =
      RunCell(cell.card, mode, cell.standard, cell.interlace_allowed, computed);
  cell.computed_outcome = again.final_outcome;
  cell.computed_reason = again.computed_reason;
  cell.computed_line_hz = again.line_hz;
  cell.computed_field_hz = again.field_hz;
  cell.computed_lines = again.lines;
}

// Runs every mode, standard and interlace choice of one card; appends the cells when `into` is
// given and returns the summary.
CardSummary RunCard(const std::string& card, const Chipset& chipset,
                    std::vector<MatrixCell>* into) {
  const auto model = virt::MakeCard(card);
  CardSummary summary;
  summary.card = card;
  summary.family = model->family();
  summary.model = model->model();
  for (const virt::DesktopMode& mode : virt::DesktopModes()) {
    if (!virt::DesktopModeTiming(*model, mode.width, mode.height)) continue;
    for (const uint8_t standard : kMatrixStandards) {
      for (const bool interlace_allowed : {true, false}) {
        MatrixCell cell = RunCell(card, mode, standard, interlace_allowed, chipset);
        if (into && cell.final_outcome == MatrixOutcome::kRefused) {
          AddComputedOutcome(cell, mode, chipset);
          ++(IsUsable(*cell.computed_outcome) ? summary.computed_usable : summary.computed_refused);
        }
        switch (cell.outcome) {
          case MatrixOutcome::kExact:
            ++summary.exact;
            break;
          case MatrixOutcome::kLocks:
            ++summary.locks;
            break;
          case MatrixOutcome::kOff:
            ++summary.off;
            break;
          case MatrixOutcome::kRefused:
          case MatrixOutcome::kRefusedMeasured:
            ++summary.refused;
            break;
        }
        if (cell.final_outcome == MatrixOutcome::kRefusedMeasured) ++summary.refused_measured;
        if (cell.sibling_model && IsUsable(cell.final_outcome)) ++summary.recovered;
        if (cell.own_clock && IsUsable(cell.final_outcome)) ++summary.own_clock;
        if (into) into->push_back(std::move(cell));
      }
    }
  }
  return summary;
}

// The other models of the card's brand, as a user may pick them in the model list: the one that
// gives the most usable cells, when it beats the card's own entry.
std::optional<BetterChoice> FindBetterChoice(const std::string& card, const CardSummary& own) {
  // The block-I/O family's single entry stands for every model; nothing else to choose there.
  if (own.family == engine::cfATI) return std::nullopt;
  std::optional<BetterChoice> best;
  int best_usable = own.exact + own.locks + own.recovered + own.own_clock;
  for (const chipset::ModelEntry& entry : chipset::ModelsOfFamily(own.family)) {
    if (entry.code == own.model) continue;
    // Usable cells lie within the locks range and so always pass the field check: screening
    // the other models needs no measurement.
    const CardSummary tried = RunCard(card, {true, own.family, entry.code, false}, nullptr);
    const int usable = tried.exact + tried.locks;
    if (usable > best_usable) {
      best_usable = usable;
      best = BetterChoice{entry.code, std::string(entry.caption), usable};
    }
  }
  return best;
}

}  // namespace

namespace {

// The set's verdict on the rates and the viewer's on the picture: exact or locks only where the
// desktop arrives whole; otherwise off, with the reason the picture gives.
MatrixOutcome JudgeShown(const virt::Signal& shown, const virt::DesktopLayout& desktop,
                         uint8_t standard, std::string& reason) {
  const MatrixOutcome outcome = OutcomeOf(JudgeAgainstStandard(shown, standard));
  if (outcome != MatrixOutcome::kExact && outcome != MatrixOutcome::kLocks) return outcome;
  virt::PictureVerdict picture = virt::JudgePicture(shown, desktop);
  if (picture.whole) return outcome;
  reason = "desktop scrambled: " + std::move(picture.reason);
  return MatrixOutcome::kOff;
}

}  // namespace

std::string CutStrideText(const ScopeReport& report) {
  int needed = 0;
  while (needed < 16 && (report.cut_line_offset >> needed) != 0)
    ++needed;
  return "line offset " + std::to_string(report.cut_line_offset) + " needs " +
         std::to_string(needed) + " bits, the chip's offset has " +
         std::to_string(report.offset_bits);
}

RunMark MarkRun(const ScopeReport& report, uint8_t standard) {
  RunMark mark;
  const bool refused_measured = report.field_check && !report.field_check->in_band;
  // A fitted standard that stayed is judged as the program leaves it, moves included; one the
  // field check refused, as the engine had put it out.
  mark.judged = !report.fitted || !refused_measured ? report.signal : report.applied;
  if (!report.fitted) {
    mark.outcome = MatrixOutcome::kRefused;
    mark.final_outcome = MatrixOutcome::kRefused;
    mark.reason = report.cut_line_offset != 0 ? CutStrideText(report)
                  : report.row_found          ? "no timing row for the line count"
                                              : "no timing row for the width";
    return mark;
  }
  const virt::DesktopLayout desktop = virt::DesktopOf(report.monitor);
  mark.outcome = JudgeShown(mark.judged, desktop, standard, mark.reason);
  if (mark.outcome == MatrixOutcome::kOff && mark.reason.empty()) {
    mark.reason = report.clock_miss_cause;
    // What the analyzer found wrong in the registers themselves, in its own words.
    for (const std::string& contradiction : mark.judged.contradictions)
      mark.reason += (mark.reason.empty() ? "" : "; ") + contradiction;
  }
  if (report.field_check) mark.measured_field_hz = report.field_check->field_hz;
  mark.final_outcome = refused_measured ? MatrixOutcome::kRefusedMeasured : mark.outcome;
  if (report.sibling_search && report.sibling_search->kept) {
    // The sibling's standard stays on the card: what the user gets is its signal.
    const uint16_t kept = *report.sibling_search->kept;
    mark.sibling_model = kept;
    mark.sibling_caption = ModelCaption(report.family, kept);
    mark.sibling_field_hz = report.sibling_search->tries.back().field_hz;
    std::string sibling_reason;
    mark.final_outcome = JudgeShown(report.signal, desktop, standard, sibling_reason);
  }
  if (report.own_clock && report.own_clock->passed) {
    mark.own_clock = true;
    mark.own_clock_field_hz = report.own_clock->field_hz;
    std::string own_clock_reason;
    mark.final_outcome = JudgeShown(report.signal, desktop, standard, own_clock_reason);
  }
  mark.computed = report.horz_computed || report.vert_computed;
  return mark;
}

std::string MarkText(MatrixOutcome outcome, MatrixOutcome final_outcome,
                     const std::string& sibling_caption, bool own_clock, bool computed) {
  std::string text = OutcomeName(outcome);
  if (!sibling_caption.empty()) {
    text += std::string(" -> ") + OutcomeName(final_outcome) + " as " + sibling_caption;
  } else if (own_clock) {
    text += std::string(" -> ") + OutcomeName(final_outcome) +
            (computed ? " (own clock, computed)" : " (own clock)");
    return text;
  } else if (final_outcome != outcome) {
    text += std::string(" -> ") + OutcomeName(final_outcome);
  }
  if (computed) text += " (computed)";
  return text;
}

const char* OutcomeName(MatrixOutcome outcome) {
  switch (outcome) {
    case MatrixOutcome::kExact:
      return "exact";
    case MatrixOutcome::kLocks:
      return "locks";
    case MatrixOutcome::kOff:
      return "off";
    case MatrixOutcome::kRefused:
      return "refused";
    case MatrixOutcome::kRefusedMeasured:
      return "refused (measured)";
  }
  return "?";
}

Matrix RunMatrix(std::span<const std::string> cards) {
  std::vector<std::string> names(cards.begin(), cards.end());
  if (names.empty()) {
    for (const auto& name : virt::CardNames())
      names.emplace_back(name);
  }
  Matrix matrix;
  for (const std::string& card : names) {
    CardSummary summary = RunCard(card, {}, &matrix.cells);
    summary.better = FindBetterChoice(card, summary);
    matrix.cards.push_back(std::move(summary));
  }
  return matrix;
}

}  // namespace zanvo::scope
