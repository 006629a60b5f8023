#pragma once
// --list-cards: the virtual cards with their chips as the window names them and the desktop
// modes their drivers offer.

#include <cstdint>
#include <iosfwd>
#include <string>

#include <nlohmann/json.hpp>

namespace zanvo::scope {

// Every card, or only the one `only` names (empty: every card); with `memory_kib` (0: each
// card's default) that card on that memory, its modes those its driver offers there. Nothing,
// with the reason in `error`, for a memory the card was not sold with.
void PrintCardList(std::ostream& out, const std::string& only, uint32_t memory_kib,
                   std::string& error);
// The same for scripts: name, family, model, chip and desktop modes of each card; null, with
// the reason in `error`, where PrintCardList fails.
nlohmann::json CardListJson(const std::string& only, uint32_t memory_kib, std::string& error);

}  // namespace zanvo::scope
