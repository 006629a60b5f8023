#include "platform/win32/virtual_machine_setup.h"

#include <charconv>
#include <cstdint>
#include <optional>

#include "platform/virtual/card_catalog.h"
#include "platform/virtual/display_driver.h"

namespace zanvo::win32 {

namespace {

constexpr std::string_view kDefaultCard = virt::kDefaultCardName;
constexpr std::string_view kDefaultMode = "640x480";

struct Size {
  uint16_t width = 0;
  uint16_t height = 0;
};

std::optional<uint16_t> ParseNumber(std::string_view text) {
  uint16_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || end != text.data() + text.size() || value == 0) return std::nullopt;
  return value;
}

std::optional<Size> ParseMode(std::string_view mode) {
  const size_t x = mode.find_first_of("xX");
  if (x == std::string_view::npos) return std::nullopt;
  const auto width = ParseNumber(mode.substr(0, x));
  const auto height = ParseNumber(mode.substr(x + 1));
  if (!width || !height) return std::nullopt;
  return Size{*width, *height};
}

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
  for (const virt::DesktopMode& mode : virt::DesktopModes()) {
    if (!virt::DesktopModeTiming(card, mode.width, mode.height)) continue;
    if (!list.empty()) list += ", ";
    list += std::to_string(mode.width) + "x" + std::to_string(mode.height);
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
  const std::optional<Size> size = ParseMode(mode);
  if (!size || !virt::SetDesktopMode(*card, size->width, size->height)) {
    setup.error = "ZANVO_VIRTUAL_MODE: \"" + std::string(mode) + "\" is not a desktop mode of " +
                  std::string(card_name) + ".\nModes: " + OfferedModes(*card) + ".";
    return setup;
  }
  setup.pc = std::make_unique<virt::VirtualPc>(std::move(card));
  return setup;
}

}  // namespace zanvo::win32
