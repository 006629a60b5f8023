#include "platform/win32/win32_toolkit.h"

#include <commctrl.h>

#include <algorithm>

#include "platform/win32/speed_button.h"

namespace zanvo::win32 {

namespace {

enum Kind { kButton, kSpeed, kCheck, kRadio, kCombo, kEdit, kLabel, kGroup, kPicture, kPanel };

// The drop-down part of a list, below its 21-pixel selection field.
constexpr int kDropDownHeight = 160;
// Tooltips wider than this wrap onto a second line.
constexpr int kTipWidth = 320;

std::vector<ControlBinder*>& LiveBinders() {
  static std::vector<ControlBinder*> binders;
  return binders;
}

// The size of a label's text in the window's font, for labels placed without one.
SIZE TextSize(HWND parent, HFONT font, const std::string& text) {
  HDC dc = GetDC(parent);
  HGDIOBJ old = SelectObject(dc, font);
  RECT rect{0, 0, 0, 0};
  DrawTextA(dc, text.c_str(), -1, &rect, DT_CALCRECT | DT_SINGLELINE);
  SelectObject(dc, old);
  ReleaseDC(parent, dc);
  return {rect.right - rect.left, rect.bottom - rect.top};
}

}  // namespace

struct ControlBinder::Bound {
  int kind = kButton;
  int id = 0;
  HWND hwnd = nullptr;
  toolkit::Control* model = nullptr;
  Painter paint;
  // What was last written to the window; Windows never changes these by itself.
  std::string text;
  std::vector<std::string> items;
};

ControlBinder::ControlBinder(HWND parent, HFONT font) : parent_(parent), font_(font) {
  tooltip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                             WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, parent, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
  if (tooltip_) SendMessageA(tooltip_, TTM_SETMAXTIPWIDTH, 0, kTipWidth);
  LiveBinders().push_back(this);
}

ControlBinder::~ControlBinder() {
  auto& live = LiveBinders();
  live.erase(std::remove(live.begin(), live.end(), this), live.end());
  for (auto& bound : bound_)
    bound->model->focus_hook = nullptr;
  if (tooltip_) DestroyWindow(tooltip_);
}

ControlBinder::Bound& ControlBinder::Add(toolkit::Control& model, int kind, int id, Origin at,
                                         const char* window_class, DWORD style, DWORD ex_style) {
  auto bound = std::make_unique<Bound>();
  bound->kind = kind;
  bound->id = id;
  bound->model = &model;
  toolkit::Bounds b = model.bounds;
  if (kind == kLabel && (b.width == 0 || b.height == 0)) {
    const SIZE size = TextSize(parent_, font_, model.caption);
    b.width = size.cx;
    b.height = size.cy;
  }
  if (kind == kCombo) b.height += kDropDownHeight;
  style |= WS_CHILD | (model.visible ? WS_VISIBLE : 0) | (model.enabled ? 0 : WS_DISABLED);
  if (model.tab_order >= 0 && kind != kGroup && kind != kPanel) style |= WS_TABSTOP;
  const RECT rect{at.x + b.left, at.y + b.top, at.x + b.left + b.width, at.y + b.top + b.height};
  if (kind == kSpeed) {
    bound_.push_back(std::move(bound));
    Bound& added = *bound_.back();
    added.hwnd = CreateSpeedButton(parent_, id, rect, model.visible, &added.paint);
    return added;
  }
  bound->hwnd =
      CreateWindowExA(ex_style, window_class, model.caption.c_str(), style, rect.left, rect.top,
                      b.width, b.height, parent_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                      GetModuleHandleA(nullptr), nullptr);
  bound->text = model.caption;
  SendMessageA(bound->hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  if (model.tab_order >= 0) {
    HWND hwnd = bound->hwnd;
    model.focus_hook = [hwnd] { SetFocus(hwnd); };
  }
  bound_.push_back(std::move(bound));
  return *bound_.back();
}

void ControlBinder::AddTool(const Bound& bound) {
  if (!tooltip_ || !bound.hwnd || bound.model->hint.empty()) return;
  TTTOOLINFOA tool{};
  tool.cbSize = TTTOOLINFOA_V2_SIZE;  // understood by every common-controls version
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = parent_;
  tool.uId = reinterpret_cast<UINT_PTR>(bound.hwnd);
  tool.lpszText = const_cast<char*>(bound.model->hint.c_str());  // copied by the tooltip
  SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));

  // A disabled control gets no mouse messages: they go to the window beneath it, the parent,
  // so the tool above never fires for it. A second tool over the control's rectangle on the
  // parent shows the same hint while the control is disabled (when it is enabled, the mouse
  // messages reach the control instead and only the first tool sees them).
  TTTOOLINFOA area{};
  area.cbSize = TTTOOLINFOA_V2_SIZE;
  area.uFlags = TTF_SUBCLASS;
  area.hwnd = parent_;
  area.uId = static_cast<UINT_PTR>(bound.id);
  GetWindowRect(bound.hwnd, &area.rect);
  MapWindowPoints(nullptr, parent_, reinterpret_cast<POINT*>(&area.rect), 2);
  area.lpszText = tool.lpszText;
  SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&area));
}

HWND ControlBinder::AddButton(toolkit::Button& model, int id, Origin at, HBITMAP glyph) {
  const DWORD kind_style = model.is_default ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
  Bound& bound = Add(model, kButton, id, at, "BUTTON", kind_style | WS_GROUP);
  if (glyph) {
    SendMessageA(bound.hwnd, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(glyph));
  }
  AddTool(bound);
  return bound.hwnd;
}

HWND ControlBinder::AddSpeedButton(toolkit::Button& model, int id, Origin at, Painter glyph) {
  // The button keeps a pointer to the painter, which stays in place inside its Bound.
  Bound& bound = Add(model, kSpeed, id, at, nullptr, 0);
  bound.paint = std::move(glyph);
  InvalidateRect(bound.hwnd, nullptr, TRUE);
  AddTool(bound);
  return bound.hwnd;
}

HWND ControlBinder::AddCheckBox(toolkit::CheckBox& model, int id, Origin at) {
  Bound& bound = Add(model, kCheck, id, at, "BUTTON", BS_AUTOCHECKBOX | WS_GROUP);
  AddTool(bound);
  return bound.hwnd;
}

HWND ControlBinder::AddRadioButton(toolkit::RadioButton& model, int id, Origin at,
                                   bool starts_group) {
  DWORD style = BS_AUTORADIOBUTTON | (starts_group ? WS_GROUP : 0);
  Bound& bound = Add(model, kRadio, id, at, "BUTTON", style);
  // Only the group's first button is a tab stop; the arrow keys move inside the group.
  if (!starts_group) {
    SetWindowLongA(bound.hwnd, GWL_STYLE, GetWindowLongA(bound.hwnd, GWL_STYLE) & ~WS_TABSTOP);
  }
  AddTool(bound);
  return bound.hwnd;
}

HWND ControlBinder::AddComboBox(toolkit::ComboBox& model, int id, Origin at) {
  Bound& bound = Add(model, kCombo, id, at, "COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL | WS_GROUP);
  AddTool(bound);
  return bound.hwnd;
}

HWND ControlBinder::AddEdit(toolkit::Edit& model, int id, Origin at) {
  const DWORD style = ES_AUTOHSCROLL | WS_GROUP | (model.read_only ? ES_READONLY : 0);
  Bound& bound = Add(model, kEdit, id, at, "EDIT", style, WS_EX_CLIENTEDGE);
  bound.text.clear();
  AddTool(bound);
  return bound.hwnd;
}

HWND ControlBinder::AddLabel(toolkit::Label& model, int id, Origin at, bool word_wrap) {
  return Add(model, kLabel, id, at, "STATIC", word_wrap ? SS_LEFT : SS_LEFTNOWORDWRAP).hwnd;
}

HWND ControlBinder::AddGroupBox(toolkit::Control& model, int id, Origin at) {
  return Add(model, kGroup, id, at, "BUTTON", BS_GROUPBOX).hwnd;
}

HWND ControlBinder::AddPicture(toolkit::Picture& model, int id, Origin at, Painter paint) {
  Bound& bound = Add(model, kPicture, id, at, "STATIC", SS_OWNERDRAW | SS_NOTIFY);
  bound.paint = std::move(paint);
  AddTool(bound);
  return bound.hwnd;
}

HWND ControlBinder::AddPanel(toolkit::Control& model, int id, Origin at) {
  Bound& bound = Add(model, kPanel, id, at, "STATIC", SS_OWNERDRAW);
  // Only the bevel is drawn: the controls placed on the panel show through its face.
  bound.paint = [](HDC dc, const RECT& rect, bool, bool) {
    RECT edge = rect;
    DrawEdge(dc, &edge, BDR_RAISEDOUTER | BDR_SUNKENINNER, BF_RECT);
  };
  return bound.hwnd;
}

ControlBinder::Bound* ControlBinder::Find(int id) {
  for (auto& bound : bound_) {
    if (bound->id == id) return bound.get();
  }
  return nullptr;
}

bool ControlBinder::OnCommand(WPARAM wparam, LPARAM) {
  const int id = LOWORD(wparam);
  const int code = HIWORD(wparam);
  Bound* bound = Find(id);
  if (!bound) return false;
  switch (bound->kind) {
    case kButton:
    case kSpeed:
      if (code == BN_CLICKED) static_cast<toolkit::Button*>(bound->model)->Click();
      break;
    case kCheck:
      if (code == BN_CLICKED) static_cast<toolkit::CheckBox*>(bound->model)->UserClick();
      break;
    case kRadio:
      if (code == BN_CLICKED) static_cast<toolkit::RadioButton*>(bound->model)->UserClick();
      break;
    case kCombo:
      if (code == CBN_SELCHANGE) {
        const auto index = static_cast<int>(SendMessageA(bound->hwnd, CB_GETCURSEL, 0, 0));
        static_cast<toolkit::ComboBox*>(bound->model)->UserSelect(index);
      }
      break;
    case kPicture:
      if (code == STN_DBLCLK) static_cast<toolkit::Picture*>(bound->model)->DoubleClick();
      break;
    default:
      break;
  }
  return true;
}

bool ControlBinder::OnDrawItem(const DRAWITEMSTRUCT& item) {
  Bound* bound = Find(static_cast<int>(item.CtlID));
  if (!bound || !bound->paint) return false;
  bound->paint(item.hDC, item.rcItem, false, bound->model->enabled);
  return true;
}

HBRUSH ControlBinder::OnCtlColor(HDC dc, HWND control) {
  for (auto& bound : bound_) {
    if (bound->hwnd != control || bound->kind != kEdit) continue;
    if (!static_cast<toolkit::Edit*>(bound->model)->read_only) return nullptr;
    SetBkColor(dc, GetSysColor(COLOR_INACTIVEBORDER));
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    return GetSysColorBrush(COLOR_INACTIVEBORDER);
  }
  return nullptr;
}

int ControlBinder::default_id() const {
  for (const auto& bound : bound_) {
    if (bound->kind == kButton && static_cast<toolkit::Button*>(bound->model)->is_default)
      return bound->id;
  }
  return 0;
}

void ControlBinder::ClickDefault() {
  for (auto& bound : bound_) {
    if (bound->kind != kButton) continue;
    auto* button = static_cast<toolkit::Button*>(bound->model);
    if (button->is_default) return button->Click();
  }
}

void ControlBinder::ClickCancel() {
  for (auto& bound : bound_) {
    if (bound->kind != kButton) continue;
    auto* button = static_cast<toolkit::Button*>(bound->model);
    if (button->is_cancel) return button->Click();
  }
}

void ControlBinder::RefreshOne(Bound& bound) {
  toolkit::Control& model = *bound.model;
  HWND hwnd = bound.hwnd;
  if (!hwnd) return;
  const std::string& text =
      bound.kind == kEdit ? static_cast<toolkit::Edit&>(model).text : model.caption;
  if (text != bound.text) {
    // Recorded first: setting an edit's text sends EN_CHANGE to the parent, whose command
    // handler refreshes again, and that nested refresh must find this text already shown.
    bound.text = text;
    SetWindowTextA(hwnd, bound.text.c_str());
  }
  // Check marks and selections are compared with the window itself: a click changes them in
  // the window before the model has had its say.
  if (bound.kind == kCheck || bound.kind == kRadio) {
    const bool checked = bound.kind == kCheck ? static_cast<toolkit::CheckBox&>(model).checked()
                                              : static_cast<toolkit::RadioButton&>(model).checked();
    const WPARAM state = checked ? BST_CHECKED : BST_UNCHECKED;
    if (static_cast<WPARAM>(SendMessageA(hwnd, BM_GETCHECK, 0, 0)) != state)
      SendMessageA(hwnd, BM_SETCHECK, state, 0);
  }
  if (bound.kind == kCombo) {
    auto& combo = static_cast<toolkit::ComboBox&>(model);
    std::vector<std::string> items;
    for (const auto& item : combo.items())
      items.push_back(item.text);
    if (items != bound.items) {
      SendMessageA(hwnd, CB_RESETCONTENT, 0, 0);
      for (const std::string& item : items)
        SendMessageA(hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
      bound.items = std::move(items);
    }
    if (SendMessageA(hwnd, CB_GETCURSEL, 0, 0) != combo.item_index())
      SendMessageA(hwnd, CB_SETCURSEL, static_cast<WPARAM>(combo.item_index()), 0);
  }
  if ((IsWindowEnabled(hwnd) != FALSE) != model.enabled) EnableWindow(hwnd, model.enabled);
  const bool shown = (GetWindowLongA(hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
  if (shown != model.visible) ShowWindow(hwnd, model.visible ? SW_SHOWNA : SW_HIDE);
}

void ControlBinder::Refresh() {
  for (auto& bound : bound_)
    RefreshOne(*bound);
}

void ControlBinder::RefreshAll() {
  // Notifications sent while a refresh sets texts (EN_CHANGE and the like) come back here; the
  // refresh under way already brings every control up to date.
  static bool refreshing = false;
  if (refreshing) return;
  refreshing = true;
  // A copy: a refresh never creates or destroys binders, but stay safe if it ever does.
  const std::vector<ControlBinder*> live = LiveBinders();
  for (ControlBinder* binder : live)
    binder->Refresh();
  refreshing = false;
}

}  // namespace zanvo::win32
