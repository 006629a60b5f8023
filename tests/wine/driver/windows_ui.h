#pragma once
// Finding and working the windows of another process, as a person at the screen would: by
// caption, by control ID and by the texts the controls show. Reads go through
// SendMessageTimeout, so a program stuck in a handler makes the driver fail, not hang.

#include <windows.h>

#include <string>

namespace e2e {

// The top-level window of process `pid` with this caption (visible ones only when asked), or 0.
HWND FindTopLevel(DWORD pid, const char* caption, bool visible_only);

// A visible top-level window of `pid` (of any process when 0) that has a descendant showing
// exactly `text`, or 0.
HWND FindTopLevelShowing(DWORD pid, const char* text);

// A visible window of class `class_name` that belongs to `pid` (pop-up menus are "#32768").
HWND FindVisibleOfClass(DWORD pid, const char* class_name);

// The descendant of `parent` (at any depth) with this control ID, or 0.
HWND FindControl(HWND parent, int id);

// Like FindControl, but a missing control is a failure naming `what`.
HWND Control(HWND parent, int id, const char* what);

// The control's text, read with WM_GETTEXT (GetWindowText does not read another process's
// controls). Fails when the owner does not answer within two seconds.
std::string TextOf(HWND window);

bool IsChecked(HWND button);

// A mouse click on a button, posted so that a modal loop opened by its handler does not block
// the driver.
void Click(HWND button);

// Presses a standard dialog's button (IDOK, IDCANCEL...) as its keyboard accelerator would.
void PressDialogButton(HWND dialog, int id);

}  // namespace e2e
