// Every desktop mode x standard x interlace choice on the standard VGA, applied as the window
// applies it, and judged on the analyzed signal alone.

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
    {"vga", 800, 600, vsPAL, true, F, 294, false},
    {"vga", 800, 600, vsNTSC, true, F, 257, false},
    {"vga", 800, 600, vs24kHz, true, F, 300, false},
    {"vga", 720, 400, vsPAL, true, F, 200, false},
    {"vga", 720, 400, vsNTSC, true, F, 200, false},
    {"vga", 720, 400, vs24kHz, true, H, 0, false},
    {"vga", 320, 200, vsPAL, true, F, 200, false},
    {"vga", 320, 200, vsNTSC, true, F, 200, false},
    {"vga", 320, 200, vs24kHz, true, H, 0, false},
    {"vga", 640, 400, vsPAL, true, F, 200, false},
    {"vga", 640, 400, vsNTSC, true, F, 200, false},
    {"vga", 1024, 768, vsPAL, true, H, 0, false},
    {"vga", 1024, 768, vsNTSC, false, H, 0, false},
    {"vga", 1024, 768, vs24kHz, true, U, 0, false},
    {"vga", 512, 384, vsPAL, true, F, 192, false},
    {"vga", 512, 384, vsNTSC, true, F, 192, false},
    {"vga", 512, 384, vs24kHz, true, U, 0, false},
    {"vga", 768, 576, vsPAL, true, F, 288, false},
    {"vga", 768, 576, vsNTSC, true, F, 257, false},
    {"vga", 768, 576, vs24kHz, true, U, 0, false},  // the 24 kHz table has no 96 row
    {"vga", 848, 480, vsPAL, true, F, 240, false},
    {"vga", 848, 480, vs24kHz, true, F, 240, false},
    {"vga", 960, 600, vsPAL, true, F, 294, false},
    {"vga", 960, 600, vs24kHz, true, U, 0, false},
    {"vga", 1056, 480, vsPAL, true, C, 0, false},
    {"vga", 1056, 480, vsNTSC, true, C, 0, false},
    {"vga", 1152, 864, vsPAL, true, H, 0, false},
    {"vga", 1280, 1024, vsNTSC, true, H, 0, false},
    {"vga", 1600, 1200, vsPAL, true, H, 0, false},
};
// clang-format on

TEST(FitTable, StandardVgaReachesEachOutcome) {
  for (const FitCase& c : kCases)
    CheckFitCase(c);
}

}  // namespace
}  // namespace zanvo::fit
