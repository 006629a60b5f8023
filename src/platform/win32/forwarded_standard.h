#pragma once
// How a second copy hands its command line to the running one: WM_COPYDATA to the running
// copy's main window, one byte (the standard's code) tagged with this program's own number; the
// running copy answers through the message's result.

#include <windows.h>

namespace zanvo::win32 {

// The class of the main window, by which the second copy finds the first.
inline constexpr const char* kMainWindowClass = "ZanvoMainWindow";
// COPYDATASTRUCT::dwData of a forwarded standard ("ZNVS").
inline constexpr ULONG_PTR kForwardedStandardTag = 0x5A4E5653;
// The running copy's answers; a window that does not know the message returns 0.
inline constexpr LRESULT kForwardSwitched = 2;
inline constexpr LRESULT kForwardRefused = 1;
// Starting up or carrying out another switch: the caller asks again.
inline constexpr LRESULT kForwardBusy = 3;
// A switch re-sets the display mode and times the field: seconds, not minutes.
inline constexpr UINT kForwardTimeoutMs = 30000;

}  // namespace zanvo::win32
