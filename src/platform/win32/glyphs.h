#pragma once
// The pictures the windows draw with GDI: the four arrows of the centering buttons, the small
// screen in the "Output Centering" group and the about box's picture.

#include <windows.h>

#include "platform/win32/win32_toolkit.h"

namespace zanvo::win32 {

enum class Arrow { kUp, kLeft, kRight, kDown };

// A filled triangle pointing the arrow's way; grey and etched when disabled, moved down and right
// by one pixel while the button is held.
Painter ArrowGlyph(Arrow arrow);

// 17 x 17: a monitor with a picture centred in it.
void PaintScreenPicture(HDC dc, const RECT& rect);

// 100 x 76: a television showing colour bars.
void PaintAboutPicture(HDC dc, const RECT& rect);

}  // namespace zanvo::win32
