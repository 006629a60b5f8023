#include "layout_check.h"

#include <cstdlib>

#include "check.h"
#include "windows_ui.h"

namespace e2e {

namespace {

// Borders and rounding may move an edge by a pixel.
constexpr int kTolerance = 1;

bool Near(int actual, int expected) {
  return std::abs(actual - expected) <= kTolerance;
}

}  // namespace

void ExpectClientSize(HWND window, int width, int height, const char* what) {
  RECT client{};
  if (!GetClientRect(window, &client)) Fail(Format("%s: no client rectangle", what));
  if (!Near(client.right, width) || !Near(client.bottom, height)) {
    Fail(Format("%s: client area %ld x %ld, expected %d x %d", what, client.right, client.bottom,
                width, height));
  }
  Pass(Format("%s: client area %d x %d", what, width, height));
}

void ExpectLayout(HWND window, std::initializer_list<ExpectedControl> controls, const char* what) {
  for (const ExpectedControl& c : controls) {
    HWND control = Control(window, c.id, c.what);
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&rect), 2);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (!Near(rect.left, c.left) || !Near(rect.top, c.top) || !Near(width, c.width) ||
        (c.height >= 0 && !Near(height, c.height))) {
      Fail(Format("%s: %s at %ld,%ld %d x %d, expected %d,%d %d x %d", what, c.what, rect.left,
                  rect.top, width, height, c.left, c.top, c.width, c.height));
    }
    if (c.caption != nullptr) {
      const std::string text = TextOf(control);
      if (text != c.caption) {
        Fail(Format("%s: %s reads \"%s\", expected \"%s\"", what, c.what, text.c_str(), c.caption));
      }
    }
  }
  Pass(Format("%s: %u controls in place with their captions", what,
              static_cast<unsigned>(controls.size())));
}

}  // namespace e2e
