#pragma once
// The about box as a real modal window.

#include <windows.h>

#include "app/about_box.h"
#include "platform/toolkit/form.h"

namespace zanvo::win32 {

// Shows the box owned by `owner` (disabled meanwhile) and returns its modal result.
int ShowAboutWindow(HWND owner, app::TAboutBox& box, toolkit::Application& application);

}  // namespace zanvo::win32
