#pragma once
// What the test double tells the end-to-end driver: one line per event, appended to the file
// that ZANVO_WINIO_REPORT names (nothing is written when it is unset). A file, not a pipe: the
// driver reads it after the program has ended, and a second copy of the program appends to it.

#include <windows.h>

#include <string>

namespace zanvo::winio_double {

void Report(const std::string& line);

// The full path of the DLL that `address` lies in (a function of that DLL).
std::string ModulePathOf(const void* address);

}  // namespace zanvo::winio_double
