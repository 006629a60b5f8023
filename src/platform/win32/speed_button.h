#pragma once
// A flat button with a drawn glyph that never takes the keyboard focus, so a click on it leaves
// the focus where the user had it. It tells its parent of a click as a push button does:
// WM_COMMAND with BN_CLICKED, also for BM_CLICK.

#include <windows.h>

#include "platform/win32/win32_toolkit.h"

namespace zanvo::win32 {

// `glyph` must outlive the button.
HWND CreateSpeedButton(HWND parent, int id, const RECT& bounds, bool visible, const Painter* glyph);

}  // namespace zanvo::win32
