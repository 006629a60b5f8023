#include "platform/win32/main_window.h"

#include "platform/win32/form_window.h"
#include "platform/win32/forwarded_standard.h"
#include "platform/win32/glyphs.h"
#include "platform/win32/resource.h"

namespace zanvo::win32 {

namespace {

constexpr const char* kClassName = kMainWindowClass;
// A fixed single border with the system menu and the minimise box, no maximise box.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

HICON LoadProgramIcon(HINSTANCE instance, int size) {
  return static_cast<HICON>(
      LoadImageA(instance, MAKEINTRESOURCEA(IDI_ZANVO), IMAGE_ICON, size, size, 0));
}

HBITMAP LoadGlyph(HINSTANCE instance, int id) {
  // LR_LOADMAP3DCOLORS turns the glyph's grey background into the button face colour.
  return static_cast<HBITMAP>(
      LoadImageA(instance, MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_LOADMAP3DCOLORS));
}

}  // namespace

MainWindow::MainWindow(app::TMain& main, toolkit::Application& application, Win32Tray& tray)
    : main_(main), application_(application), tray_(tray) {
  menu_items_ = {{{&main.OpenMain, IDM_OPEN},
                  {&main.N1, 0},
                  {&main.VGAMode, IDM_VGA_MODE},
                  {&main.TVMode, IDM_TV_MODE},
                  {&main.ComputedTimings, IDM_COMPUTED_TIMINGS},
                  {&main.N2, 0},
                  {&main.Close, IDM_CLOSE},
                  {&main.ClosetoVGA, IDM_CLOSE_TO_VGA},
                  {&main.N3, 0},
                  {&main.About, IDM_ABOUT}}};
}

MainWindow::~MainWindow() {
  if (hwnd_) DestroyWindow(hwnd_);
  if (unload_glyph_) DeleteObject(unload_glyph_);
  if (detect_glyph_) DeleteObject(detect_glyph_);
}

bool MainWindow::Create(HINSTANCE instance) {
  icon_ = LoadProgramIcon(instance, GetSystemMetrics(SM_CXICON));
  small_icon_ = LoadProgramIcon(instance, GetSystemMetrics(SM_CXSMICON));
  unload_glyph_ = LoadGlyph(instance, IDB_UNLOAD);
  detect_glyph_ = LoadGlyph(instance, IDB_DETECT);
  // Explorer sends this to every top-level window when it starts again after a crash.
  taskbar_created_ = RegisterWindowMessageA("TaskbarCreated");
  RegisterFormClass(instance, kClassName, WindowProc, icon_, small_icon_);
  hwnd_ = CreateCentredForm(instance, kClassName, main_, kStyle, 0, nullptr, this);
  return hwnd_ != nullptr;
}

void MainWindow::ShowIfVisible() {
  if (hwnd_ && main_.visible && !IsWindowVisible(hwnd_)) ShowWindow(hwnd_, SW_SHOWNORMAL);
}

void MainWindow::Refresh() {
  if (binder_) binder_->Refresh();
}

LRESULT CALLBACK MainWindow::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  MainWindow* self = WindowObject<MainWindow>(hwnd, message, lparam);
  if (!self) return DefWindowProcA(hwnd, message, wparam, lparam);
  if (message == WM_NCCREATE) self->hwnd_ = hwnd;
  return self->OnMessage(message, wparam, lparam);
}

LRESULT MainWindow::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  if (taskbar_created_ != 0 && message == taskbar_created_) return OnTaskbarCreated();
  switch (message) {
    case WM_CREATE:
      return OnCreate();
    case WM_COMMAND:
      return Refreshed(OnCommand(wparam, lparam));
    case app::WM_TRAYICON:
      return Refreshed(OnTrayIcon(lparam));
    case WM_DISPLAYCHANGE:
      return Refreshed(OnDisplayChange(lparam));
    case WM_SYSCOMMAND:
      return OnSysCommand(wparam, lparam);
    case WM_CLOSE:
      return Refreshed(OnClose());
    case WM_ENDSESSION:
      return OnEndSession(wparam);
    case WM_COPYDATA:
      return Refreshed(OnCopyData(lparam));
    case WM_DESTROY:
      return OnDestroy();
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
      return OnCtlColor(message, wparam, lparam);
    case WM_DRAWITEM:
      return OnDrawItem(lparam);
    case WM_NCDESTROY:
      SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
      hwnd_ = nullptr;
      return 0;
    default:
      return DefWindowProcA(hwnd_, message, wparam, lparam);
  }
}

LRESULT MainWindow::OnCreate() {
  binder_ = std::make_unique<ControlBinder>(hwnd_, FormFont());
  CreateControls();
  binder_->Refresh();
  return 0;
}

void MainWindow::CreateControls() {
  app::TMain& m = main_;
  ControlBinder& b = *binder_;
  auto origin = [](const toolkit::Control& box) { return Origin{box.bounds.left, box.bounds.top}; };

  // In tab order; inside a group box, positions count from the box.
  b.AddButton(m.btnClose, IDC_BTN_CLOSE, {}, unload_glyph_);

  b.AddGroupBox(m.modeBox, IDC_MODE_BOX, {});
  const Origin mode = origin(m.modeBox);
  b.AddRadioButton(m.chkModeVGA, IDC_MODE_VGA, mode, true);
  b.AddRadioButton(m.chkModePAL, IDC_MODE_PAL, mode, false);
  b.AddRadioButton(m.chkModeNTSC, IDC_MODE_NTSC, mode, false);
  b.AddRadioButton(m.chkModeSega, IDC_MODE_SEGA, mode, false);

  b.AddGroupBox(m.boxOptions, IDC_OPTIONS_BOX, {});
  const Origin options = origin(m.boxOptions);
  b.AddCheckBox(m.chkISP, IDC_ISP, options);
  b.AddCheckBox(m.chkNoInterlace, IDC_NO_INTERLACE, options);
  b.AddCheckBox(m.chkOEVSyncSz, IDC_OE_VSYNC, options);
  b.AddCheckBox(m.chkExitVGA, IDC_EXIT_VGA, options);
  b.AddCheckBox(m.chkSaveExit, IDC_SAVE_EXIT, options);

  b.AddLabel(m.lblHFreq, IDC_HFREQ_LABEL, {});
  b.AddEdit(m.editHFreq, IDC_HFREQ, {});
  b.AddLabel(m.lblVFreq, IDC_VFREQ_LABEL, {});
  b.AddEdit(m.editVFreq, IDC_VFREQ, {});

  b.AddGroupBox(m.GroupBoxChipset, IDC_CHIPSET_BOX, {});
  const Origin chipset = origin(m.GroupBoxChipset);
  // Each label just before its list, so that its mnemonic moves the focus to the list.
  b.AddLabel(m.lblBrand, IDC_BRAND_LABEL, chipset);
  b.AddComboBox(m.comboChipsets, IDC_CHIPSETS, chipset);
  b.AddLabel(m.lblModel, IDC_MODEL_LABEL, chipset);
  b.AddComboBox(m.comboModels, IDC_MODELS, chipset);
  b.AddButton(m.btnDetect, IDC_DETECT, chipset, detect_glyph_);
  b.AddButton(m.btnDetectNext, IDC_DETECT_NEXT, chipset);

  b.AddGroupBox(m.grpOutput, IDC_OUTPUT_BOX, {});
  const Origin output = origin(m.grpOutput);
  b.AddSpeedButton(m.btnUp, IDC_UP, output, ArrowGlyph(Arrow::kUp));
  b.AddSpeedButton(m.btnLeft, IDC_LEFT, output, ArrowGlyph(Arrow::kLeft));
  b.AddSpeedButton(m.btnRight, IDC_RIGHT, output, ArrowGlyph(Arrow::kRight));
  b.AddSpeedButton(m.btnDown, IDC_DOWN, output, ArrowGlyph(Arrow::kDown));
  b.AddPicture(m.picScreen, IDC_PIC_SCREEN, output, [](HDC dc, const RECT& rect, bool, bool) {
    FillRect(dc, &rect, GetSysColorBrush(COLOR_BTNFACE));
    PaintScreenPicture(dc, rect);
  });
}

LRESULT MainWindow::OnCommand(WPARAM wparam, LPARAM lparam) {
  // Menu commands come with no control handle and notification code 0.
  if (lparam == 0 && HIWORD(wparam) == 0) {
    for (auto& [item, id] : menu_items_) {
      if (id != 0 && id == LOWORD(wparam)) {
        item->Click();
        return 0;
      }
    }
  }
  if (binder_) binder_->OnCommand(wparam, lparam);
  return 0;
}

LRESULT MainWindow::OnTrayIcon(LPARAM lparam) {
  const int shown_before = main_.popup_count;
  main_.WMTrayIcon(static_cast<uint32_t>(lparam));
  if (main_.popup_count != shown_before) PopUpTrayMenu();
  return 0;
}

void MainWindow::PopUpTrayMenu() {
  HMENU menu = CreatePopupMenu();
  if (!menu) return;
  for (const auto& [item, id] : menu_items_) {
    if (item->caption == "-") {
      AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    const UINT flags = MF_STRING | (item->checked ? MF_CHECKED : MF_UNCHECKED) |
                       (item->enabled ? MF_ENABLED : MF_GRAYED);
    AppendMenuA(menu, flags, static_cast<UINT_PTR>(id), item->caption.c_str());
  }
  // The shell has already made this window the foreground window (WMTrayIcon): without that
  // the menu would stay open when the user clicks elsewhere. The command arrives as WM_COMMAND.
  TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, main_.popup_position.x,
                 main_.popup_position.y, 0, hwnd_, nullptr);
  // A message posted to the window makes a second right click on the icon open the menu
  // again instead of closing it at once.
  PostMessageA(hwnd_, WM_NULL, 0, 0);
  DestroyMenu(menu);
}

LRESULT MainWindow::OnDisplayChange(LPARAM lparam) {
  main_.WMDisplayChange(static_cast<uint32_t>(lparam));
  return 0;
}

LRESULT MainWindow::OnSysCommand(WPARAM wparam, LPARAM lparam) {
  if ((wparam & 0xFFF0) == SC_MINIMIZE && application_.OnMinimize) application_.OnMinimize();
  return DefWindowProcA(hwnd_, WM_SYSCOMMAND, wparam, lparam);
}

LRESULT MainWindow::OnClose() {
  int action = 0;
  main_.OnClose(action);
  // Any action but "keep the form" ends the window the ordinary way.
  if (action != 0) DestroyWindow(hwnd_);
  return 0;
}

LRESULT MainWindow::OnEndSession(WPARAM ending) {
  if (ending) main_.StoreSettingsAtSessionEnd();
  return 0;
}

LRESULT MainWindow::OnCopyData(LPARAM lparam) {
  // Any program can send this message: only the one form a second copy sends is taken.
  const auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(lparam);
  if (copy == nullptr || copy->dwData != kForwardedStandardTag || copy->cbData != 1 ||
      copy->lpData == nullptr) {
    return 0;
  }
  // A copy that is not the running one answers as a window that does not know the message.
  if (!main_.TakesForwardedStandards()) return 0;
  const uint8_t standard = *static_cast<const BYTE*>(copy->lpData);
  switch (main_.AnswerScript(standard)) {
    case ForwardResult::kSwitched:
      return kForwardSwitched;
    case ForwardResult::kBusy:
      return kForwardBusy;
    default:
      return kForwardRefused;
  }
}

LRESULT MainWindow::OnDestroy() {
  main_.OnDestroy();
  binder_.reset();
  PostQuitMessage(application_.exit_code());
  return 0;
}

LRESULT MainWindow::OnTaskbarCreated() {
  tray_.Restore();
  return 0;
}

LRESULT MainWindow::OnCtlColor(UINT message, WPARAM wparam, LPARAM lparam) {
  HBRUSH brush =
      binder_ ? binder_->OnCtlColor(reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam))
              : nullptr;
  if (brush) return reinterpret_cast<LRESULT>(brush);
  return DefWindowProcA(hwnd_, message, wparam, lparam);
}

LRESULT MainWindow::OnDrawItem(LPARAM lparam) {
  return binder_ && binder_->OnDrawItem(*reinterpret_cast<DRAWITEMSTRUCT*>(lparam));
}

LRESULT MainWindow::Refreshed(LRESULT result) {
  // The handler may have ended the window (WM_DESTROY drops the binder).
  if (binder_) binder_->Refresh();
  return result;
}

}  // namespace zanvo::win32
