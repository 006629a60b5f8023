// Desktop modes x standards x interlace choice on the UMC 85C408, applied as the window
// applies them and judged on the analyzed signal alone.

#include <gtest/gtest.h>

#include "engine/chip_codes.h"
#include "fit_check.h"
#include "fit_unfitted.h"

namespace zanvo::fit {
namespace {

using engine::vs24kHz;
using engine::vsNTSC;
using engine::vsPAL;

// clang-format off
const FitCase kCases[] = {
    // The 85C408 takes the half-clock code: clock 1 at full rate, halved by SR09 bit 7 in the
    // extra clock step. Interlace is CR2F bit 0 with field-sized vertical values.
    {"umc-85c408", 640, 480, vsPAL, true, F, 240, true},
    {"umc-85c408", 640, 480, vsPAL, false, F, 240, false},
    {"umc-85c408", 640, 480, vsNTSC, true, F, 240, true},
    {"umc-85c408", 640, 480, vsNTSC, false, F, 240, false},
    {"umc-85c408", 640, 480, vs24kHz, true, F, 240, true},
    {"umc-85c408", 640, 480, vs24kHz, false, F, 240, false},
    {"umc-85c408", 800, 600, vsPAL, true, F, 294, true},
    {"umc-85c408", 800, 600, vsPAL, false, F, 294, false},
    {"umc-85c408", 800, 600, vsNTSC, true, H, 0, false},
    {"umc-85c408", 800, 600, vsNTSC, false, F, 257, false},
    {"umc-85c408", 800, 600, vs24kHz, true, F, 300, true},
    {"umc-85c408", 800, 600, vs24kHz, false, F, 300, false},
    {"umc-85c408", 1024, 768, vs24kHz, true, U, 0, false},
    {"umc-85c408", 1024, 768, vs24kHz, false, U, 0, false},
    {"umc-85c408", 720, 400, vsPAL, true, F, 200, true},
    {"umc-85c408", 720, 400, vsPAL, false, F, 200, false},
    {"umc-85c408", 720, 400, vsNTSC, true, F, 200, true},
    {"umc-85c408", 720, 400, vsNTSC, false, F, 200, false},
    {"umc-85c408", 720, 400, vs24kHz, true, F, 200, true},
    {"umc-85c408", 720, 400, vs24kHz, false, H, 0, false},
    {"umc-85c408", 1056, 480, vsPAL, true, C, 0, false},
    {"umc-85c408", 1056, 480, vsPAL, false, C, 0, false},
    {"umc-85c408", 1056, 480, vsNTSC, true, C, 0, false},
    {"umc-85c408", 1056, 480, vsNTSC, false, C, 0, false},
    {"umc-85c408", 1056, 480, vs24kHz, true, U, 0, false},
    {"umc-85c408", 1056, 480, vs24kHz, false, U, 0, false},
};

// Rows found, but the signal misses the TV line rate: the rows for 120 columns and up want the
// undivided 28.322 MHz (flags 0x21), yet any flags with bits 4-7 run the extra clock step, and
// SR09 bit 7 halves the clock again.
const UnfittedCase kUnfitted[] = {
    {"umc-85c408", 1024, 768, vsPAL, true, 14'161'000},
    {"umc-85c408", 1024, 768, vsNTSC, false, 14'161'000},
    {"umc-85c408", 960, 600, vsPAL, false, 14'161'000},
    {"umc-85c408", 1152, 864, vsNTSC, true, 14'161'000},
};
// clang-format on

TEST(FitTable, Umc85c408ReachesEachOutcome) {
  for (const FitCase& c : kCases)
    CheckFitCase(c);
}

TEST(FitTable, Umc85c408MissesTheLineRateWhereTheClockStepDisagrees) {
  for (const UnfittedCase& c : kUnfitted)
    CheckUnfittedCase(c);
}

}  // namespace
}  // namespace zanvo::fit
