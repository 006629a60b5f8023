// Every desktop mode x standard x interlace choice on the standard VGA (its 256 KiB hold 640x480
// in 16 colours and 320x200 in 256), applied as the window applies it, and judged on the
// analyzed signal alone.

#include <gtest/gtest.h>

#include "engine/chip_codes.h"
#include "fit_check.h"

namespace zanvo::fit {
namespace {

using engine::vs24kHz;
using engine::vsNTSC;
using engine::vsPAL;

// clang-format off
const FitCase kCases[] = {
    // The standard VGA has no chip interlace: tall modes are fitted by skipping lines, and a
    // line count that halves to no table key keeps its vertical timing.
    {"vga", 640, 480, vsPAL, true, F, 240, false},
    {"vga", 640, 480, vsNTSC, true, F, 240, false},
    {"vga", 640, 480, vs24kHz, true, F, 240, false},
    {"vga", 640, 480, vsPAL, false, F, 240, false},
    {"vga", 320, 200, vsPAL, true, F, 200, false},
    {"vga", 320, 200, vsNTSC, true, F, 200, false},
    {"vga", 320, 200, vs24kHz, true, H, 0, false},
};
// clang-format on

TEST(FitTable, StandardVgaReachesEachOutcome) {
  for (const FitCase& c : kCases)
    CheckFitCase(c);
}

}  // namespace
}  // namespace zanvo::fit
