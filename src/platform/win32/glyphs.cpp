#include "platform/win32/glyphs.h"

#include <array>

namespace zanvo::win32 {

namespace {

void FillPolygon(HDC dc, const POINT* points, int count, COLORREF colour) {
  HBRUSH brush = CreateSolidBrush(colour);
  HPEN pen = CreatePen(PS_SOLID, 1, colour);
  HGDIOBJ old_brush = SelectObject(dc, brush);
  HGDIOBJ old_pen = SelectObject(dc, pen);
  Polygon(dc, points, count);
  SelectObject(dc, old_pen);
  SelectObject(dc, old_brush);
  DeleteObject(pen);
  DeleteObject(brush);
}

void FillBox(HDC dc, int left, int top, int right, int bottom, COLORREF colour) {
  const RECT box{left, top, right, bottom};
  HBRUSH brush = CreateSolidBrush(colour);
  FillRect(dc, &box, brush);
  DeleteObject(brush);
}

// The triangle's three corners around the centre (cx, cy); `r` is half its base.
std::array<POINT, 3> Triangle(Arrow arrow, int cx, int cy, int r) {
  switch (arrow) {
    case Arrow::kUp:
      return {{{cx - r, cy + r / 2}, {cx + r, cy + r / 2}, {cx, cy - r / 2 - 1}}};
    case Arrow::kDown:
      return {{{cx - r, cy - r / 2}, {cx + r, cy - r / 2}, {cx, cy + r / 2 + 1}}};
    case Arrow::kLeft:
      return {{{cx + r / 2, cy - r}, {cx + r / 2, cy + r}, {cx - r / 2 - 1, cy}}};
    case Arrow::kRight:
    default:
      return {{{cx - r / 2, cy - r}, {cx - r / 2, cy + r}, {cx + r / 2 + 1, cy}}};
  }
}

}  // namespace

Painter ArrowGlyph(Arrow arrow) {
  return [arrow](HDC dc, const RECT& rect, bool pressed, bool enabled) {
    const int shift = pressed ? 1 : 0;
    const int cx = (rect.left + rect.right) / 2 + shift;
    const int cy = (rect.top + rect.bottom) / 2 + shift;
    constexpr int kHalfBase = 4;
    auto points = Triangle(arrow, cx, cy, kHalfBase);
    if (!enabled) {
      // The etched look of a disabled glyph: a white copy one pixel down and right.
      auto etch = points;
      for (POINT& p : etch) {
        ++p.x;
        ++p.y;
      }
      FillPolygon(dc, etch.data(), 3, GetSysColor(COLOR_BTNHIGHLIGHT));
    }
    FillPolygon(dc, points.data(), 3, GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
  };
}

void PaintScreenPicture(HDC dc, const RECT& rect) {
  const int l = rect.left;
  const int t = rect.top;
  // Cabinet, screen, the centred picture, the stand.
  FillBox(dc, l + 1, t + 1, l + 16, t + 13, RGB(64, 64, 64));
  FillBox(dc, l + 3, t + 3, l + 14, t + 11, RGB(0, 0, 128));
  FillBox(dc, l + 6, t + 5, l + 11, t + 9, RGB(0, 255, 255));
  FillBox(dc, l + 6, t + 13, l + 11, t + 15, RGB(64, 64, 64));
  FillBox(dc, l + 3, t + 15, l + 14, t + 16, RGB(64, 64, 64));
}

void PaintAboutPicture(HDC dc, const RECT& rect) {
  const int l = rect.left;
  const int t = rect.top;
  const int w = rect.right - rect.left;
  const int h = rect.bottom - rect.top;
  // The cabinet with a knob panel on the right, the screen left of it.
  FillBox(dc, l, t, l + w, t + h - 6, RGB(96, 64, 32));
  FillBox(dc, l + w / 4, t + h - 6, l + w / 4 + 6, t + h, RGB(48, 32, 16));
  FillBox(dc, l + w - w / 4 - 6, t + h - 6, l + w - w / 4, t + h, RGB(48, 32, 16));
  const RECT screen{l + 5, t + 5, l + w - 22, t + h - 11};
  // The seven bars of the test signal, brightest first.
  static constexpr std::array<COLORREF, 7> kBars = {
      RGB(192, 192, 192), RGB(192, 192, 0), RGB(0, 192, 192), RGB(0, 192, 0),
      RGB(192, 0, 192),   RGB(192, 0, 0),   RGB(0, 0, 192)};
  const int span = screen.right - screen.left;
  for (int i = 0; i < 7; ++i) {
    const int left = screen.left + span * i / 7;
    const int right = screen.left + span * (i + 1) / 7;
    FillBox(dc, left, screen.top, right, screen.bottom, kBars[static_cast<size_t>(i)]);
  }
  // Two knobs.
  const int knob_x = l + w - 16;
  FillBox(dc, knob_x, t + 10, knob_x + 10, t + 20, RGB(200, 200, 200));
  FillBox(dc, knob_x, t + 28, knob_x + 10, t + 38, RGB(200, 200, 200));
}

}  // namespace zanvo::win32
