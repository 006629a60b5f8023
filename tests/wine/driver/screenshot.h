#pragma once
// Saves what the screen shows of a window as a 24-bit BMP.

#include <windows.h>

#include <string>

namespace e2e {

// Copies the window's rectangle from the screen (frame and all), so it shows exactly what a
// person would see. Fails when the file cannot be written.
void SaveWindowPicture(HWND window, const std::string& bmp_path);

}  // namespace e2e
