#include "platform/win32/accept_window.h"

#include "platform/win32/modal_window.h"
#include "platform/win32/resource.h"

namespace zanvo::win32 {

namespace {

constexpr int kIconSize = 32;

class AcceptWindow final : public ModalWindow {
 public:
  explicit AcceptWindow(app::TAcceptDlg& dialog) : ModalWindow(dialog), dialog_(dialog) {}

 private:
  const char* class_name() const override { return "ZanvoAcceptDialog"; }
  // A dialog frame with the close box only.
  DWORD style() const override { return WS_POPUP | WS_CAPTION | WS_SYSMENU; }
  DWORD ex_style() const override { return WS_EX_DLGMODALFRAME; }

  void CreateControls(HWND hwnd, ControlBinder& binder) override {
    binder.AddPicture(
        dialog_.infoIcon, IDC_ACCEPT_ICON, {}, [this](HDC dc, const RECT& rect, bool, bool) {
          FillRect(dc, &rect, GetSysColorBrush(COLOR_BTNFACE));
          if (dialog_.infoIconId == 0) return;
          HICON icon = LoadIconA(nullptr, MAKEINTRESOURCEA(dialog_.infoIconId));
          if (icon)
            DrawIconEx(dc, rect.left, rect.top, icon, kIconSize, kIconSize, 0, nullptr, DI_NORMAL);
        });
    binder.AddLabel(dialog_.Label1, IDC_ACCEPT_TEXT, {}, true);
    binder.AddLabel(dialog_.lblRevert, IDC_ACCEPT_REVERT, {});
    // "&No" before "&Yes": the first tab stop has the focus when the dialog opens.
    binder.AddButton(dialog_.btnCancel, IDC_ACCEPT_NO);
    binder.AddButton(dialog_.btnOk, IDC_ACCEPT_YES);
    if (dialog_.timer.enabled) {
      SetTimer(hwnd, IDT_ACCEPT_COUNTDOWN, static_cast<UINT>(dialog_.timer.interval_ms), nullptr);
    }
  }

  void OnTimer(HWND hwnd, UINT_PTR id) override {
    if (id != IDT_ACCEPT_COUNTDOWN) return;
    dialog_.timer.Tick();
    if (!dialog_.timer.enabled) KillTimer(hwnd, IDT_ACCEPT_COUNTDOWN);
  }

  app::TAcceptDlg& dialog_;
};

}  // namespace

int ShowAcceptWindow(HWND owner, app::TAcceptDlg& dialog, toolkit::Application& application) {
  AcceptWindow window(dialog);
  return window.ShowModal(owner, application);
}

}  // namespace zanvo::win32
