#pragma once
// The scenarios of zanvo.exe itself, with the winio.dll test double in its folder: the WinIo
// loader and calling convention, the video ROM read through GetPhysLong, the display-mode
// re-set through the system, under the Windows version Wine is set to report.
//
// The test script stages the program folder (zanvo.exe and the double) and says in the
// environment where the rest lies:
//   ZANVO_E2E_PLANTED_DIR   a folder with "current\winio.dll" and "path\winio.dll", copies of
//                           a different library that the program must never load
//   ZANVO_E2E_WINDOWS       win98, winxp or empty: the Windows version Wine reports to the
//                           program (its per-program setting in the prefix)

#include <span>

#include "scenarios.h"

namespace e2e {

// The scenarios of zanvo.exe with the test double.
std::span<const NamedScenario> WinIoScenarios();

}  // namespace e2e
