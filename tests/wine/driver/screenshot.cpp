#include "screenshot.h"

#include <cstdio>
#include <memory>

#include "check.h"

namespace e2e {

ScreenCopy::ScreenCopy(int left, int top, int width, int height, WORD bits_per_pixel) {
  info_.bmiHeader.biSize = sizeof info_.bmiHeader;
  info_.bmiHeader.biWidth = width;
  info_.bmiHeader.biHeight = height;  // positive: rows bottom-up
  info_.bmiHeader.biPlanes = 1;
  info_.bmiHeader.biBitCount = bits_per_pixel;
  info_.bmiHeader.biCompression = BI_RGB;
  screen_ = GetDC(nullptr);
  memory_ = CreateCompatibleDC(screen_);
  bitmap_ = CreateDIBSection(screen_, &info_, DIB_RGB_COLORS, &bits_, nullptr, 0);
  previous_ = SelectObject(memory_, bitmap_);
  copied_ = BitBlt(memory_, 0, 0, width, height, screen_, left, top, SRCCOPY | CAPTUREBLT);
  GdiFlush();
}

ScreenCopy::~ScreenCopy() {
  SelectObject(memory_, previous_);
  DeleteObject(bitmap_);
  DeleteDC(memory_);
  ReleaseDC(nullptr, screen_);
}

void SaveWindowPicture(HWND window, const std::string& bmp_path) {
  RECT rect{};
  if (!GetWindowRect(window, &rect)) Fail("could not get the window's rectangle");
  const LONG width = rect.right - rect.left;
  const LONG height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) Fail("the window has no area to picture");

  const ScreenCopy copy(rect.left, rect.top, width, height, 24);
  BITMAPINFOHEADER header = copy.header();

  // Each row is padded to a multiple of four bytes.
  const DWORD row_bytes = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
  const DWORD image_bytes = row_bytes * static_cast<DWORD>(height);
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof header;
  file.bfSize = file.bfOffBits + image_bytes;
  header.biSizeImage = image_bytes;

  if (!copy.copied()) Fail("could not copy the window from the screen");
  std::unique_ptr<FILE, int (*)(FILE*)> out(std::fopen(bmp_path.c_str(), "wb"), &std::fclose);
  const bool written = out && std::fwrite(&file, sizeof file, 1, out.get()) == 1 &&
                       std::fwrite(&header, sizeof header, 1, out.get()) == 1 &&
                       std::fwrite(copy.bits(), image_bytes, 1, out.get()) == 1;
  if (!written) Fail(Format("could not write %s", bmp_path.c_str()));
  Pass(Format("picture saved as %s", bmp_path.c_str()));
}

}  // namespace e2e
