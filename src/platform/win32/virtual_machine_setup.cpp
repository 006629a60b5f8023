#include "platform/win32/virtual_machine_setup.h"

#include <algorithm>
#include <cstdint>
#include <optional>

#include "platform/virtual/card_catalog.h"
#include "platform/virtual/display_driver.h"

namespace zanvo::win32 {

namespace {

constexpr std::string_view kDefaultCard = virt::kDefaultCardName;
constexpr std::string_view kDefaultMode = "640x480";

std::string KnownCards() {
  std::string list;
  for (std::string_view name : virt::CardNames()) {
    if (!list.empty()) list += ", ";
    list += name;
  }
  return list;
}

std::string OfferedModes(const virt::VgaCard& card) {
  std::string list;
  for (const virt::DesktopMode& mode : virt::DriverModes(card)) {
    if (!list.empty()) list += ", ";
    list += virt::ModeName(mode);
  }
  return list;
}

}  // namespace

VirtualMachineSetup SetUpVirtualMachine(std::string_view card_name, std::string_view mode) {
  if (card_name.empty()) card_name = kDefaultCard;
  if (mode.empty()) mode = kDefaultMode;
  VirtualMachineSetup setup;
  std::unique_ptr<virt::VgaCard> card = virt::MakeCard(card_name);
  if (!card) {
    setup.error = "ZANVO_VIRTUAL_CARD: there is no virtual card \"" + std::string(card_name) +
                  "\".\nKnown cards: " + KnownCards() + ".";
    return setup;
  }
  std::string problem;
  std::optional<virt::DesktopMode> chosen = virt::ParseDesktopMode(mode, problem);
  if (!chosen) {
    setup.error = "ZANVO_VIRTUAL_MODE: \"" + std::string(mode) + "\": " + problem + ".";
    return setup;
  }
  // A size without a depth is the driver's depth for it, as zanvo-scope takes it.
  if (std::count(mode.begin(), mode.end(), 'x') + std::count(mode.begin(), mode.end(), 'X') < 2)
    chosen = virt::DefaultDepthMode(*card, chosen->width, chosen->height);
  if (!virt::SetDesktopMode(*card, *chosen)) {
    setup.error = "ZANVO_VIRTUAL_MODE: \"" + std::string(mode) + "\" is not a desktop mode of " +
                  std::string(card_name) + " with " + std::to_string(card->memory_kib()) +
                  " KB.\nModes: " + OfferedModes(*card) + ".";
    return setup;
  }
  setup.pc = std::make_unique<virt::VirtualPc>(std::move(card));
  return setup;
}

}  // namespace zanvo::win32
