#pragma once
// An error box whose only button is "Abort". MessageBoxA has no such button set (Abort always
// comes with Retry and Ignore), so this is a small dialog of its own, built in memory. It looks
// and numbers its controls as a message box does: the icon is control 0x14, the text 0xFFFF,
// the button IDABORT.

#include <windows.h>

#include <string_view>

namespace zanvo::win32 {

// Shows the box modally over `owner` (may be null); returns IDABORT however it is closed.
int ShowAbortBox(HWND owner, std::string_view text, std::string_view caption);

}  // namespace zanvo::win32
