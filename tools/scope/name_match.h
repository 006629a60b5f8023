#pragma once
// Names typed on the command line (cards, options): found in any case, and when unknown, the
// nearest known one offered.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zanvo::scope {

// The known name `typed` spells, in any case; nothing when none.
std::optional<std::string> FindName(std::string_view typed, const std::vector<std::string>& names);

// The known name closest to `typed`: one that holds it whole ("et4000" in "tseng-et4000"), else
// the fewest letters changed, when few enough to be a slip; empty when none is close.
std::string NearestName(std::string_view typed, const std::vector<std::string>& names);

// "; did you mean NAME?" for the nearest name, or an empty text.
std::string DidYouMean(std::string_view typed, const std::vector<std::string>& names);

}  // namespace zanvo::scope
