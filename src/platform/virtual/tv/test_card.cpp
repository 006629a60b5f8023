#include "platform/virtual/tv/test_card.h"

#include <algorithm>
#include <string>

#include "platform/virtual/signal/desktop_mode.h"

namespace zanvo::virt {

namespace {

constexpr int kGridStep = 32;
constexpr Rgb kStartButton = 0x808080;

// Text grows with the desktop so it stays readable once the set has squeezed the lines.
int TextScale(int height) {
  return std::max(1, height / 240);
}

void DrawGrid(Image& card) {
  for (int x = kGridStep; x < card.width; x += kGridStep) {
    FillRect(card, x, 0, 1, card.height, kTestCardGrid);
  }
  for (int y = kGridStep; y < card.height; y += kGridStep) {
    FillRect(card, 0, y, card.width, 1, kTestCardGrid);
  }
}

int TaskbarHeight(const Image& card) {
  return std::max(4, card.height / 17);
}

void DrawTaskbar(Image& card) {
  const int height = TaskbarHeight(card);
  const int top = card.height - height;
  FillRect(card, 0, top, card.width, height, kTestCardTaskbar);
  FillRect(card, 0, top, card.width, 1, kTestCardBorder);
  const int margin = std::max(1, height / 6);
  FillRect(card, margin + 2, top + margin, std::max(8, card.width / 12), height - 2 * margin,
           kStartButton);
}

void DrawRowNumbers(Image& card, int scale) {
  const int step = kGridStep * std::max(1, scale);
  const int taskbar_top = card.height - TaskbarHeight(card);
  for (int y = step; y + 2 + kGlyphHeight * scale < taskbar_top; y += step) {
    DrawText(card, 4, y + 2, std::to_string(y), kTestCardText, scale);
  }
}

// The sixteen colours of the VGA's default palette (the attribute controller's first sixteen
// entries as the BIOS loads them).
constexpr Rgb kSixteen[] = {0x000000, 0x0000AA, 0x00AA00, 0x00AAAA, 0xAA0000, 0xAA00AA,
                            0xAA5500, 0xAAAAAA, 0x555555, 0x5555FF, 0x55FF55, 0x55FFFF,
                            0xFF5555, 0xFF55FF, 0xFFFF55, 0xFFFFFF};

int Channel(Rgb colour, int shift) {
  return static_cast<int>((colour >> shift) & 0xFF);
}

Rgb Nearest(Rgb colour, const Rgb* palette, int count) {
  Rgb best = palette[0];
  long best_distance = -1;
  for (int i = 0; i < count; ++i) {
    long distance = 0;
    for (const int shift : {16, 8, 0}) {
      const long d = Channel(colour, shift) - Channel(palette[i], shift);
      distance += d * d;
    }
    if (best_distance < 0 || distance < best_distance) {
      best = palette[i];
      best_distance = distance;
    }
  }
  return best;
}

// A channel kept to `bits` and widened back as a DAC shows it.
int Kept(int value, int bits) {
  const int levels = (1 << bits) - 1;
  return (value * levels + 127) / 255 * 255 / levels;
}

Rgb Join(int r, int g, int b) {
  return static_cast<Rgb>((r << 16) | (g << 8) | b);
}

}  // namespace

Rgb AtDepth(Rgb colour, int bits_per_pixel) {
  const int r = Channel(colour, 16), g = Channel(colour, 8), b = Channel(colour, 0);
  switch (bits_per_pixel) {
    case 4:
      return Nearest(colour, kSixteen, 16);
    case 8: {
      // Six levels a channel: 0, 51, ..., 255.
      const auto cube = [](int v) { return (v + 25) / 51 * 51; };
      return Join(cube(r), cube(g), cube(b));
    }
    case 15:
      return Join(Kept(r, 5), Kept(g, 5), Kept(b, 5));
    case 16:
      return Join(Kept(r, 5), Kept(g, 6), Kept(b, 5));
    default:
      return colour;
  }
}

Image DrawTestCard(int width, int height, int bits_per_pixel) {
  Image card(std::clamp(width, 1, kTestCardMaxSide), std::clamp(height, 1, kTestCardMaxSide),
             kTestCardBackground);
  const int scale = TextScale(card.height);
  DrawGrid(card);
  const int radius = std::min(card.width, card.height) * 9 / 20;
  Ring(card, card.width / 2, card.height / 2, radius, std::max(2, scale + 1), kTestCardCircle);
  const std::string mode =
      ModeName({static_cast<uint16_t>(card.width), static_cast<uint16_t>(card.height),
                static_cast<uint8_t>(bits_per_pixel)},
               false);
  const int mode_scale = 2 * scale;
  DrawText(card, (card.width - TextWidth(mode, mode_scale)) / 2,
           (card.height - kGlyphHeight * mode_scale) / 2, mode, kTestCardText, mode_scale);
  DrawTaskbar(card);
  DrawRowNumbers(card, scale);
  FrameRect(card, 1, 1, card.width - 2, card.height - 2, kTestCardBorder);
  if (bits_per_pixel != 24 && bits_per_pixel != 32) {
    for (int y = 0; y < card.height; ++y) {
      Rgb* row = card.Row(y);
      for (int x = 0; x < card.width; ++x)
        row[x] = AtDepth(row[x], bits_per_pixel);
    }
  }
  return card;
}

}  // namespace zanvo::virt
