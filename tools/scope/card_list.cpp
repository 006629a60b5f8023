#include "card_list.h"

#include <ostream>
#include <string>
#include <vector>

#include "chip_names.h"
#include "platform/virtual/cards/ati_mach64_card.h"
#include "platform/virtual/card_catalog.h"
#include "platform/virtual/display_driver.h"
#include "text_format.h"

namespace zanvo::scope {

void PrintCardList(std::ostream& out) {
  for (const auto& name : virt::CardNames()) {
    const auto card = virt::MakeCard(name);
    const auto* ati = dynamic_cast<const virt::AtiMach64Card*>(card.get());
    out << Format("%-18s family %3u, model 0x%04X  %s%s\n", std::string(name).c_str(),
                  unsigned{card->family()}, unsigned{card->model()},
                  ChipName(card->family(), card->model(), ati ? ati->ext_io_base() : 0).c_str(),
                  name == virt::kDefaultCardName ? " (the default)" : "");
    std::string sizes;
    for (const uint32_t kib : card->MemorySizesKib())
      sizes += (sizes.empty() ? "" : ", ") + std::to_string(kib);
    out << "    memory: " << sizes << " KB (default " << card->memory_kib() << ")\n";
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

nlohmann::json CardListJson() {
  nlohmann::json list = nlohmann::json::array();
  for (const auto& name : virt::CardNames()) {
    const auto card = virt::MakeCard(name);
    const auto* ati = dynamic_cast<const virt::AtiMach64Card*>(card.get());
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
