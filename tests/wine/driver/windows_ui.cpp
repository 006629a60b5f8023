#include "windows_ui.h"

#include <cstring>
#include <vector>

#include "check.h"

namespace e2e {
namespace {

constexpr UINT kReplyTimeoutMs = 2000;

BOOL CALLBACK CollectWindow(HWND w, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(w);
  return TRUE;
}

std::vector<HWND> TopLevelWindows() {
  std::vector<HWND> windows;
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

std::vector<HWND> Descendants(HWND parent) {
  std::vector<HWND> windows;
  EnumChildWindows(parent, CollectWindow, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

DWORD OwnerOf(HWND w) {
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  return pid;
}

// The text, or nothing when the window does not answer (a window may go away while we look).
bool TryTextOf(HWND w, std::string& text) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutA(w, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kReplyTimeoutMs, &length))
    return false;
  std::vector<char> buffer(length + 1);
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutA(w, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                           SMTO_ABORTIFHUNG, kReplyTimeoutMs, &copied))
    return false;
  text.assign(buffer.data(), copied < buffer.size() ? copied : buffer.size() - 1);
  return true;
}

}  // namespace

HWND FindTopLevel(DWORD pid, const char* caption, bool visible_only) {
  for (HWND w : TopLevelWindows()) {
    if (OwnerOf(w) != pid || (visible_only && !IsWindowVisible(w))) continue;
    // A caption is kept by the system, so reading it needs no answer from the busy program.
    char text[256] = {};
    GetWindowTextA(w, text, sizeof text);
    if (std::strcmp(text, caption) == 0) return w;
  }
  return nullptr;
}

HWND FindTopLevelShowing(DWORD pid, const char* wanted) {
  for (HWND w : TopLevelWindows()) {
    if ((pid != 0 && OwnerOf(w) != pid) || !IsWindowVisible(w)) continue;
    for (HWND child : Descendants(w)) {
      std::string text;
      if (TryTextOf(child, text) && text == wanted) return w;
    }
  }
  return nullptr;
}

HWND FindVisibleOfClass(DWORD pid, const char* class_name) {
  for (HWND w : TopLevelWindows()) {
    char name[64] = {};
    if (OwnerOf(w) != pid || !IsWindowVisible(w)) continue;
    if (GetClassNameA(w, name, sizeof name) && std::strcmp(name, class_name) == 0) return w;
  }
  return nullptr;
}

HWND FindControl(HWND parent, int id) {
  for (HWND w : Descendants(parent)) {
    if (GetDlgCtrlID(w) == id) return w;
  }
  return nullptr;
}

HWND Control(HWND parent, int id, const char* what) {
  HWND w = FindControl(parent, id);
  if (!w) Fail(Format("the window has no control %s (ID %d)", what, id));
  return w;
}

std::string TextOf(HWND window) {
  std::string text;
  if (!TryTextOf(window, text)) Fail(Format("window %p did not answer WM_GETTEXT", (void*)window));
  return text;
}

bool IsChecked(HWND button) {
  DWORD_PTR state = 0;
  if (!SendMessageTimeoutA(button, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, kReplyTimeoutMs, &state))
    Fail(Format("button %p did not answer BM_GETCHECK", (void*)button));
  return state == BST_CHECKED;
}

void Click(HWND button) {
  // A person cannot click into a window that a modal dialog has disabled.
  if (!IsWindowEnabled(button) || !IsWindowEnabled(GetAncestor(button, GA_ROOT)))
    Fail(Format("the button \"%s\" is disabled (is a dialog open?)", TextOf(button).c_str()));
  if (!PostMessageA(button, BM_CLICK, 0, 0)) Fail("could not post BM_CLICK");
}

void PressDialogButton(HWND dialog, int id) {
  const LPARAM button = reinterpret_cast<LPARAM>(FindControl(dialog, id));
  if (!PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), button))
    Fail(Format("could not post the command %d to the dialog", id));
}

}  // namespace e2e
