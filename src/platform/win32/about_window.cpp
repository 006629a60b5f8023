#include "platform/win32/about_window.h"

#include "platform/win32/glyphs.h"
#include "platform/win32/modal_window.h"
#include "platform/win32/resource.h"

namespace zanvo::win32 {

namespace {

class AboutWindow final : public ModalWindow {
 public:
  explicit AboutWindow(app::TAboutBox& box) : ModalWindow(box), box_(box) {}

 private:
  const char* class_name() const override { return "ZanvoAboutBox"; }
  // A tool window with a sizeable border.
  DWORD style() const override { return WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME; }
  DWORD ex_style() const override { return WS_EX_TOOLWINDOW; }

  void CreateControls(HWND, ControlBinder& binder) override {
    // The panel's contents are placed relative to it, and are created before it so that they
    // lie above it.
    const Origin panel{box_.Panel1.bounds.left, box_.Panel1.bounds.top};
    binder.AddPicture(box_.ProgramIcon, IDC_ABOUT_PICTURE, panel,
                      [](HDC dc, const RECT& rect, bool, bool) { PaintAboutPicture(dc, rect); });
    binder.AddLabel(box_.ProductName, IDC_ABOUT_PRODUCT, panel);
    binder.AddLabel(box_.Version, IDC_ABOUT_VERSION, panel);
    binder.AddPanel(box_.Panel1, IDC_ABOUT_PANEL, {});
    binder.AddButton(box_.OKButton, IDC_ABOUT_OK);
  }

  app::TAboutBox& box_;
};

}  // namespace

int ShowAboutWindow(HWND owner, app::TAboutBox& box, toolkit::Application& application) {
  AboutWindow window(box);
  return window.ShowModal(owner, application);
}

}  // namespace zanvo::win32
