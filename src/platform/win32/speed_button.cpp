#include "platform/win32/speed_button.h"

namespace zanvo::win32 {

namespace {

constexpr const char* kClassName = "ZanvoSpeedButton";

// Per-button state, owned by the window from WM_NCCREATE to WM_NCDESTROY.
struct SpeedButton {
  const Painter* glyph = nullptr;
  bool tracking = false;  // the left button went down on it and has not come up yet
  bool pressed = false;   // tracking, and the mouse is over it
};

SpeedButton* StateOf(HWND hwnd) {
  return reinterpret_cast<SpeedButton*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

void NotifyClick(HWND hwnd) {
  const int id = GetDlgCtrlID(hwnd);
  SendMessageA(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(hwnd));
}

bool MouseInside(HWND hwnd, LPARAM lparam) {
  RECT rect;
  GetClientRect(hwnd, &rect);
  const POINT at{static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
  return PtInRect(&rect, at) != FALSE;
}

void SetPressed(HWND hwnd, SpeedButton& state, bool pressed) {
  if (state.pressed == pressed) return;
  state.pressed = pressed;
  InvalidateRect(hwnd, nullptr, TRUE);
}

void Paint(HWND hwnd, const SpeedButton& state) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  RECT rect;
  GetClientRect(hwnd, &rect);
  FillRect(dc, &rect, GetSysColorBrush(COLOR_BTNFACE));
  DrawEdge(dc, &rect, state.pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
  if (state.glyph && *state.glyph) (*state.glyph)(dc, rect, state.pressed, IsWindowEnabled(hwnd));
  EndPaint(hwnd, &ps);
}

LRESULT CALLBACK SpeedButtonProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lparam);
    auto* state = new SpeedButton{static_cast<const Painter*>(create->lpCreateParams)};
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
  }
  SpeedButton* state = StateOf(hwnd);
  if (!state) return DefWindowProcA(hwnd, message, wparam, lparam);
  switch (message) {
    case WM_NCDESTROY:
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
      delete state;
      return DefWindowProcA(hwnd, message, wparam, lparam);
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      state->tracking = true;
      SetCapture(hwnd);
      SetPressed(hwnd, *state, true);
      return 0;
    case WM_MOUSEMOVE:
      if (state->tracking) SetPressed(hwnd, *state, MouseInside(hwnd, lparam));
      return 0;
    case WM_LBUTTONUP: {
      const bool click = state->tracking && MouseInside(hwnd, lparam);
      state->tracking = false;
      SetPressed(hwnd, *state, false);
      ReleaseCapture();
      if (click) NotifyClick(hwnd);
      return 0;
    }
    case WM_CAPTURECHANGED:
      state->tracking = false;
      SetPressed(hwnd, *state, false);
      return 0;
    case BM_CLICK:
      NotifyClick(hwnd);
      return 0;
    case WM_ENABLE:
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_PAINT:
      Paint(hwnd, *state);
      return 0;
    default:
      return DefWindowProcA(hwnd, message, wparam, lparam);
  }
}

void RegisterOnce(HINSTANCE instance) {
  WNDCLASSA existing;
  if (GetClassInfoA(instance, kClassName, &existing)) return;
  WNDCLASSA wc{};
  wc.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = SpeedButtonProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.lpszClassName = kClassName;
  RegisterClassA(&wc);
}

}  // namespace

HWND CreateSpeedButton(HWND parent, int id, const RECT& bounds, bool visible,
                       const Painter* glyph) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  RegisterOnce(instance);
  const DWORD style = WS_CHILD | (visible ? WS_VISIBLE : 0);
  return CreateWindowExA(0, kClassName, "", style, bounds.left, bounds.top,
                         bounds.right - bounds.left, bounds.bottom - bounds.top, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance,
                         const_cast<Painter*>(glyph));
}

}  // namespace zanvo::win32
