#include "card_list.h"

#include <ostream>
#include <string>

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
    std::string modes;
    for (const virt::DesktopMode& mode : virt::DesktopModes()) {
      if (!virt::DesktopModeTiming(*card, mode.width, mode.height)) continue;
      modes += (modes.empty() ? "" : ", ") + std::to_string(mode.width) + "x" +
               std::to_string(mode.height);
    }
    out << "    desktop modes: " << modes << "\n";
  }
}

nlohmann::json CardListJson() {
  nlohmann::json list = nlohmann::json::array();
  for (const auto& name : virt::CardNames()) {
    const auto card = virt::MakeCard(name);
    const auto* ati = dynamic_cast<const virt::AtiMach64Card*>(card.get());
    nlohmann::json modes = nlohmann::json::array();
    for (const virt::DesktopMode& mode : virt::DesktopModes()) {
      if (virt::DesktopModeTiming(*card, mode.width, mode.height))
        modes.push_back({{"width", mode.width}, {"height", mode.height}});
    }
    list.push_back({{"card", name},
                    {"family", card->family()},
                    {"model", card->model()},
                    {"chip", ChipName(card->family(), card->model(), ati ? ati->ext_io_base() : 0)},
                    {"default", name == virt::kDefaultCardName},
                    {"modes", modes}});
  }
  return list;
}

}  // namespace zanvo::scope
