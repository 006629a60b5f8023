#include "run_notes.h"

#include <cmath>

#include "chip_names.h"
#include "engine/centering.h"
#include "platform/virtual/signal/signal.h"
#include "scope_session.h"
#include "text_format.h"

namespace zanvo::scope {
namespace {

void ApplyMove(Move move) {
  switch (move) {
    case Move::kUp:
      engine::ScrollOutputUp();
      break;
    case Move::kDown:
      engine::ScrollOutputDown();
      break;
    case Move::kLeft:
      engine::ShiftOutputLeft();
      break;
    case Move::kRight:
      engine::ShiftOutputRight();
      break;
  }
}

constexpr Move kMoves[] = {Move::kUp, Move::kDown, Move::kLeft, Move::kRight};

}  // namespace

MoveTally ApplyMoves(const std::vector<Move>& moves, const virt::VgaCard& card) {
  MoveTally tally;
  for (const Move move : moves) {
    // A step the bounds stop writes nothing: the timing the registers give stays as it was.
    const virt::CrtcTiming before = virt::AnalyzeSignal(card).crtc;
    ApplyMove(move);
    const bool made = !(virt::AnalyzeSignal(card).crtc == before);
    ++(made ? tally.made : tally.stopped)[static_cast<size_t>(move)];
  }
  return tally;
}

std::string MoveTallyText(const std::vector<Move>& moves, const MoveTally& tally) {
  std::string text;
  std::array<bool, 4> shown{};
  for (const Move move : moves) {
    const auto i = static_cast<size_t>(move);
    if (shown[i]) continue;
    shown[i] = true;
    text += text.empty() ? "" : "; ";
    text += Format("%s %d made", MoveName(move), tally.made[i]);
    if (tally.stopped[i] > 0) text += Format(", %d stopped by the bounds", tally.stopped[i]);
  }
  return text;
}

nlohmann::json MoveTallyJson(const MoveTally& tally) {
  nlohmann::json j = nlohmann::json::object();
  for (const Move move : kMoves) {
    const auto i = static_cast<size_t>(move);
    j[MoveName(move)] = {{"made", tally.made[i]}, {"stopped", tally.stopped[i]}};
  }
  return j;
}

std::string SpanText(int start, int end, double period, const char* next) {
  const int whole = static_cast<int>(std::floor(period));
  if (whole <= 0 || end <= whole) return Format("%d-%d", start, end);
  return Format("%d-%d of the %s", start, end - whole, next);
}

std::string DetectionNote(const ScopeOptions& options, const ScopeReport& report) {
  if (!report.detected) return {};
  const DetectedChip& d = *report.detected;
  const bool same_family = d.family == report.card_family;
  const bool same_model = d.model == report.card_model || d.model == 0 || report.card_model == 0;
  if (same_family && same_model) return {};
  return Format(
      "The adapter detected is not the one that drives the screen: that is %s (%s) in slot %u. "
      "Next (--next) moves on to the next adapter, as the window's Next button.",
      options.card.c_str(), ChipName(report.card_family, report.card_model).c_str(),
      unsigned{report.card_slot});
}

}  // namespace zanvo::scope
