#pragma once
// Saves what the screen shows of a window as a 24-bit BMP.

#include <windows.h>

#include <string>

namespace e2e {

// A rectangle of the screen copied into memory as a bottom-up DIB of 24 or 32 bits a pixel (a
// 24-bit row padded to four bytes, as a BMP file stores it).
class ScreenCopy {
 public:
  ScreenCopy(int left, int top, int width, int height, WORD bits_per_pixel);
  ~ScreenCopy();
  ScreenCopy(const ScreenCopy&) = delete;
  ScreenCopy& operator=(const ScreenCopy&) = delete;

  // False when the screen could not be copied; bits() is then not to be read.
  bool copied() const { return copied_ && bits_; }
  const void* bits() const { return bits_; }
  const BITMAPINFOHEADER& header() const { return info_.bmiHeader; }

 private:
  BITMAPINFO info_{};
  HDC screen_ = nullptr;
  HDC memory_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previous_ = nullptr;
  void* bits_ = nullptr;
  BOOL copied_ = FALSE;
};

// Copies the window's rectangle from the screen (frame and all), so it shows exactly what a
// person would see. Fails when the file cannot be written.
void SaveWindowPicture(HWND window, const std::string& bmp_path);

}  // namespace e2e
