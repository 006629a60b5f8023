#pragma once
// Checks a window's layout as the program lays it out: the client area, and each
// control's place and size in the window's client coordinates, with its caption.

#include <windows.h>

#include <initializer_list>

namespace e2e {

struct ExpectedControl {
  int id;
  const char* what;
  int left, top, width, height;  // height -1: not checked (a drop-down list sizes itself)
  const char* caption;           // nullptr: not checked
};

// Fails on the first difference of more than one pixel, naming the control.
void ExpectClientSize(HWND window, int width, int height, const char* what);
void ExpectLayout(HWND window, std::initializer_list<ExpectedControl> controls, const char* what);

}  // namespace e2e
