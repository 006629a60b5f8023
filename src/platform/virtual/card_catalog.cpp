#include "platform/virtual/card_catalog.h"

#include <array>

#include "platform/virtual/display_driver.h"
#include "platform/virtual/standard_vga.h"

namespace zanvo::virt {

namespace {
constexpr std::array<std::string_view, 1> kCardNames = {"vga"};
}

std::unique_ptr<VgaCard> MakeCard(std::string_view name) {
  std::unique_ptr<VgaCard> card;
  if (name == "vga") card = std::make_unique<StandardVga>();
  if (card) card->SetMode(BiosTextMode());
  return card;
}

std::span<const std::string_view> CardNames() {
  return kCardNames;
}

}  // namespace zanvo::virt
