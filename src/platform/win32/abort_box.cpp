#include "abort_box.h"

#include <algorithm>
#include <string>
#include <vector>

namespace zanvo::win32 {

namespace {

constexpr WORD kIconId = 0x14;
constexpr WORD kTextId = 0xFFFF;
constexpr const wchar_t* kAbortCaption = L"Abort";

// Predefined control classes by atom.
constexpr WORD kButtonClass = 0x0080;
constexpr WORD kStaticClass = 0x0082;

// Sizes in dialog units, as message boxes use them.
constexpr int kMarginDlu = 7;
constexpr int kButtonWidthDlu = 50;
constexpr int kButtonHeightDlu = 14;
constexpr int kMaxTextWidthDlu = 278;

struct BoxTexts {
  std::string text;
  std::string caption;
};

// A DLGTEMPLATE and its DLGITEMTEMPLATEs in one WORD array. Each item starts on a DWORD
// boundary; strings are UTF-16, each ended by a zero.
class TemplateBuilder {
 public:
  void Dialog(DWORD style, WORD items, short cx, short cy) {
    Dword(style);
    Dword(0);  // extended style
    words_.push_back(items);
    Rect(0, 0, cx, cy);
    words_.push_back(0);  // no menu
    words_.push_back(0);  // the standard dialog class
    String(L"");          // title, set at WM_INITDIALOG from the caller's ANSI text
    words_.push_back(8);  // font size in points (DS_SETFONT)
    String(L"MS Shell Dlg");
  }
  void Item(DWORD style, WORD id, WORD class_atom, const wchar_t* title) {
    if (words_.size() % 2 != 0) words_.push_back(0);
    Dword(style | WS_CHILD | WS_VISIBLE);
    Dword(0);
    Rect(0, 0, 1, 1);  // placed at WM_INITDIALOG, once the text is measured
    words_.push_back(id);
    words_.push_back(0xFFFF);
    words_.push_back(class_atom);
    String(title);
    words_.push_back(0);  // no creation data
  }
  const DLGTEMPLATE* data() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

 private:
  void Dword(DWORD value) {
    words_.push_back(LOWORD(value));
    words_.push_back(HIWORD(value));
  }
  void Rect(short x, short y, short cx, short cy) {
    for (short v : {x, y, cx, cy})
      words_.push_back(static_cast<WORD>(v));
  }
  void String(const wchar_t* text) {
    for (; *text != 0; ++text)
      words_.push_back(static_cast<WORD>(*text));
    words_.push_back(0);
  }
  std::vector<WORD> words_;
};

int DluToPixelsX(HWND dialog, int dlu) {
  RECT r{0, 0, dlu, 0};
  ::MapDialogRect(dialog, &r);
  return r.right;
}

int DluToPixelsY(HWND dialog, int dlu) {
  RECT r{0, 0, 0, dlu};
  ::MapDialogRect(dialog, &r);
  return r.bottom;
}

SIZE MeasureText(HWND dialog, HWND label, const std::string& text, int max_width) {
  RECT r{0, 0, max_width, 0};
  HDC dc = ::GetDC(label);
  HGDIOBJ old_font =
      ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageA(dialog, WM_GETFONT, 0, 0)));
  ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r,
              DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
  ::SelectObject(dc, old_font);
  ::ReleaseDC(label, dc);
  return {r.right - r.left, r.bottom - r.top};
}

// Icon and text side by side, the button centred below them, the box centred on the work area.
void Layout(HWND dialog, const std::string& text) {
  HWND icon = ::GetDlgItem(dialog, kIconId);
  HWND label = ::GetDlgItem(dialog, kTextId);
  HWND button = ::GetDlgItem(dialog, IDABORT);
  const int margin_x = DluToPixelsX(dialog, kMarginDlu);
  const int margin_y = DluToPixelsY(dialog, kMarginDlu);
  const int icon_cx = ::GetSystemMetrics(SM_CXICON);
  const int icon_cy = ::GetSystemMetrics(SM_CYICON);
  const int button_cx = DluToPixelsX(dialog, kButtonWidthDlu);
  const int button_cy = DluToPixelsY(dialog, kButtonHeightDlu);
  const SIZE text_size = MeasureText(dialog, label, text, DluToPixelsX(dialog, kMaxTextWidthDlu));

  const int text_x = margin_x + icon_cx + margin_x * 2;
  const int content_cy = std::max<int>(icon_cy, text_size.cy);
  const int text_y = margin_y + (content_cy - text_size.cy) / 2;
  const int client_cx =
      std::max<int>(text_x + text_size.cx + margin_x * 2, button_cx + margin_x * 2);
  const int button_y = margin_y * 2 + content_cy;
  const int client_cy = button_y + button_cy + margin_y;

  ::MoveWindow(icon, margin_x, margin_y, icon_cx, icon_cy, FALSE);
  ::MoveWindow(label, text_x, text_y, text_size.cx, text_size.cy, FALSE);
  ::MoveWindow(button, (client_cx - button_cx) / 2, button_y, button_cx, button_cy, FALSE);

  RECT frame{0, 0, client_cx, client_cy};
  ::AdjustWindowRectEx(&frame, static_cast<DWORD>(::GetWindowLongA(dialog, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(::GetWindowLongA(dialog, GWL_EXSTYLE)));
  const int cx = frame.right - frame.left;
  const int cy = frame.bottom - frame.top;
  RECT work{};
  ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  const int x = work.left + (work.right - work.left - cx) / 2;
  const int y = work.top + (work.bottom - work.top - cy) / 2;
  ::SetWindowPos(dialog, nullptr, x, y, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK AbortBoxProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG: {
      const auto* texts = reinterpret_cast<const BoxTexts*>(lparam);
      ::SetWindowTextA(dialog, texts->caption.c_str());
      ::SetDlgItemTextA(dialog, kTextId, texts->text.c_str());
      ::SendDlgItemMessageA(dialog, kIconId, STM_SETICON,
                            reinterpret_cast<WPARAM>(::LoadIconA(nullptr, IDI_HAND)), 0);
      Layout(dialog, texts->text);
      ::MessageBeep(MB_ICONHAND);
      return TRUE;  // the focus goes to the one button
    }
    case WM_COMMAND:
      // The button, Enter, Esc and the close box all end the box the same way.
      if (LOWORD(wparam) == IDABORT || LOWORD(wparam) == IDCANCEL) {
        ::EndDialog(dialog, IDABORT);
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

int ShowAbortBox(HWND owner, std::string_view text, std::string_view caption) {
  TemplateBuilder builder;
  builder.Dialog(DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU, 3, 100, 50);
  builder.Item(SS_ICON, kIconId, kStaticClass, L"");
  builder.Item(SS_LEFT | SS_NOPREFIX, kTextId, kStaticClass, L"");
  builder.Item(WS_TABSTOP | BS_DEFPUSHBUTTON, IDABORT, kButtonClass, kAbortCaption);
  BoxTexts texts{std::string(text), std::string(caption)};
  const INT_PTR result =
      ::DialogBoxIndirectParamA(::GetModuleHandleA(nullptr), builder.data(), owner, AbortBoxProc,
                                reinterpret_cast<LPARAM>(&texts));
  (void)result;  // -1 when the box could not be made; there is nothing else to answer
  return IDABORT;
}

}  // namespace zanvo::win32
