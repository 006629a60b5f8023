#pragma once
// Test fakes of the platform services the shell calls, each recording what it was asked.

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/accept_dialog.h"
#include "platform/display.h"
#include "platform/message_boxes.h"
#include "platform/port_access.h"
#include "platform/registry.h"
#include "platform/single_instance.h"
#include "platform/toolkit/form.h"
#include "platform/tray.h"
#include "platform/virtual/display_driver.h"
#include "platform/virtual/virtual_pc.h"
#include "platform/window_system.h"

namespace zanvo::testing {

// ---- Registry -------------------------------------------------------------------------------

struct RegValue {
  enum class Type { kDword, kText, kExpandText, kBinary } type = Type::kDword;
  uint32_t dword = 0;
  std::string text;
  bool operator==(const RegValue&) const = default;
};

class FakeRegistry : public Registry {
 public:
  using Values = std::map<std::string, RegValue, std::less<>>;
  std::map<std::string, Values, std::less<>> keys;
  bool fail_open = false;
  bool fail_writes = false;
  int opens = 0;
  int open_keys = 0;  // keys not yet closed

  void SetDword(const std::string& path, const std::string& name, uint32_t v) {
    keys[path][name] = {RegValue::Type::kDword, v, {}};
  }
  void SetText(const std::string& path, const std::string& name, const std::string& v) {
    keys[path][name] = {RegValue::Type::kText, 0, v};
  }
  void SetBinary(const std::string& path, const std::string& name) {
    keys[path][name] = {RegValue::Type::kBinary, 0, {}};
  }
  const RegValue* Find(const std::string& path, const std::string& name) const {
    auto k = keys.find(path);
    if (k == keys.end()) return nullptr;
    auto v = k->second.find(name);
    return v == k->second.end() ? nullptr : &v->second;
  }

  std::unique_ptr<RegistryKey> OpenOrCreate(std::string_view path) override;
};

class FakeRegistryKey : public RegistryKey {
 public:
  FakeRegistryKey(FakeRegistry& registry, FakeRegistry::Values& values)
      : registry_(registry), values_(values) {
    ++registry_.open_keys;
  }
  ~FakeRegistryKey() override { --registry_.open_keys; }

  std::optional<uint32_t> ReadDword(std::string_view name) override {
    auto it = values_.find(name);
    if (it == values_.end() || it->second.type != RegValue::Type::kDword) return std::nullopt;
    return it->second.dword;
  }
  std::optional<std::string> ReadText(std::string_view name) override {
    auto it = values_.find(name);
    if (it == values_.end()) return std::string{};
    if (it->second.type != RegValue::Type::kText && it->second.type != RegValue::Type::kExpandText)
      return std::nullopt;
    return it->second.text;
  }
  bool WriteDword(std::string_view name, uint32_t value) override {
    if (registry_.fail_writes) return false;
    values_[std::string(name)] = {RegValue::Type::kDword, value, {}};
    return true;
  }
  bool WriteText(std::string_view name, std::string_view value) override {
    if (registry_.fail_writes) return false;
    values_[std::string(name)] = {RegValue::Type::kText, 0, std::string(value)};
    return true;
  }

 private:
  FakeRegistry& registry_;
  FakeRegistry::Values& values_;
};

inline std::unique_ptr<RegistryKey> FakeRegistry::OpenOrCreate(std::string_view path) {
  ++opens;
  if (fail_open) return nullptr;
  auto& values = keys[std::string(path)];
  return std::make_unique<FakeRegistryKey>(*this, values);
}

// ---- Tray, single instance, port access, window system --------------------------------------

class FakeTray : public Tray {
 public:
  std::vector<TrayIconData> added;
  std::vector<TrayIconData> removed;
  int icons() const { return static_cast<int>(added.size()) - static_cast<int>(removed.size()); }
  void Add(const TrayIconData& data) override { added.push_back(data); }
  void Remove(const TrayIconData& data) override { removed.push_back(data); }
};

// The named mutexes of one machine, shared by the copies of the program running on it.
struct MutexTable {
  std::set<std::string, std::less<>> names;
  bool fail = false;
};

// The mutexes a copy created go when its process ends (the object goes).
class FakeSingleInstance : public SingleInstance {
 public:
  explicit FakeSingleInstance(MutexTable& table) : table_(table) {}
  ~FakeSingleInstance() override {
    for (const std::string& name : held_)
      table_.names.erase(name);
  }
  InstanceResult Acquire(std::string_view name) override {
    if (table_.fail) return InstanceResult::kFailed;
    if (!table_.names.emplace(name).second) return InstanceResult::kAlreadyRunning;
    held_.emplace_back(name);
    return InstanceResult::kFirst;
  }
  void Release() override {
    for (const std::string& name : held_)
      table_.names.erase(name);
    held_.clear();
  }

 private:
  MutexTable& table_;
  std::vector<std::string> held_;
};

class FakePortAccess : public PortAccess {
 public:
  bool init_result = true;
  int initializations = 0;
  int shutdowns = 0;
  bool Initialize() override {
    ++initializations;
    return init_result;
  }
  void Shutdown() override { ++shutdowns; }
};

class FakeWindowSystem : public WindowSystem {
 public:
  ScreenPoint cursor{640, 700};
  int foreground_calls = 0;
  std::vector<int> show_commands;
  // The running copy's answer to a forwarded standard, and what was forwarded.
  std::function<ForwardResult(uint8_t)> running_copy;
  std::vector<uint8_t> forwarded;
  ForwardResult ForwardStandard(uint8_t standard) override {
    forwarded.push_back(standard);
    return running_copy ? running_copy(standard) : ForwardResult::kUnreachable;
  }
  ScreenPoint GetCursorPos() override { return cursor; }
  void SetForegroundWindow() override { ++foreground_calls; }
  void ShowWindow(int command) override { show_commands.push_back(command); }
  bool shift_down = false;
  int shift_queries = 0;
  bool ShiftKeyDown() override {
    ++shift_queries;
    return shift_down;
  }
  // Another copy of the program started with these arguments: `start_copy` plays it (none
  // starts without it); `started` records the command lines.
  std::function<bool(std::string_view arguments, bool wait_until_ready)> start_copy;
  std::vector<std::string> started;
  int ready_announcements = 0;
  bool StartCopy(std::string_view arguments, bool wait_until_ready) override {
    started.emplace_back(arguments);
    return start_copy ? start_copy(arguments, wait_until_ready) : false;
  }
  void AnnounceReady() override { ++ready_announcements; }
  // The time a call waits before it asks again: `pause` plays what other copies do meanwhile.
  std::function<void()> pause;
  int pauses = 0;
  uint64_t paused_ms = 0;
  void Pause(uint32_t milliseconds) override {
    ++pauses;
    paused_ms += milliseconds;
    if (pause) pause();
  }
};

// ---- Message boxes -----------------------------------------------------------------------------

class ScriptedMessageBoxes : public MessageBoxes {
 public:
  struct Shown {
    MessageKind kind;
    std::string text;
    std::string caption;
  };
  std::vector<Shown> shown;
  // Answers to OK/Cancel confirmations, in order; OK when the queue is empty.
  std::deque<int> confirm_answers;
  // Runs while a confirmation is up, before it is answered (what else reaches the program then).
  std::function<void()> while_confirming;

  int Show(MessageKind kind, std::string_view text, std::string_view caption) override {
    shown.push_back({kind, std::string(text), std::string(caption)});
    switch (kind) {
      case MessageKind::kConfirmOkCancel: {
        if (while_confirming) while_confirming();
        if (confirm_answers.empty()) return kIdOk;
        const int answer = confirm_answers.front();
        confirm_answers.pop_front();
        return answer;
      }
      case MessageKind::kErrorAbort:
        return kIdAbort;
      default:
        return kIdOk;
    }
  }
  int Count(std::string_view text) const {
    int n = 0;
    for (const auto& s : shown)
      n += s.text == text ? 1 : 0;
    return n;
  }
};

// ---- Modal forms --------------------------------------------------------------------------------

// Plays the user's part while a modal form is up: each form shown takes the next script; with no
// script left the form is answered as `fallback` does (by default: close it with its close box).
class ScriptedModalRunner : public toolkit::ModalRunner {
 public:
  using Script = std::function<void(toolkit::Form&)>;
  std::deque<Script> scripts;
  Script fallback = [](toolkit::Form& form) { form.CloseBox(); };
  std::vector<std::string> shown_captions;
  std::vector<int> results;
  // The revert label texts the keep-settings dialogs showed, one list per dialog.
  std::vector<std::vector<std::string>> revert_labels;

  int ShowModal(toolkit::Form& form) override {
    shown_captions.push_back(form.caption);
    form.ResetModalResult();
    form.visible = true;
    Script script = fallback;
    if (!scripts.empty()) {
      script = std::move(scripts.front());
      scripts.pop_front();
    }
    if (auto* dialog = dynamic_cast<app::TAcceptDlg*>(&form)) {
      revert_labels.push_back({dialog->lblRevert.caption});
    }
    script(form);
    form.visible = false;
    results.push_back(form.modal_result());
    return form.modal_result();
  }
};

// Scripts for the keep-settings dialog.
inline void AnswerYes(toolkit::Form& form) {
  dynamic_cast<app::TAcceptDlg&>(form).btnOk.Click();
}
inline void AnswerNo(toolkit::Form& form) {
  dynamic_cast<app::TAcceptDlg&>(form).btnCancel.Click();
}
// Enter and Esc both reach the default/cancel button, "&No".
inline void PressEnter(toolkit::Form& form) {
  auto& dialog = dynamic_cast<app::TAcceptDlg&>(form);
  for (toolkit::Button* b : {&dialog.btnCancel, &dialog.btnOk}) {
    if (b->is_default) {
      b->Click();
      return;
    }
  }
}
inline void PressEsc(toolkit::Form& form) {
  auto& dialog = dynamic_cast<app::TAcceptDlg&>(form);
  for (toolkit::Button* b : {&dialog.btnCancel, &dialog.btnOk}) {
    if (b->is_cancel) {
      b->Click();
      return;
    }
  }
}
inline void PressCloseBox(toolkit::Form& form) {
  form.CloseBox();
}

// ---- Display on the virtual PC
// -------------------------------------------------------------------

// Re-setting the mode reloads the card's monitor timings and, as Windows does, delivers the
// system's own WM_DISPLAYCHANGE to the main window during the call. The broadcast reaches the
// main window before it returns.
class VirtualDisplay : public Display {
 public:
  explicit VirtualDisplay(virt::VirtualPc& pc) : pc_(pc) {}
  std::function<void(uint32_t lparam)> deliver;  // the main window's WMDisplayChange
  int resets = 0;
  int broadcasts = 0;
  int cursor_level = 0;  // ShowCursor's display count
  std::vector<std::pair<uint32_t, uint32_t>> broadcast_args;

  void ResetMode() override {
    ++resets;
    virt::ResetCurrentMode(pc_.card());
    if (deliver) deliver(ScreenLparam());
  }
  void BroadcastDisplayChange(uint32_t wparam, uint32_t lparam) override {
    ++broadcasts;
    broadcast_args.emplace_back(wparam, lparam);
    if (deliver) deliver(lparam);
  }
  void ShowCursor(bool show) override { cursor_level += show ? 1 : -1; }

  // The user picks another resolution in the display settings.
  bool ChangeResolution(uint16_t width, uint16_t height) {
    return ChangeMode(virt::DefaultDepthMode(pc_.card(), width, height));
  }
  // The user picks another size or colour depth, or a game switches the screen; Windows tells
  // the programs the new size and depth (WM_DISPLAYCHANGE).
  bool ChangeMode(const virt::DesktopMode& mode) {
    if (!virt::SetDesktopMode(pc_.card(), mode)) return false;
    if (deliver) deliver(ScreenLparam());
    return true;
  }

 private:
  uint32_t ScreenLparam() const {
    const auto& mode = pc_.card().current_mode();
    return static_cast<uint32_t>(mode.width) | (static_cast<uint32_t>(mode.height) << 16);
  }
  virt::VirtualPc& pc_;
};

}  // namespace zanvo::testing
