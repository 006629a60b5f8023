// Desktop modes x standards x interlace choice on the Western Digital WD90C00 and WD90C30, applied
// as the window applies them and judged on the analyzed signal alone.

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
    // Both keep the row's clock flags; the preparation puts GR0C's clock select bit 2 back to
    // clocks 0-3 in each chip's own sense, and CR2D bit 5 interlaces.
    {"wd-90c00", 640, 480, vsPAL, true, F, 240, true},
    {"wd-90c00", 640, 480, vsPAL, false, F, 240, false},
    {"wd-90c00", 640, 480, vsNTSC, true, F, 240, true},
    {"wd-90c00", 640, 480, vsNTSC, false, F, 240, false},
    {"wd-90c00", 640, 480, vs24kHz, true, F, 240, true},
    {"wd-90c00", 640, 480, vs24kHz, false, F, 240, false},
    {"wd-90c00", 800, 600, vsPAL, true, F, 294, true},
    {"wd-90c00", 800, 600, vsPAL, false, F, 294, false},
    {"wd-90c00", 800, 600, vsNTSC, true, H, 0, false},
    {"wd-90c00", 800, 600, vsNTSC, false, F, 257, false},
    {"wd-90c00", 800, 600, vs24kHz, true, F, 300, true},
    {"wd-90c00", 800, 600, vs24kHz, false, F, 300, false},
    {"wd-90c00", 720, 400, vsPAL, true, F, 200, true},
    {"wd-90c00", 720, 400, vsPAL, false, F, 200, false},
    {"wd-90c00", 720, 400, vsNTSC, true, F, 200, true},
    {"wd-90c00", 720, 400, vsNTSC, false, F, 200, false},
    {"wd-90c00", 720, 400, vs24kHz, true, F, 200, true},
    {"wd-90c00", 720, 400, vs24kHz, false, H, 0, false},
    {"wd-90c00", 512, 384, vsPAL, true, F, 192, true},
    {"wd-90c00", 512, 384, vsPAL, false, F, 192, false},
    {"wd-90c00", 512, 384, vsNTSC, true, F, 192, true},
    {"wd-90c00", 512, 384, vsNTSC, false, F, 192, false},
    {"wd-90c00", 512, 384, vs24kHz, true, U, 0, false},
    {"wd-90c00", 512, 384, vs24kHz, false, U, 0, false},
    {"wd-90c30", 640, 480, vsPAL, true, F, 240, true},
    {"wd-90c30", 640, 480, vsPAL, false, F, 240, false},
    {"wd-90c30", 640, 480, vsNTSC, true, F, 240, true},
    {"wd-90c30", 640, 480, vsNTSC, false, F, 240, false},
    {"wd-90c30", 640, 480, vs24kHz, true, F, 240, true},
    {"wd-90c30", 640, 480, vs24kHz, false, F, 240, false},
    {"wd-90c30", 800, 600, vsPAL, true, F, 294, true},
    {"wd-90c30", 800, 600, vsPAL, false, F, 294, false},
    {"wd-90c30", 800, 600, vsNTSC, true, H, 0, false},
    {"wd-90c30", 800, 600, vsNTSC, false, F, 257, false},
    {"wd-90c30", 800, 600, vs24kHz, true, F, 300, true},
    {"wd-90c30", 800, 600, vs24kHz, false, F, 300, false},
    {"wd-90c30", 1024, 768, vsPAL, true, C, 0, false},
    {"wd-90c30", 1024, 768, vsPAL, false, H, 0, false},
    {"wd-90c30", 1024, 768, vsNTSC, true, C, 0, false},
    {"wd-90c30", 1024, 768, vsNTSC, false, H, 0, false},
    {"wd-90c30", 1024, 768, vs24kHz, true, U, 0, false},
    {"wd-90c30", 1024, 768, vs24kHz, false, U, 0, false},
    {"wd-90c30", 720, 400, vsPAL, true, F, 200, true},
    {"wd-90c30", 720, 400, vsPAL, false, F, 200, false},
    {"wd-90c30", 720, 400, vsNTSC, true, F, 200, true},
    {"wd-90c30", 720, 400, vsNTSC, false, F, 200, false},
    {"wd-90c30", 720, 400, vs24kHz, true, F, 200, true},
    {"wd-90c30", 720, 400, vs24kHz, false, H, 0, false},
};
// clang-format on

TEST(FitTable, WdChipsReachEachOutcome) {
  for (const FitCase& c : kCases)
    CheckFitCase(c);
}

}  // namespace
}  // namespace zanvo::fit
