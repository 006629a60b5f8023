#pragma once
// The program called from a batch file, as scripts and emulator front ends call it.

#include <windows.h>

#include "scenarios.h"

namespace e2e {

// The usage box a copy of its own shows for a command line `not_understood`: found on the
// screen with the text naming it, and closed with OK. Returns the process that showed it.
DWORD CloseUsageBox(const char* not_understood);

// Batch files run by "cmd /c": "/secam" ends at once with 2 while its box names it; with no copy
// running, "/pal" ends at once with 0 and leaves a resident copy in PAL; "/vga" ends with 0 and
// the resident copy is back on the monitor timings. Then two batch files call "/pal" at once
// with no copy running: both end with 0, and one resident copy is left in PAL.
void ScriptCalls(const ScenarioContext& context);

}  // namespace e2e
