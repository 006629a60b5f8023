#include "platform/virtual/tv/test_card.h"

#include <algorithm>
#include <string>

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

}  // namespace

Image DrawTestCard(int width, int height) {
  Image card(std::clamp(width, 1, kTestCardMaxSide), std::clamp(height, 1, kTestCardMaxSide),
             kTestCardBackground);
  const int scale = TextScale(card.height);
  DrawGrid(card);
  const int radius = std::min(card.width, card.height) * 9 / 20;
  Ring(card, card.width / 2, card.height / 2, radius, std::max(2, scale + 1), kTestCardCircle);
  const std::string mode = std::to_string(card.width) + "x" + std::to_string(card.height);
  const int mode_scale = 2 * scale;
  DrawText(card, (card.width - TextWidth(mode, mode_scale)) / 2,
           (card.height - kGlyphHeight * mode_scale) / 2, mode, kTestCardText, mode_scale);
  DrawTaskbar(card);
  DrawRowNumbers(card, scale);
  FrameRect(card, 1, 1, card.width - 2, card.height - 2, kTestCardBorder);
  return card;
}

}  // namespace zanvo::virt
