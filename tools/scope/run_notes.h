#pragma once
// Pieces of a zanvo-scope run's report kept apart from the session and the two report writers:
// the --move tally, spans that wrap past a line's end, and the note beside a detection that
// found another adapter than the one driving the screen.

#include <array>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/virtual/cards/vga_card.h"
#include "scope_options.h"

namespace zanvo::scope {

struct ScopeReport;

// How many --move steps of each direction (in Move's order) were made, and how many the
// centering bounds stopped (a step that would take a sync out of its blanking is not made).
struct MoveTally {
  std::array<int, 4> made{};
  std::array<int, 4> stopped{};
};

// Applies the moves in order through the engine, as the arrow buttons do, and counts them.
MoveTally ApplyMoves(const std::vector<Move>& moves, const virt::VgaCard& card);
// "left 6 made, 24 stopped by the bounds; up 1 made", directions in the order first asked.
std::string MoveTallyText(const std::vector<Move>& moves, const MoveTally& tally);
nlohmann::json MoveTallyJson(const MoveTally& tally);

// "94-121" on a 112-character line is "94-9 of the next line": where a blank or sync that wraps
// past the end of the line (or field) ends.
std::string SpanText(int start, int end, double period, const char* next);

// When --detect (and --next) stopped on another adapter than the one that drives the screen:
// which that is, and that Next moves on; else empty.
std::string DetectionNote(const ScopeOptions& options, const ScopeReport& report);

}  // namespace zanvo::scope
