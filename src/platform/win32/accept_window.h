#pragma once
// The keep-settings dialog as a real modal window.

#include <windows.h>

#include "app/accept_dialog.h"
#include "platform/toolkit/form.h"

namespace zanvo::win32 {

// Shows the dialog owned by `owner` (disabled meanwhile) and returns its modal result.
int ShowAcceptWindow(HWND owner, app::TAcceptDlg& dialog, toolkit::Application& application);

}  // namespace zanvo::win32
