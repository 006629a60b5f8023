#pragma once
// A desktop mode as a user picks it in the display settings, or a game sets it: its size and
// its colour depth. Which of them a card offers is the display driver's business.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zanvo::virt {

// The colour depths a Windows 9x display driver can offer: 16 colours (planar), 256 colours,
// High Color (15 and 16 bits) and True Color (24 bits packed, 32 bits with a pad byte).
inline constexpr uint8_t kDepths[] = {4, 8, 15, 16, 24, 32};

struct DesktopMode {
  uint16_t width = 0;
  uint16_t height = 0;
  uint8_t bits_per_pixel = 8;  // one of kDepths
  // Whether the driver scans every row twice (the low-resolution game modes): filled in by the
  // driver's mode list; setting a mode ignores it, since the driver decides.
  bool double_scan = false;
  bool operator==(const DesktopMode&) const = default;
};

// Whether the size and depth are the same, whatever the double scan says.
bool SameMode(const DesktopMode& a, const DesktopMode& b);

// Bytes one pixel takes in video memory (4-bit pixels: half a byte, given as 0; use BytesFor).
int BytesPerPixel(uint8_t bits_per_pixel);
// Bytes of video memory a mode's frame takes.
uint32_t BytesFor(const DesktopMode& mode);

// "800x600x16"; "640x480" when `always_depth` is false and the depth is 8 bits.
std::string ModeName(const DesktopMode& mode, bool always_depth = true);

// "WIDTHxHEIGHT" (8 bits) or "WIDTHxHEIGHTxDEPTH", 'X' for 'x' too. On a value that is not one,
// nullopt and `problem` says why in words for the user.
std::optional<DesktopMode> ParseDesktopMode(std::string_view text, std::string& problem);

}  // namespace zanvo::virt
