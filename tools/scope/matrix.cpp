#include "matrix.h"

#include <algorithm>

#include "chipset/catalogue.h"
#include "engine/chip_codes.h"
#include "engine/field_check.h"
#include "physical_reason.h"
#include "platform/virtual/card_catalog.h"
#include "platform/virtual/display_driver.h"
#include "platform/virtual/signal/picture.h"
#include "platform/virtual/signal/standard_rates.h"
#include "scope_picture.h"
#include "scope_session.h"
#include "standard_targets.h"

namespace zanvo::scope {
namespace {

// The field check's band is built on the same hold range the matrix judges a lock by.
static_assert(engine::kSetFieldHoldRange == virt::kLockFieldTolerance);
static_assert(engine::kFieldGuardBand > virt::kLockFieldTolerance);

constexpr uint8_t kMatrixStandards[] = {engine::vsPAL, engine::vsNTSC, engine::vs24kHz};

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
  options.bits_per_pixel = mode.bits_per_pixel;
  options.depth_given = true;
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
  cell.bits_per_pixel = mode.bits_per_pixel;
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
  cell.final_line_hz = mark.final_signal.line_rate_hz;
  cell.final_field_hz = mark.final_signal.field_rate_hz;
  cell.final_interlaced = mark.final_signal.interlaced;
  cell.final_lines = mark.final_signal.display_lines_per_field;
  cell.fill = mark.fill;
  cell.shown = mark.shown;
  cell.path = MarkText(mark.outcome, mark.final_outcome, mark.sibling_caption, mark.own_clock,
                       mark.computed);
  // The depth the driver set, as the run reports it.
  cell.bits_per_pixel = report.mode.bits_per_pixel;
  // A squashed picture is not a refusal, even after a missed field a recovery mended: it names
  // the picture's size, as the tables' squashed cells do.
  if (chipset.computed && cell.final_outcome == MatrixOutcome::kSquashed) {
    cell.computed_reason = "picture " + virt::FillText(cell.fill);
  } else if (chipset.computed && !IsUsable(cell.final_outcome)) {
    cell.computed_reason = PhysicalReason(report, standard, cell.reason);
  }
  return cell;
}

// A cell the tables refuse or squash, run again with computed timings: what the user finally
// gets then, and how.
void AddComputedOutcome(MatrixCell& cell, const virt::DesktopMode& mode, const Chipset& chipset) {
  Chipset computed = chipset;
  computed.computed = true;
  MatrixCell again = RunCell(cell.card, mode, cell.standard, cell.interlace_allowed, computed);
  cell.computed_outcome = again.final_outcome;
  cell.computed_mark = std::move(again.path);
  cell.computed_reason = std::move(again.computed_reason);
  cell.computed_line_hz = again.final_line_hz;
  cell.computed_field_hz = again.final_field_hz;
  cell.computed_interlaced = again.final_interlaced;
  cell.computed_lines = again.final_lines;
  cell.computed_fill = again.fill;
}

// The cells computed timings are tried on: refused by the tables, or squashed by them.
bool WantsComputed(const MatrixCell& cell) {
  return cell.final_outcome == MatrixOutcome::kRefused ||
         cell.final_outcome == MatrixOutcome::kSquashed;
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
  for (const virt::DesktopMode& mode : virt::DriverModes(*model)) {
    for (const uint8_t standard : kMatrixStandards) {
      for (const bool interlace_allowed : {true, false}) {
        MatrixCell cell = RunCell(card, mode, standard, interlace_allowed, chipset);
        if (into && WantsComputed(cell)) {
          AddComputedOutcome(cell, mode, chipset);
          if (IsUsable(*cell.computed_outcome)) {
            ++summary.computed_usable;
          } else if (cell.final_outcome == MatrixOutcome::kRefused) {
            ++summary.computed_refused;
          }
        }
        switch (cell.outcome) {
          case MatrixOutcome::kExact:
            ++summary.exact;
            break;
          case MatrixOutcome::kLocks:
            ++summary.locks;
            break;
          case MatrixOutcome::kSquashed:
            ++summary.squashed;
            break;
          case MatrixOutcome::kOff:
            ++summary.off;
            break;
          case MatrixOutcome::kRefused:
          case MatrixOutcome::kRefusedMeasured:
          case MatrixOutcome::kRefusedDisturbed:
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
// desktop arrives whole and fills the set in its shape; otherwise off, with the reason the
// picture gives, or squashed, with what the picture fills.
MatrixOutcome JudgeShown(const virt::Signal& shown, const ScopeReport& report, uint8_t standard,
                         std::string& reason, virt::PictureFill& fill) {
  const virt::DesktopLayout desktop = virt::DesktopOf(report.monitor);
  fill = virt::MeasureFill(ReceiverFor(standard), shown, report.mode);
  const MatrixOutcome outcome = OutcomeOf(JudgeAgainstStandard(shown, standard));
  if (!IsUsable(outcome)) return outcome;
  virt::PictureVerdict picture = virt::JudgePicture(shown, desktop);
  if (!picture.whole) {
    reason = "desktop scrambled: " + std::move(picture.reason);
    return MatrixOutcome::kOff;
  }
  if (virt::FillsTheSet(fill)) return outcome;
  reason = "picture " + virt::FillText(fill);
  return MatrixOutcome::kSquashed;
}

// The desktop the signal the run leaves shows, down to the last row its frame reaches.
DesktopShown ShownOf(const ScopeReport& report) {
  const virt::DesktopLayout desktop = virt::DesktopOf(report.monitor);
  DesktopShown shown;
  shown.desktop_rows = desktop.rows;
  // The desktop's own width; the monitor's line carries all of it, however many dots a pixel
  // takes there, so the signal's line carries its share.
  shown.desktop_pixels = report.width;
  // Where every other row is shown, the last one shown stands for the row after it too.
  const int step = std::max(1, virt::JudgePicture(report.signal, desktop).step);
  int last = -step;
  for (const int row : virt::FrameRows(report.signal, desktop))
    last = std::max(last, row);
  shown.rows = std::clamp(last + step, 0, std::max(0, desktop.rows));
  const int monitor_pixels = std::max(1, desktop.width);
  const long long pixels =
      static_cast<long long>(virt::PixelsPerLine(report.signal)) * report.width / monitor_pixels;
  shown.pixels = static_cast<int>(std::clamp(pixels, 0LL, static_cast<long long>(report.width)));
  return shown;
}

}  // namespace

nlohmann::json ShownJson(const DesktopShown& s) {
  const auto share = [](int part, int whole) { return whole > 0 ? double(part) / whole : 0.0; };
  return {{"rows", s.rows},
          {"desktop_rows", s.desktop_rows},
          {"pixels", s.pixels},
          {"desktop_pixels", s.desktop_pixels},
          {"height_share", share(s.rows, s.desktop_rows)},
          {"width_share", share(s.pixels, s.desktop_pixels)}};
}

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
  // Whatever happened on the way, the user ends with the signal the run leaves.
  mark.final_signal = report.signal;
  if (!report.fitted) {
    mark.outcome = MatrixOutcome::kRefused;
    mark.final_outcome = MatrixOutcome::kRefused;
    // With computed timings on, a missing row means a rule the computed rows could not keep:
    // named as the matrix names it.
    mark.reason = report.computed_on          ? PhysicalReason(report, standard)
                  : report.cut_line_offset != 0 ? CutStrideText(report)
                  : report.row_found          ? "no timing row for the line count"
                                              : "no timing row for the width";
    return mark;
  }
  mark.outcome = JudgeShown(mark.judged, report, standard, mark.reason, mark.fill);
  if (mark.outcome == MatrixOutcome::kOff && mark.reason.empty()) {
    mark.reason = report.clock_miss_cause;
    // What the analyzer found wrong in the registers themselves, in its own words.
    for (const std::string& contradiction : mark.judged.contradictions)
      mark.reason += (mark.reason.empty() ? "" : "; ") + contradiction;
  }
  if (report.field_check) mark.measured_field_hz = report.field_check->field_hz;
  const bool disturbed = refused_measured && !report.field_check->clean_miss &&
                         report.field_check->measurements > 0 &&
                         report.field_check->cannot_measure.empty();
  mark.final_outcome = disturbed          ? MatrixOutcome::kRefusedDisturbed
                       : refused_measured ? MatrixOutcome::kRefusedMeasured
                                          : mark.outcome;
  if (report.sibling_search && report.sibling_search->kept) {
    // The sibling's standard stays on the card: what the user gets is its signal.
    const uint16_t kept = *report.sibling_search->kept;
    mark.sibling_model = kept;
    mark.sibling_caption = ModelCaption(report.family, kept);
    mark.sibling_field_hz = report.sibling_search->tries.back().field_hz;
    std::string sibling_reason;
    mark.final_outcome = JudgeShown(report.signal, report, standard, sibling_reason, mark.fill);
  }
  if (report.own_clock && report.own_clock->passed) {
    mark.own_clock = true;
    mark.own_clock_field_hz = report.own_clock->field_hz;
    std::string own_clock_reason;
    mark.final_outcome =
        JudgeShown(report.signal, report, standard, own_clock_reason, mark.fill);
  }
  // A refused switch leaves the monitor timings: no picture of the standard reaches the set.
  if (mark.final_outcome == MatrixOutcome::kRefusedMeasured ||
      mark.final_outcome == MatrixOutcome::kRefusedDisturbed) {
    mark.fill = {};
  } else {
    mark.shown = ShownOf(report);
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
    case MatrixOutcome::kSquashed:
      return "squashed";
    case MatrixOutcome::kOff:
      return "off";
    case MatrixOutcome::kRefused:
      return "refused";
    case MatrixOutcome::kRefusedMeasured:
      return "refused (measured)";
    case MatrixOutcome::kRefusedDisturbed:
      return "refused (disturbed)";
  }
  return "?";
}

std::string ModeText(const MatrixCell& cell) {
  return virt::ModeName({cell.width, cell.height, cell.bits_per_pixel});
}

bool IsUsable(MatrixOutcome outcome) {
  return outcome == MatrixOutcome::kExact || outcome == MatrixOutcome::kLocks;
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
