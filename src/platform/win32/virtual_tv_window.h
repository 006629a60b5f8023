#pragma once
// The "Virtual TV" window of zanvo-virtual: what the set on the virtual card's output shows,
// drawn with plain GDI from the virtual TV's picture. It sits beside ZANVO's window, redraws
// once the program has written the card (a standard applied, a centering move, a display-mode
// re-set) and the picture's inputs changed. Closing it only hides it; the "Virtual TV" item of
// ZANVO's system menu brings it back.

#include <windows.h>

#include <cstdint>

#include "platform/virtual/signal/mode_timing.h"
#include "platform/virtual/signal/signal.h"
#include "platform/virtual/tv/tv_image.h"
#include "platform/virtual/virtual_pc.h"

namespace zanvo::win32 {

class VirtualTvWindow {
 public:
  explicit VirtualTvWindow(virt::VirtualPc& pc) : pc_(pc) {}
  VirtualTvWindow(const VirtualTvWindow&) = delete;
  VirtualTvWindow& operator=(const VirtualTvWindow&) = delete;
  ~VirtualTvWindow();

  // Creates the window beside `main_window`, shown or hidden.
  bool Create(HINSTANCE instance, HWND main_window, bool shown);
  // The program wrote the card: a redraw is posted, once, to run when the handler that writes
  // is done.
  void CardWritten();
  void Show();
  HWND hwnd() const { return hwnd_; }

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);
  void OnRedraw();
  void OnPaint();

  virt::VirtualPc& pc_;
  HWND hwnd_ = nullptr;
  bool redraw_posted_ = false;

  // What the picture on show was drawn from.
  bool drawn_ = false;
  virt::CrtcTiming timing_{};
  virt::ModeTiming mode_{};
  uint8_t standard_ = 0;
  virt::Image desktop_;  // the test card of the current desktop mode
  virt::Image screen_;
};

}  // namespace zanvo::win32
