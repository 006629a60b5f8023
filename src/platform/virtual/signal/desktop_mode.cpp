#include "platform/virtual/signal/desktop_mode.h"

#include <charconv>
#include <system_error>

namespace zanvo::virt {

namespace {

std::optional<uint16_t> Number(std::string_view part) {
  unsigned value = 0;
  const auto [end, error] = std::from_chars(part.data(), part.data() + part.size(), value);
  if (part.empty() || error != std::errc{} || end != part.data() + part.size() || value == 0 ||
      value > 0xFFFF) {
    return std::nullopt;
  }
  return static_cast<uint16_t>(value);
}

std::string DepthList() {
  std::string list;
  for (const uint8_t depth : kDepths) {
    if (!list.empty()) list += ", ";
    list += std::to_string(depth);
  }
  return list;
}

}  // namespace

bool SameMode(const DesktopMode& a, const DesktopMode& b) {
  return a.width == b.width && a.height == b.height && a.bits_per_pixel == b.bits_per_pixel;
}

int BytesPerPixel(uint8_t bits_per_pixel) {
  return bits_per_pixel == 15 ? 2 : bits_per_pixel / 8;
}

uint32_t BytesFor(const DesktopMode& mode) {
  const uint32_t pixels = static_cast<uint32_t>(mode.width) * mode.height;
  if (mode.bits_per_pixel == 4) return pixels / 2;
  return pixels * static_cast<uint32_t>(BytesPerPixel(mode.bits_per_pixel));
}

std::string ModeName(const DesktopMode& mode, bool always_depth) {
  std::string name = std::to_string(mode.width);
  name += 'x';
  name += std::to_string(mode.height);
  if (always_depth || mode.bits_per_pixel != 8) {
    name += 'x';
    name += std::to_string(mode.bits_per_pixel);
  }
  return name;
}

std::optional<DesktopMode> ParseDesktopMode(std::string_view text, std::string& problem) {
  const std::string_view expected =
      "expected WIDTHxHEIGHT or WIDTHxHEIGHTxDEPTH, for example 640x480 or 800x600x16";
  const size_t first = text.find_first_of("xX");
  if (first == std::string_view::npos) {
    problem = std::string(expected);
    return std::nullopt;
  }
  const size_t second = text.find_first_of("xX", first + 1);
  const auto width = Number(text.substr(0, first));
  const auto height =
      Number(text.substr(first + 1, second == std::string_view::npos ? std::string_view::npos
                                                                     : second - first - 1));
  if (!width || !height) {
    problem = std::string(expected) + " (sizes are positive whole numbers)";
    return std::nullopt;
  }
  DesktopMode mode{*width, *height};
  if (second != std::string_view::npos) {
    const auto depth = Number(text.substr(second + 1));
    bool known = false;
    for (const uint8_t d : kDepths)
      known |= depth && *depth == d;
    if (!known) {
      problem = "the colour depth is one of " + DepthList() + " bits";
      return std::nullopt;
    }
    mode.bits_per_pixel = static_cast<uint8_t>(*depth);
  }
  problem.clear();
  return mode;
}

}  // namespace zanvo::virt
