#pragma once
// An RGB picture as the virtual TV draws it, with the few drawing primitives the test card and
// the no-lock screen need. Rows run top to bottom; a pixel is 0x00RRGGBB. Drawing outside the
// picture is clipped, so callers may pass any coordinates.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace zanvo::virt {

using Rgb = uint32_t;
inline constexpr Rgb kRgbBlack = 0x000000;

struct Image {
  int width = 0;
  int height = 0;
  std::vector<Rgb> pixels;

  Image() = default;
  Image(int w, int h, Rgb fill = kRgbBlack);

  bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
  Rgb At(int x, int y) const { return pixels[Index(x, y)]; }
  void Set(int x, int y, Rgb colour) {
    if (Contains(x, y)) pixels[Index(x, y)] = colour;
  }
  Rgb* Row(int y) { return pixels.data() + Index(0, y); }
  const Rgb* Row(int y) const { return pixels.data() + Index(0, y); }

 private:
  size_t Index(int x, int y) const {
    return static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x);
  }
};

void FillRect(Image& image, int x, int y, int w, int h, Rgb colour);
// A one-pixel outline of the rectangle.
void FrameRect(Image& image, int x, int y, int w, int h, Rgb colour);
// A ring of the given thickness around (cx, cy).
void Ring(Image& image, int cx, int cy, int radius, int thickness, Rgb colour);

// Text in the built-in 5x7 font (digits, letters without case, ". : - / % x"), each dot drawn
// as a scale x scale square. Other characters show as a question mark.
void DrawText(Image& image, int x, int y, std::string_view text, Rgb colour, int scale = 1);
int TextWidth(std::string_view text, int scale = 1);
inline constexpr int kGlyphHeight = 7;

}  // namespace zanvo::virt
