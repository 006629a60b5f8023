#include "name_match.h"

#include <algorithm>
#include <cctype>

namespace zanvo::scope {
namespace {

std::string Lowered(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// Levenshtein distance: letters inserted, removed or changed.
size_t EditDistance(const std::string& a, const std::string& b) {
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j)
    row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

}  // namespace

std::optional<std::string> FindName(std::string_view typed, const std::vector<std::string>& names) {
  const std::string wanted = Lowered(typed);
  for (const std::string& name : names) {
    if (Lowered(name) == wanted) return name;
  }
  return std::nullopt;
}

std::string NearestName(std::string_view typed, const std::vector<std::string>& names) {
  const std::string wanted = Lowered(typed);
  if (wanted.size() < 2) return {};
  std::string best;
  for (const std::string& name : names) {
    if (Lowered(name).find(wanted) != std::string::npos &&
        (best.empty() || name.size() < best.size())) {
      best = name;
    }
  }
  if (!best.empty()) return best;
  // A slip: at most a third of the letters, and never more than three.
  size_t best_distance = std::min<size_t>(3, std::max<size_t>(1, wanted.size() / 3)) + 1;
  for (const std::string& name : names) {
    const size_t distance = EditDistance(wanted, Lowered(name));
    if (distance < best_distance) {
      best_distance = distance;
      best = name;
    }
  }
  return best;
}

std::string DidYouMean(std::string_view typed, const std::vector<std::string>& names) {
  const std::string nearest = NearestName(typed, names);
  return nearest.empty() ? std::string() : "; did you mean " + nearest + "?";
}

}  // namespace zanvo::scope
