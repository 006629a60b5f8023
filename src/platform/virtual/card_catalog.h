#pragma once
// The virtual cards by name.

#include <memory>
#include <span>
#include <string_view>

#include "platform/virtual/cards/vga_card.h"

namespace zanvo::virt {

// A card in its power-on state (the BIOS's 80x25 text mode), or nullptr for an unknown name.
std::unique_ptr<VgaCard> MakeCard(std::string_view name);

// The card both front ends simulate when none is named (zanvo-scope's --card, the Windows
// program's ZANVO_VIRTUAL_CARD): a common chip of one of the families, so that the engine's own
// registers are at work from the first run.
inline constexpr std::string_view kDefaultCardName = "s3-trio64";

// Every name MakeCard accepts.
std::span<const std::string_view> CardNames();

}  // namespace zanvo::virt
