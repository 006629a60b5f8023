#include "platform/win32/virtual_tv_window.h"

#include "engine/chip_codes.h"
#include "engine/engine_state.h"
#include "platform/virtual/tv/test_card.h"
#include "platform/virtual/tv/tv_render.h"
#include "platform/win32/form_window.h"

namespace zanvo::win32 {

namespace {

constexpr char kClassName[] = "ZanvoVirtualTv";
constexpr char kCaption[] = "Virtual TV";
// Half a PAL frame: small enough to sit beside ZANVO's window on a 1280-wide screen.
constexpr int kScreenWidth = 384;
constexpr int kScreenHeight = 288;
constexpr int kGap = 8;
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
// Posted by CardWritten; handled once the program's current handler has returned.
constexpr UINT kMsgRedraw = WM_APP + 0x54;

virt::Receiver ReceiverFor(uint8_t standard) {
  switch (standard) {
    case engine::vsPAL:
      return virt::Receiver::kPal;
    case engine::vsNTSC:
      return virt::Receiver::kNtsc;
    case engine::vs24kHz:
      return virt::Receiver::kArcade24kHz;
    default:
      return virt::Receiver::kVgaMonitor;
  }
}

// To the right of ZANVO's window, kept on the screen.
POINT PlaceBeside(HWND main_window, int width) {
  RECT main{};
  GetWindowRect(main_window, &main);
  const int screen_width = GetSystemMetrics(SM_CXSCREEN);
  POINT place{main.right + kGap, main.top};
  if (place.x + width > screen_width) place.x = screen_width - width;
  if (place.x < 0) place.x = 0;
  if (place.y < 0) place.y = 0;
  return place;
}

}  // namespace

VirtualTvWindow::~VirtualTvWindow() {
  if (hwnd_ != nullptr) {
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
}

bool VirtualTvWindow::Create(HINSTANCE instance, HWND main_window, bool shown) {
  RegisterFormClass(instance, kClassName, &VirtualTvWindow::Procedure, nullptr, nullptr,
                    static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  RECT frame{0, 0, kScreenWidth, kScreenHeight};
  AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  const POINT place = PlaceBeside(main_window, width);
  // No owner: a top-level window of its own, with its own button on the taskbar.
  hwnd_ = CreateWindowExA(0, kClassName, kCaption, kStyle, place.x, place.y, width, height, nullptr,
                          nullptr, instance, this);
  if (hwnd_ == nullptr) return false;
  OnRedraw();
  if (shown) ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
  return true;
}

void VirtualTvWindow::CardWritten() {
  if (hwnd_ == nullptr || redraw_posted_) return;
  redraw_posted_ = PostMessageA(hwnd_, kMsgRedraw, 0, 0) != FALSE;
}

void VirtualTvWindow::Show() {
  if (hwnd_ == nullptr) return;
  ShowWindow(hwnd_, SW_SHOWNORMAL);
  SetForegroundWindow(hwnd_);
}

LRESULT CALLBACK VirtualTvWindow::Procedure(HWND window, UINT message, WPARAM wparam,
                                            LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lparam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<VirtualTvWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self == nullptr || self->hwnd_ != window) {
    return DefWindowProcA(window, message, wparam, lparam);
  }
  return self->Handle(message, wparam, lparam);
}

LRESULT VirtualTvWindow::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case kMsgRedraw:
      OnRedraw();
      return 0;
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_ERASEBKGND:
      return 1;  // the picture covers the whole client area
    case WM_CLOSE:
      ShowWindow(hwnd_, SW_HIDE);  // the system menu of ZANVO's window brings it back
      return 0;
    default:
      return DefWindowProcA(hwnd_, message, wparam, lparam);
  }
}

// Renders again only when what the picture is drawn from changed: the readout's timer writes
// the PC timer's ports every second without touching the card.
void VirtualTvWindow::OnRedraw() {
  redraw_posted_ = false;
  const virt::VgaCard& card = pc_.card();
  const virt::CrtcTiming timing = card.ExtractTiming();
  const virt::ModeTiming& mode = card.current_mode();
  const uint8_t standard = engine::Eng.CurrentStandard;
  if (drawn_ && timing == timing_ && mode == mode_ && standard == standard_) return;
  // The desktop at its size and depth, as the driver set it.
  if (!drawn_ || mode.width != mode_.width || mode.height != mode_.height ||
      mode.bits_per_pixel != mode_.bits_per_pixel) {
    desktop_ = virt::DrawTestCard(mode.width, mode.height, mode.bits_per_pixel);
  }
  drawn_ = true;
  timing_ = timing;
  mode_ = mode;
  standard_ = standard;
  screen_ = virt::RenderTv(card.signal(), mode, ReceiverFor(standard), desktop_, kScreenWidth,
                           kScreenHeight)
                .screen;
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void VirtualTvWindow::OnPaint() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(hwnd_, &paint);
  if (screen_.width > 0 && screen_.height > 0) {
    // 32-bit DIB pixels are 0x00RRGGBB words, as the picture's; a negative height puts the
    // first row at the top.
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = screen_.width;
    info.bmiHeader.biHeight = -screen_.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    SetDIBitsToDevice(
        dc, 0, 0, static_cast<DWORD>(screen_.width), static_cast<DWORD>(screen_.height), 0, 0, 0,
        static_cast<UINT>(screen_.height), screen_.pixels.data(), &info, DIB_RGB_COLORS);
  }
  EndPaint(hwnd_, &paint);
}

}  // namespace zanvo::win32
