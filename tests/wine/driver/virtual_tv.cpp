#include "virtual_tv.h"

#include <vector>

#include "check.h"
#include "main_window.h"
#include "platform/win32/resource.h"
#include "screenshot.h"
#include "settings_store.h"
#include "windows_ui.h"

namespace e2e {

namespace {

// Darker than any colour of the test card: the set's black, give or take the display's rounding.
constexpr int kDark = 0x10;

bool Lit(uint32_t pixel) {
  return ((pixel >> 16) & 0xFF) > kDark || ((pixel >> 8) & 0xFF) > kDark || (pixel & 0xFF) > kDark;
}

void ToFront(HWND tv) {
  SetCursorPos(0, GetSystemMetrics(SM_CYSCREEN) - 1);
  SetForegroundWindow(tv);
  Sleep(500);
}

}  // namespace

HWND WaitForVirtualTv(const Program& program) {
  return WaitFor("the Virtual TV window", 20000,
                 [&] { return FindTopLevel(program.pid(), kVirtualTvCaption, true); });
}

LitSpan ActiveAreaAcross(HWND tv) {
  RECT client{};
  POINT origin{0, 0};
  if (!GetClientRect(tv, &client) || !ClientToScreen(tv, &origin)) {
    Fail("could not find the Virtual TV's client area");
  }
  const int width = client.right;
  const int y = origin.y + client.bottom / 2;
  if (width <= 0) Fail("the Virtual TV has no client area");

  const ScreenCopy copy(origin.x, y, width, 1, 32);
  if (!copy.copied()) Fail("could not copy the Virtual TV from the screen");
  LitSpan span;
  const auto* row = static_cast<const uint32_t*>(copy.bits());
  for (int x = 0; x < width; ++x) {
    if (!Lit(row[x])) continue;
    if (span.first < 0) span.first = x;
    span.last = x;
  }
  return span;
}

void PictureOfVirtualTv(HWND tv, const std::string& bmp_path) {
  ToFront(tv);
  SaveWindowPicture(tv, bmp_path);
}

void VirtualTvFollowsShiftLeft(const ScenarioContext& context) {
  ForgetSettings();
  LetWineDrawFrames();
  Program program(context.program);
  HWND main = WaitForMainWindow(program);
  HWND tv = WaitForVirtualTv(program);
  ChooseTvStandard(program, main, IDC_MODE_PAL, KeepAnswer::kYes);
  ExpectRates(main, kPalRates);

  ToFront(tv);
  LitSpan before;
  WaitFor("a PAL picture on the Virtual TV", 10000, [&] {
    before = ActiveAreaAcross(tv);
    return before.first >= 0;
  });
  PictureOfVirtualTv(tv, context.output_dir + "\\virtual-tv-before.bmp");

  Click(Control(main, IDC_LEFT, "btnLeft"));
  ToFront(tv);
  LitSpan after;
  const bool moved = PollUntil(10000, [&] {
    after = ActiveAreaAcross(tv);
    return after.last != before.last;
  });
  PictureOfVirtualTv(tv, context.output_dir + "\\virtual-tv-after.bmp");
  // The right edge shows the whole move; 640 columns of PAL start at the screen's left edge, so
  // the left edge can only move out of sight.
  if (!moved || after.last >= before.last || after.first > before.first) {
    Fail(Format("after \"Shift output left\" the active area spans %d-%d, before %d-%d",
                after.first, after.last, before.first, before.last));
  }
  Pass(Format("\"Shift output left\" moved the Virtual TV's picture %d pixels left",
              before.last - after.last));

  // Closed, it only hides; the item of the main window's system menu brings it back.
  PostMessageA(tv, WM_CLOSE, 0, 0);
  WaitFor("the Virtual TV to hide when closed", 10000, [&] { return !IsWindowVisible(tv); });
  if (!program.Running()) Fail("closing the Virtual TV ended the program");
  PostMessageA(main, WM_SYSCOMMAND, IDM_SHOW_VIRTUAL_TV, 0);
  WaitFor("the system menu's \"Virtual TV\" to show it again", 10000,
          [&] { return IsWindowVisible(tv); });
  Pass("the closed Virtual TV came back from the system menu");

  Unload(program, main);
}

}  // namespace e2e
