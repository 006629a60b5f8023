#pragma once
// The virtual cards by name.

#include <memory>
#include <span>
#include <string_view>

#include "platform/virtual/cards/vga_card.h"

namespace zanvo::virt {

// A card in its power-on state (the BIOS's 80x25 text mode), or nullptr for an unknown name.
std::unique_ptr<VgaCard> MakeCard(std::string_view name);

// Every name MakeCard accepts.
std::span<const std::string_view> CardNames();

}  // namespace zanvo::virt
