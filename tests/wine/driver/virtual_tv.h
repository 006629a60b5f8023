#pragma once
// The Virtual TV window of zanvo-virtual as the driver sees it: found by its caption, its
// picture read back from the screen.

#include <windows.h>

#include <string>

#include "program.h"
#include "scenarios.h"

namespace e2e {

inline constexpr char kVirtualTvCaption[] = "Virtual TV";

HWND WaitForVirtualTv(const Program& program);

// Where the picture is lit along the middle row of the window's client area: the active area's
// left and right edges, in client pixels (first < 0 when the row is dark).
struct LitSpan {
  int first = -1;
  int last = -1;
};
LitSpan ActiveAreaAcross(HWND tv);

// Brings the window to the front and saves its picture.
void PictureOfVirtualTv(HWND tv, const std::string& bmp_path);

// PAL kept, then "Shift output left": the Virtual TV's active area moves left. Closed, the
// window hides and comes back from the system menu of ZANVO's window.
void VirtualTvFollowsShiftLeft(const ScenarioContext& context);

}  // namespace e2e
