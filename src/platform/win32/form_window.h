#pragma once
// What the program's three windows share: the font, a window class of their own and a window
// sized to its client area and centred on the screen.

#include <windows.h>

#include "platform/toolkit/form.h"

namespace zanvo::win32 {

// MS Sans Serif 8 pt; the system's GUI font where that face is missing. Lives for the process.
HFONT FormFont();

// Registers a class once; `icon` may be null. Without a background brush the class paints the
// dialog face colour.
void RegisterFormClass(HINSTANCE instance, const char* class_name, WNDPROC procedure,
                       HICON icon = nullptr, HICON small_icon = nullptr,
                       HBRUSH background = nullptr);

// A top-level window with the form's caption and client size, centred on the screen. `self`
// reaches the window procedure as the CREATESTRUCT's parameter.
HWND CreateCentredForm(HINSTANCE instance, const char* class_name, const toolkit::Form& form,
                       DWORD style, DWORD ex_style, HWND owner, void* self);

// For a class's window procedure: the object stored at WM_NCCREATE, or null before it.
template <class Window>
Window* WindowObject(HWND hwnd, UINT message, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lparam);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  return reinterpret_cast<Window*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

}  // namespace zanvo::win32
