#pragma once
// What the desktop shows on the virtual PC. The card has no frame buffer, so the virtual TV
// draws this test card at the desktop's own resolution in its place: a border one pixel in from
// each edge, a grid, a circle (round only when the aspect ratio is right), the mode in the
// middle, row numbers down the left edge and a taskbar strip at the bottom.

#include "platform/virtual/tv/tv_image.h"

namespace zanvo::virt {

// The card's colours, for whoever needs to tell the desktop from the set's own black.
inline constexpr Rgb kTestCardBackground = 0x1F3F7F;
inline constexpr Rgb kTestCardGrid = 0x5F7FAF;
inline constexpr Rgb kTestCardBorder = 0xFFFFFF;
inline constexpr Rgb kTestCardCircle = 0xFFD040;
inline constexpr Rgb kTestCardText = 0xFFFFFF;
inline constexpr Rgb kTestCardTaskbar = 0xC0C0C0;

// Larger desktops are drawn at this size at most: no driver offers more, and a garbage mode
// must not ask for gigabytes.
inline constexpr int kTestCardMaxSide = 4096;

Image DrawTestCard(int width, int height);

}  // namespace zanvo::virt
