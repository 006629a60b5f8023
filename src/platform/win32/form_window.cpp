#include "platform/win32/form_window.h"

namespace zanvo::win32 {

namespace {

constexpr const char* kFaceName = "MS Sans Serif";
constexpr int kPointSize = 8;

HFONT CreateFormFont() {
  HDC screen = GetDC(nullptr);
  const int height = -MulDiv(kPointSize, GetDeviceCaps(screen, LOGPIXELSY), 72);
  HFONT font = CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                           DEFAULT_PITCH | FF_DONTCARE, kFaceName);
  // The font mapper always answers with some font; keep it only when it is the face asked for.
  char face[LF_FACESIZE] = {};
  if (font) {
    HGDIOBJ old = SelectObject(screen, font);
    GetTextFaceA(screen, LF_FACESIZE, face);
    SelectObject(screen, old);
  }
  ReleaseDC(nullptr, screen);
  if (font && lstrcmpiA(face, kFaceName) == 0) return font;
  if (font) DeleteObject(font);
  return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

}  // namespace

HFONT FormFont() {
  static const HFONT font = CreateFormFont();
  return font;
}

void RegisterFormClass(HINSTANCE instance, const char* class_name, WNDPROC procedure, HICON icon,
                       HICON small_icon, HBRUSH background) {
  WNDCLASSEXA existing{};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExA(instance, class_name, &existing)) return;
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = procedure;
  wc.hInstance = instance;
  wc.hIcon = icon;
  wc.hIconSm = small_icon;
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.hbrBackground =
      background ? background : reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  wc.lpszClassName = class_name;
  RegisterClassExA(&wc);
}

HWND CreateCentredForm(HINSTANCE instance, const char* class_name, const toolkit::Form& form,
                       DWORD style, DWORD ex_style, HWND owner, void* self) {
  RECT frame{0, 0, form.client_width, form.client_height};
  if (!form.size_includes_frame) AdjustWindowRectEx(&frame, style, FALSE, ex_style);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  const int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  const int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  return CreateWindowExA(ex_style, class_name, form.caption.c_str(), style, left, top, width,
                         height, owner, nullptr, instance, self);
}

}  // namespace zanvo::win32
