#include "screenshot.h"

#include <cstdio>
#include <memory>

#include "check.h"

namespace e2e {

void SaveWindowPicture(HWND window, const std::string& bmp_path) {
  RECT rect{};
  if (!GetWindowRect(window, &rect)) Fail("could not get the window's rectangle");
  const LONG width = rect.right - rect.left;
  const LONG height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) Fail("the window has no area to picture");

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // positive: rows bottom-up, as a BMP file stores them
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;

  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  const BOOL copied =
      BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY | CAPTUREBLT);
  GdiFlush();

  // Each row is padded to a multiple of four bytes.
  const DWORD row_bytes = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
  const DWORD image_bytes = row_bytes * static_cast<DWORD>(height);
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof info.bmiHeader;
  file.bfSize = file.bfOffBits + image_bytes;
  info.bmiHeader.biSizeImage = image_bytes;

  bool written = false;
  if (copied && bits) {
    std::unique_ptr<FILE, int (*)(FILE*)> out(std::fopen(bmp_path.c_str(), "wb"), &std::fclose);
    written = out && std::fwrite(&file, sizeof file, 1, out.get()) == 1 &&
              std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out.get()) == 1 &&
              std::fwrite(bits, image_bytes, 1, out.get()) == 1;
  }

  SelectObject(memory, previous);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  if (!copied) Fail("could not copy the window from the screen");
  if (!written) Fail(Format("could not write %s", bmp_path.c_str()));
  Pass(Format("picture saved as %s", bmp_path.c_str()));
}

}  // namespace e2e
