#pragma once
// The way back to a closed Virtual TV window: a "Virtual TV" item at the end of the system menu
// of ZANVO's window. The main window's own code is left as zanvo.exe has it; the item's command
// is caught by a subclass procedure before the window sees it.

#include <windows.h>

#include "platform/win32/virtual_tv_window.h"

namespace zanvo::win32 {

void AddVirtualTvMenuItem(HWND main_window, VirtualTvWindow& tv);

}  // namespace zanvo::win32
