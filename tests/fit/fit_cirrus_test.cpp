// The Cirrus GD5434 through every kind of desktop mode, standard and interlace choice, judged
// on the analyzed signal alone.

#include <gtest/gtest.h>

#include "engine/chip_codes.h"
#include "fit_check.h"
#include "off_rate_check.h"

namespace zanvo::fit {
namespace {

using engine::vs24kHz;
using engine::vsNTSC;
using engine::vsPAL;

// The extra clock step loads VCLK3 with VCLK1's numerator shifted right by one: the reset
// VCLK1 (numerator 0x5B = 91, denominator 0x2F = divisor 23 with the post-divide) becomes
// 14.31818 MHz x 45 / 23 / 2 = 14.007 MHz, 1.1% below half of 28.322 MHz.
constexpr double kHalvedVclk1Hz = 14'318'180.0 * 45 / 23 / 2;

// clang-format off
const FitCase kCases[] = {
    // Progressive PAL and NTSC stay within 1% despite the slow clock.
    {"cirrus-gd5434", 640, 480, vsPAL, false, F, 240, false},
    {"cirrus-gd5434", 640, 480, vsNTSC, false, F, 240, false},
    {"cirrus-gd5434", 640, 480, vs24kHz, true, F, 240, true},
    {"cirrus-gd5434", 640, 480, vs24kHz, false, F, 240, false},
    {"cirrus-gd5434", 800, 600, vsPAL, false, F, 294, false},
    // NTSC: 300 interlaced lines are still above 263, halve to 150, which has no row.
    {"cirrus-gd5434", 800, 600, vsNTSC, true, H, 0, false},
    {"cirrus-gd5434", 800, 600, vsNTSC, false, F, 257, false},
    {"cirrus-gd5434", 800, 600, vs24kHz, true, F, 300, true},
    {"cirrus-gd5434", 720, 400, vsPAL, false, F, 200, false},
    {"cirrus-gd5434", 720, 400, vs24kHz, true, F, 200, true},
    {"cirrus-gd5434", 720, 400, vs24kHz, false, H, 0, false},
    // Removing the double scan leaves 200 lines: no interlace.
    {"cirrus-gd5434", 320, 200, vsPAL, true, F, 200, false},
    {"cirrus-gd5434", 640, 400, vsNTSC, false, F, 200, false},
    {"cirrus-gd5434", 512, 384, vsPAL, false, F, 192, false},
    {"cirrus-gd5434", 512, 384, vs24kHz, true, U, 0, false},
    {"cirrus-gd5434", 768, 576, vsPAL, false, F, 288, false},
    {"cirrus-gd5434", 768, 576, vsNTSC, true, H, 0, false},
    {"cirrus-gd5434", 768, 576, vs24kHz, true, U, 0, false},
    {"cirrus-gd5434", 848, 480, vsNTSC, false, F, 240, false},
    {"cirrus-gd5434", 848, 480, vs24kHz, true, F, 240, true},
    // 132 columns run at VCLK0 with 9-dot characters: no extra clock step.
    {"cirrus-gd5434", 1056, 480, vsPAL, true, F, 240, true},
    {"cirrus-gd5434", 1056, 480, vsNTSC, true, F, 240, true},
    {"cirrus-gd5434", 1056, 480, vs24kHz, false, U, 0, false},
    {"cirrus-gd5434", 1024, 768, vs24kHz, true, U, 0, false},
};

// Interlaced fields carry half a line more, which takes the slow clock's field rate just past
// 1%; the wide rows (flags 0x21) lay out a line for the full 28.322 MHz but get the halved
// VCLK3 as well: half the line rate.
const OffRateCase kOffRate[] = {
    {"cirrus-gd5434", 640, 480, vsPAL, true, kHalvedVclk1Hz, 113, 313.5, 240, true},
    {"cirrus-gd5434", 640, 480, vsNTSC, true, kHalvedVclk1Hz, 112, 263.5, 240, true},
    {"cirrus-gd5434", 800, 600, vsPAL, true, kHalvedVclk1Hz, 113, 313.5, 294, true},
    {"cirrus-gd5434", 512, 384, vsNTSC, true, kHalvedVclk1Hz, 112, 263.5, 192, true},
    {"cirrus-gd5434", 1024, 768, vsPAL, true, kHalvedVclk1Hz, 226, 313.5, 192, true},
    {"cirrus-gd5434", 1024, 768, vsNTSC, false, kHalvedVclk1Hz, 224, 0, 0, false},
    {"cirrus-gd5434", 1152, 864, vsPAL, false, kHalvedVclk1Hz, 226, 0, 0, false},
};
// clang-format on

TEST(FitTable, CirrusReachesEachOutcome) {
  for (const FitCase& c : kCases)
    CheckFitCase(c);
}

TEST(FitTable, CirrusHalvedVclk1MissesTheStandard) {
  for (const OffRateCase& c : kOffRate)
    CheckOffRateCase(c);
}

}  // namespace
}  // namespace zanvo::fit
