// The S3 Trio64 and Vision864 through every kind of desktop mode, standard and interlace choice,
// judged on the analyzed signal alone.

#include <gtest/gtest.h>

#include "engine/chip_codes.h"
#include "fit_check.h"
#include "off_rate_check.h"

namespace zanvo::fit {
namespace {

using engine::vs24kHz;
using engine::vsNTSC;
using engine::vsPAL;

constexpr double kClock1Hz = 28'322'000.0;

// clang-format off
const FitCase kCases[] = {
    // Both chips interlace with CR42 bit 5: 480 lines become two fields of 240.
    {"s3-trio64", 640, 480, vsPAL, true, F, 240, true},
    {"s3-trio64", 640, 480, vsPAL, false, F, 240, false},
    {"s3-trio64", 640, 480, vsNTSC, true, F, 240, true},
    {"s3-trio64", 640, 480, vs24kHz, true, F, 240, true},
    {"s3-trio64", 640, 480, vs24kHz, false, F, 240, false},
    {"s3-trio64", 800, 600, vsPAL, true, F, 294, true},
    {"s3-trio64", 800, 600, vsPAL, false, F, 294, false},
    // NTSC: 300 interlaced lines are still above 263, halve to 150, which has no row.
    {"s3-trio64", 800, 600, vsNTSC, true, H, 0, false},
    {"s3-trio64", 800, 600, vsNTSC, false, F, 257, false},
    {"s3-trio64", 800, 600, vs24kHz, true, F, 300, true},
    {"s3-trio64", 720, 400, vsPAL, true, F, 200, true},
    {"s3-trio64", 720, 400, vsNTSC, false, F, 200, false},
    {"s3-trio64", 720, 400, vs24kHz, true, F, 200, true},
    {"s3-trio64", 720, 400, vs24kHz, false, H, 0, false},
    {"s3-trio64", 640, 400, vsPAL, true, F, 200, true},
    // Removing the double scan leaves 200 lines: no interlace.
    {"s3-trio64", 320, 200, vsPAL, true, F, 200, false},
    {"s3-trio64", 320, 200, vs24kHz, true, H, 0, false},
    {"s3-trio64", 512, 384, vsPAL, true, F, 192, true},
    {"s3-trio64", 512, 384, vs24kHz, true, U, 0, false},
    {"s3-trio64", 768, 576, vsPAL, true, F, 288, true},
    {"s3-trio64", 768, 576, vsNTSC, true, H, 0, false},
    {"s3-trio64", 768, 576, vsNTSC, false, F, 257, false},
    {"s3-trio64", 848, 480, vsPAL, true, F, 240, true},
    {"s3-trio64", 848, 480, vs24kHz, false, F, 240, false},
    // 132 columns run at clock 0 with 9-dot characters: no extra clock step.
    {"s3-trio64", 1056, 480, vsPAL, true, F, 240, true},
    {"s3-trio64", 1056, 480, vsNTSC, false, F, 240, false},
    {"s3-trio64", 1056, 480, vs24kHz, true, U, 0, false},
    {"s3-trio64", 1024, 768, vs24kHz, true, U, 0, false},
    {"s3-trio64", 1600, 1200, vs24kHz, false, U, 0, false},

    {"s3-vision864", 640, 480, vsPAL, true, F, 240, true},
    {"s3-vision864", 640, 480, vsNTSC, false, F, 240, false},
    {"s3-vision864", 640, 480, vs24kHz, true, F, 240, true},
    {"s3-vision864", 800, 600, vsPAL, true, F, 294, true},
    {"s3-vision864", 800, 600, vsNTSC, true, H, 0, false},
    {"s3-vision864", 800, 600, vsNTSC, false, F, 257, false},
    {"s3-vision864", 800, 600, vs24kHz, false, F, 300, false},
    {"s3-vision864", 720, 400, vsPAL, true, F, 200, true},
    {"s3-vision864", 720, 400, vs24kHz, false, H, 0, false},
    {"s3-vision864", 320, 200, vsNTSC, true, F, 200, false},
    {"s3-vision864", 768, 576, vsPAL, false, F, 288, false},
    // The Vision864 skips the extra clock step, so the wide rows keep 28.322 MHz and their
    // 226-character lines.
    {"s3-vision864", 1024, 768, vsPAL, true, F, 192, true},
    {"s3-vision864", 1024, 768, vsNTSC, true, F, 192, true},
    {"s3-vision864", 1024, 768, vsPAL, false, H, 0, false},  // 384 lines: no row
    {"s3-vision864", 1024, 768, vs24kHz, true, U, 0, false},
    {"s3-vision864", 960, 600, vsPAL, true, F, 294, true},
    {"s3-vision864", 960, 600, vsNTSC, true, H, 0, false},
    {"s3-vision864", 1152, 864, vsPAL, true, F, 216, true},
    {"s3-vision864", 1152, 864, vsNTSC, false, H, 0, false},
    {"s3-vision864", 1280, 1024, vsPAL, true, F, 256, true},
    {"s3-vision864", 1280, 1024, vsNTSC, true, F, 249, true},
    {"s3-vision864", 1600, 1200, vsPAL, true, F, 294, true},
    {"s3-vision864", 1600, 1200, vsNTSC, false, H, 0, false},
    {"s3-vision864", 1056, 480, vsPAL, false, F, 240, false},
};

// The wide rows (flags 0x21: clock 1, no SR01 halving) still run the extra clock step, and on
// the Trio that sets SR15 bit 4, which halves the clock under a line laid out for the full one:
// half the line rate.
const OffRateCase kOffRate[] = {
    {"s3-trio64", 1024, 768, vsPAL, true, kClock1Hz / 2, 226, 313.5, 192, true},
    {"s3-trio64", 1024, 768, vsPAL, false, kClock1Hz / 2, 226, 0, 0, false},
    {"s3-trio64", 1024, 768, vsNTSC, true, kClock1Hz / 2, 224, 263.5, 192, true},
    {"s3-trio64", 960, 600, vsPAL, true, kClock1Hz / 2, 226, 313.5, 294, true},
    {"s3-trio64", 960, 600, vsNTSC, true, kClock1Hz / 2, 224, 0, 0, true},
    {"s3-trio64", 1152, 864, vsNTSC, true, kClock1Hz / 2, 224, 263.5, 216, true},
    {"s3-trio64", 1280, 1024, vsPAL, true, kClock1Hz / 2, 226, 313.5, 256, true},
    {"s3-trio64", 1600, 1200, vsNTSC, false, kClock1Hz / 2, 224, 0, 0, false},
};
// clang-format on

TEST(FitTable, S3ReachesEachOutcome) {
  for (const FitCase& c : kCases)
    CheckFitCase(c);
}

TEST(FitTable, S3TrioWideRowsRunAtHalfTheLineRate) {
  for (const OffRateCase& c : kOffRate)
    CheckOffRateCase(c);
}

}  // namespace
}  // namespace zanvo::fit
