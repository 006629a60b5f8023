#include "platform/win32/virtual_tv_menu.h"

#include <commctrl.h>

#include "platform/win32/resource.h"

namespace zanvo::win32 {

namespace {

constexpr UINT kSysCommandVirtualTv = IDM_SHOW_VIRTUAL_TV;
constexpr UINT_PTR kSubclassId = 0x54;
constexpr char kMenuText[] = "Virtual TV";

LRESULT CALLBACK MainWindowSubclass(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                    UINT_PTR id, DWORD_PTR data) {
  if (message == WM_SYSCOMMAND && (wparam & 0xFFF0) == kSysCommandVirtualTv) {
    reinterpret_cast<VirtualTvWindow*>(data)->Show();
    return 0;
  }
  if (message == WM_NCDESTROY) RemoveWindowSubclass(window, &MainWindowSubclass, id);
  return DefSubclassProc(window, message, wparam, lparam);
}

}  // namespace

void AddVirtualTvMenuItem(HWND main_window, VirtualTvWindow& tv) {
  HMENU menu = GetSystemMenu(main_window, FALSE);
  if (menu == nullptr) return;
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING, kSysCommandVirtualTv, kMenuText);
  SetWindowSubclass(main_window, &MainWindowSubclass, kSubclassId,
                    reinterpret_cast<DWORD_PTR>(&tv));
}

}  // namespace zanvo::win32
