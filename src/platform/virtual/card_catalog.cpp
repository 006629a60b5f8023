#include "platform/virtual/card_catalog.h"

#include <array>

#include "platform/virtual/display_driver.h"
#include "platform/virtual/standard_vga.h"

namespace zanvo::virt {

namespace {

struct CardEntry {
  std::string_view name;
  std::unique_ptr<VgaCard> (*make)();
};

template <typename Card>
std::unique_ptr<VgaCard> Make() {
  return std::make_unique<Card>();
}

// One line per card, in the order --list-cards shows them.
constexpr CardEntry kCards[] = {
    {"vga", Make<StandardVga>},
};

constexpr auto kCardNames = [] {
  std::array<std::string_view, std::size(kCards)> names{};
  for (size_t i = 0; i < std::size(kCards); ++i)
    names[i] = kCards[i].name;
  return names;
}();

}  // namespace

std::unique_ptr<VgaCard> MakeCard(std::string_view name) {
  for (const CardEntry& entry : kCards) {
    if (entry.name != name) continue;
    std::unique_ptr<VgaCard> card = entry.make();
    card->SetMode(BiosTextMode());
    return card;
  }
  return nullptr;
}

std::span<const std::string_view> CardNames() {
  return kCardNames;
}

}  // namespace zanvo::virt
