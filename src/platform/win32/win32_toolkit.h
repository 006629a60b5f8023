#pragma once
// Binds the toolkit's control models to real child windows. A user's action reaches the model
// as UserClick/UserSelect/Click (running the model's handler); after every handler, Refresh
// copies each model's state (caption, text, checked, list, enabled, visible) back to its window,
// so changes the shell makes from code show on screen. The models stay the one source of truth.

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/toolkit/controls.h"

namespace zanvo::win32 {

// Where a group's coordinates start inside the window: controls inside a group box or panel
// are placed relative to it.
struct Origin {
  int x = 0;
  int y = 0;
};

// Draws an owner-drawn picture, panel or glyph into `rect`.
using Painter = std::function<void(HDC dc, const RECT& rect, bool pressed, bool enabled)>;

class ControlBinder {
 public:
  // `parent` receives the controls' notifications and forwards them to OnCommand, OnDrawItem
  // and OnCtlColor.
  ControlBinder(HWND parent, HFONT font);
  ~ControlBinder();
  ControlBinder(const ControlBinder&) = delete;
  ControlBinder& operator=(const ControlBinder&) = delete;

  // The controls take the tab order in which they are added.
  HWND AddButton(toolkit::Button& model, int id, Origin at = {}, HBITMAP glyph = nullptr);
  // A flat button that never takes the focus; `glyph` draws its face.
  HWND AddSpeedButton(toolkit::Button& model, int id, Origin at, Painter glyph);
  HWND AddCheckBox(toolkit::CheckBox& model, int id, Origin at);
  // `starts_group`: the first button of its group box (WS_GROUP, the group's one tab stop).
  HWND AddRadioButton(toolkit::RadioButton& model, int id, Origin at, bool starts_group);
  HWND AddComboBox(toolkit::ComboBox& model, int id, Origin at);
  HWND AddEdit(toolkit::Edit& model, int id, Origin at);
  // A label with no size set takes the size of its text.
  HWND AddLabel(toolkit::Label& model, int id, Origin at, bool word_wrap = false);
  HWND AddGroupBox(toolkit::Control& model, int id, Origin at);
  HWND AddPicture(toolkit::Picture& model, int id, Origin at, Painter paint);
  HWND AddPanel(toolkit::Control& model, int id, Origin at);

  // WM_COMMAND: a bound control's notification becomes the model's user event. True when the
  // command belonged to a bound control.
  bool OnCommand(WPARAM wparam, LPARAM lparam);
  // WM_DRAWITEM for owner-drawn pictures and panels; true when drawn.
  bool OnDrawItem(const DRAWITEMSTRUCT& item);
  // WM_CTLCOLORSTATIC / WM_CTLCOLOREDIT: read-only edits show the inactive-border colour;
  // null for every other control (the caller then lets Windows choose).
  HBRUSH OnCtlColor(HDC dc, HWND control);

  // Enter and Esc, routed by IsDialogMessage as IDOK and IDCANCEL: the buttons marked default
  // and cancel. 0 when there is none.
  int default_id() const;
  void ClickDefault();
  void ClickCancel();

  // Copies every model's state to its window.
  void Refresh();
  // Refreshes every binder alive: after the idle handler or a handler that may reach the
  // models of another window.
  static void RefreshAll();

  HWND tooltip() const { return tooltip_; }

 private:
  struct Bound;
  Bound& Add(toolkit::Control& model, int kind, int id, Origin at, const char* window_class,
             DWORD style, DWORD ex_style = 0);
  Bound* Find(int id);
  void AddTool(const Bound& bound);
  void RefreshOne(Bound& bound);

  HWND parent_;
  HFONT font_;
  HWND tooltip_ = nullptr;
  std::vector<std::unique_ptr<Bound>> bound_;
};

}  // namespace zanvo::win32
