#pragma once
// Control models with exactly the toolkit behaviour the shell relies on. The Win32 front end
// binds each to a real window; tests drive them directly.
//
// - Setting a check box from code runs its click handler whenever the state changes, exactly
//   as a user's click does.
// - A radio button runs its click handler only when it goes from unchecked to checked; checking
//   one unchecks the others of its group.
// - Setting a list's index from code raises no change event; only the user's choice does.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zanvo::toolkit {

using Handler = std::function<void()>;

struct Bounds {
  int left = 0, top = 0, width = 0, height = 0;
};

struct Control {
  std::string name;
  std::string caption;
  std::string hint;
  Bounds bounds;
  int tab_order = -1;  // -1: takes no focus
  bool enabled = true;
  bool visible = true;
  // Set by the binding when the control gets the keyboard focus (Win32: SetFocus).
  std::function<void()> focus_hook;
  void SetFocus() {
    if (focus_hook) focus_hook();
  }
};

class CheckBox : public Control {
 public:
  bool checked() const { return checked_; }
  void SetChecked(bool checked) {
    if (checked == checked_) return;
    checked_ = checked;
    if (OnClick) OnClick();
  }
  // The user's click toggles the box.
  void UserClick() {
    if (enabled) SetChecked(!checked_);
  }
  Handler OnClick;

 private:
  bool checked_ = false;
};

class RadioButton : public Control {
 public:
  bool checked() const { return checked_; }
  void SetChecked(bool checked);
  // The user's click checks the button (nothing happens when it is already checked).
  void UserClick() {
    if (enabled) SetChecked(true);
  }
  Handler OnClick;
  // The other buttons of its group box.
  std::vector<RadioButton*> group;

 private:
  bool checked_ = false;
};

inline void RadioButton::SetChecked(bool checked) {
  if (checked == checked_) return;
  checked_ = checked;
  if (!checked) return;
  for (RadioButton* other : group) {
    if (other != this) other->checked_ = false;
  }
  if (OnClick) OnClick();
}

// A drop-down list whose entries carry a number.
class ComboBox : public Control {
 public:
  struct Item {
    std::string text;
    int32_t data = 0;
  };
  void Clear() {
    items_.clear();
    index_ = -1;
  }
  void Add(std::string text, int32_t data) { items_.push_back({std::move(text), data}); }
  int size() const { return static_cast<int>(items_.size()); }
  const Item& item(int i) const { return items_.at(static_cast<size_t>(i)); }
  const std::vector<Item>& items() const { return items_; }
  int item_index() const { return index_; }
  // From code: no change event. An index past the end shows nothing selected.
  void SetItemIndex(int index) { index_ = (index >= 0 && index < size()) ? index : -1; }
  // The user's choice: selects and raises the change event.
  void UserSelect(int index) {
    if (!enabled || index < 0 || index >= size()) return;
    index_ = index;
    if (OnChange) OnChange();
  }
  Handler OnChange;

 private:
  std::vector<Item> items_;
  int index_ = -1;
};

class Edit : public Control {
 public:
  std::string text;
  bool read_only = false;
};

class Label : public Control {};

class Button : public Control {
 public:
  void Click() {
    if (enabled && OnClick) OnClick();
  }
  Handler OnClick;
  bool is_default = false;  // Enter
  bool is_cancel = false;   // Esc
};

class Picture : public Control {
 public:
  void DoubleClick() {
    if (OnDoubleClick) OnDoubleClick();
  }
  Handler OnDoubleClick;
};

struct MenuItem {
  std::string name;
  std::string caption;  // "-" for a separator
  bool checked = false;
  bool enabled = true;
  Handler OnClick;
  void Click() {
    if (enabled && OnClick) OnClick();
  }
};

// A timer whose ticks come from the message loop (Win32: WM_TIMER; tests: Tick()).
class Timer {
 public:
  bool enabled = false;
  int interval_ms = 1000;
  Handler OnTimer;
  void Tick() {
    if (enabled && OnTimer) OnTimer();
  }
};

}  // namespace zanvo::toolkit
