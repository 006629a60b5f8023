#pragma once
// --list-cards: the virtual cards with their chips as the window names them and the desktop
// modes their drivers offer.

#include <iosfwd>

#include <nlohmann/json.hpp>

namespace zanvo::scope {

void PrintCardList(std::ostream& out);
// The same for scripts: name, family, model, chip and desktop modes of each card.
nlohmann::json CardListJson();

}  // namespace zanvo::scope
