#include "platform/virtual/tv/tv_image.h"

#include <algorithm>

namespace zanvo::virt {

Image::Image(int w, int h, Rgb fill)
    : width(std::max(0, w)),
      height(std::max(0, h)),
      pixels(static_cast<size_t>(width) * static_cast<size_t>(height), fill) {}

void FillRect(Image& image, int x, int y, int w, int h, Rgb colour) {
  const int x0 = std::max(0, x);
  const int y0 = std::max(0, y);
  const int x1 = std::min(image.width, x + std::max(0, w));
  const int y1 = std::min(image.height, y + std::max(0, h));
  for (int row = y0; row < y1; ++row) {
    std::fill(image.Row(row) + x0, image.Row(row) + std::max(x0, x1), colour);
  }
}

void FrameRect(Image& image, int x, int y, int w, int h, Rgb colour) {
  if (w <= 0 || h <= 0) return;
  FillRect(image, x, y, w, 1, colour);
  FillRect(image, x, y + h - 1, w, 1, colour);
  FillRect(image, x, y, 1, h, colour);
  FillRect(image, x + w - 1, y, 1, h, colour);
}

void Ring(Image& image, int cx, int cy, int radius, int thickness, Rgb colour) {
  if (radius <= 0) return;
  const long long outer = radius + thickness / 2;
  const long long inner = std::max(0, radius - (thickness + 1) / 2);
  const long long outer2 = outer * outer;
  const long long inner2 = inner * inner;
  const int y0 = std::max(0, cy - static_cast<int>(outer));
  const int y1 = std::min(image.height - 1, cy + static_cast<int>(outer));
  for (int y = y0; y <= y1; ++y) {
    const long long dy = y - cy;
    const int x0 = std::max(0, cx - static_cast<int>(outer));
    const int x1 = std::min(image.width - 1, cx + static_cast<int>(outer));
    Rgb* row = image.Row(y);
    for (int x = x0; x <= x1; ++x) {
      const long long dx = x - cx;
      const long long d2 = dx * dx + dy * dy;
      if (d2 <= outer2 && d2 >= inner2) row[x] = colour;
    }
  }
}

}  // namespace zanvo::virt
