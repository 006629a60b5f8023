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

// The card as the desktop holds it at `bits_per_pixel`: its colours as that depth keeps them
// (16 colours: the nearest of the standard sixteen; 256: the nearest of the 6x6x6 colour cube
// Windows' halftone palette holds; High Color: 5 bits a channel, 6 for green at 16 bits; True
// Color as drawn), and the depth beside the size in the middle.
Image DrawTestCard(int width, int height, int bits_per_pixel = 8);

// What a colour becomes in a frame buffer of `bits_per_pixel`.
Rgb AtDepth(Rgb colour, int bits_per_pixel);

}  // namespace zanvo::virt
