#include "card_list.h"

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "chip_names.h"
#include "platform/virtual/cards/ati_mach64_card.h"
#include "platform/virtual/card_catalog.h"
#include "platform/virtual/display_driver.h"
#include "text_format.h"

namespace zanvo::scope {
namespace {

struct ListedCard {
  std::string name;
  std::unique_ptr<virt::VgaCard> card;
};

// The cards the list shows, on the memory asked for; empty, with the reason, when a card was not
// sold with it.
std::vector<ListedCard> ListedCards(const std::string& only, uint32_t memory_kib,
                                    std::string& error) {
  std::vector<ListedCard> cards;
  for (const auto& name : virt::CardNames()) {
    if (!only.empty() && name != only) continue;
    ListedCard listed{std::string(name), virt::MakeCard(name)};
    if (memory_kib != 0 && !listed.card->SetMemoryKib(memory_kib)) {
      std::string sizes;
      for (const uint32_t kib : listed.card->MemorySizesKib())
        sizes += (sizes.empty() ? "" : ", ") + std::to_string(kib);
      error = "the " + listed.name + " was sold with " + sizes + " KB, not " +
              std::to_string(memory_kib);
      return {};
    }
    cards.push_back(std::move(listed));
  }
  return cards;
}

}  // namespace

void PrintCardList(std::ostream& out, const std::string& only, uint32_t memory_kib,
                   std::string& error) {
  const std::vector<ListedCard> cards = ListedCards(only, memory_kib, error);
  for (const ListedCard& listed : cards) {
    const std::string& name = listed.name;
    const virt::VgaCard* const card = listed.card.get();
    const auto* ati = dynamic_cast<const virt::AtiMach64Card*>(card);
    out << Format("%-18s family %3u, model 0x%04X  %s%s\n", name.c_str(),
                  unsigned{card->family()}, unsigned{card->model()},
                  ChipName(card->family(), card->model(), ati ? ati->ext_io_base() : 0).c_str(),
                  name == virt::kDefaultCardName ? " (the default)" : "");
    std::string sizes;
    for (const uint32_t kib : card->MemorySizesKib())
      sizes += (sizes.empty() ? "" : ", ") + std::to_string(kib);
    out << "    memory: " << sizes << " KB (default " << card->DefaultMemoryKib()
        << (memory_kib != 0 ? Format("; modes listed for %u", unsigned{memory_kib}) : "")
        << ")\n";
    const std::vector<virt::DesktopMode> modes = virt::DriverModes(*card);
    for (const uint8_t depth : virt::kDepths) {
      std::string line;
      for (const virt::DesktopMode& mode : modes) {
        if (mode.bits_per_pixel != depth) continue;
        line += (line.empty() ? "" : ", ") + virt::ModeName(mode, false);
      }
      if (!line.empty()) out << Format("    %2u bits: ", unsigned{depth}) << line << "\n";
    }
  }
}

nlohmann::json CardListJson(const std::string& only, uint32_t memory_kib, std::string& error) {
  const std::vector<ListedCard> cards = ListedCards(only, memory_kib, error);
  if (!error.empty()) return nullptr;
  nlohmann::json list = nlohmann::json::array();
  for (const ListedCard& listed : cards) {
    const std::string& name = listed.name;
    const virt::VgaCard* const card = listed.card.get();
    const auto* ati = dynamic_cast<const virt::AtiMach64Card*>(card);
    nlohmann::json modes = nlohmann::json::array();
    for (const virt::DesktopMode& mode : virt::DriverModes(*card)) {
      modes.push_back({{"width", mode.width},
                       {"height", mode.height},
                       {"bits_per_pixel", mode.bits_per_pixel},
                       {"double_scan", mode.double_scan}});
    }
    list.push_back({{"card", name},
                    {"family", card->family()},
                    {"model", card->model()},
                    {"chip", ChipName(card->family(), card->model(), ati ? ati->ext_io_base() : 0)},
                    {"default", name == virt::kDefaultCardName},
                    {"memory_kib", card->memory_kib()},
                    {"memory_sizes_kib", std::vector<uint32_t>(card->MemorySizesKib().begin(),
                                                               card->MemorySizesKib().end())},
                    {"modes", modes}});
  }
  return list;
}

}  // namespace zanvo::scope
