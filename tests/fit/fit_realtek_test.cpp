// Desktop modes x standards x interlace choice on the Realtek RTG3103, applied as the window
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
    // The RTG3103 keeps the row's clock flags; its extra clock step sets GR0B bit 0, a divider
    // that acts on clocks 2-7 only, so the 28.322 MHz clock 1 is untouched. Widths whose monitor
    // clock needed GR0C bit 5 are left out here (see the unfitted table below).
    {"realtek-rtg3103", 640, 480, vsPAL, true, F, 240, true},
    {"realtek-rtg3103", 640, 480, vsPAL, false, F, 240, false},
    {"realtek-rtg3103", 640, 480, vsNTSC, true, F, 240, true},
    {"realtek-rtg3103", 640, 480, vsNTSC, false, F, 240, false},
    {"realtek-rtg3103", 640, 480, vs24kHz, true, F, 240, true},
    {"realtek-rtg3103", 640, 480, vs24kHz, false, F, 240, false},
    {"realtek-rtg3103", 800, 600, vsPAL, true, F, 294, true},
    {"realtek-rtg3103", 800, 600, vsPAL, false, F, 294, false},
    {"realtek-rtg3103", 800, 600, vsNTSC, true, H, 0, false},
    {"realtek-rtg3103", 800, 600, vsNTSC, false, F, 257, false},
    {"realtek-rtg3103", 800, 600, vs24kHz, true, F, 300, true},
    {"realtek-rtg3103", 800, 600, vs24kHz, false, F, 300, false},
    {"realtek-rtg3103", 1024, 768, vs24kHz, true, U, 0, false},
    {"realtek-rtg3103", 1024, 768, vs24kHz, false, U, 0, false},
    {"realtek-rtg3103", 720, 400, vsPAL, true, F, 200, true},
    {"realtek-rtg3103", 720, 400, vsPAL, false, F, 200, false},
    {"realtek-rtg3103", 720, 400, vsNTSC, true, F, 200, true},
    {"realtek-rtg3103", 720, 400, vsNTSC, false, F, 200, false},
    {"realtek-rtg3103", 720, 400, vs24kHz, true, F, 200, true},
    {"realtek-rtg3103", 720, 400, vs24kHz, false, H, 0, false},
    {"realtek-rtg3103", 848, 480, vsPAL, true, F, 240, true},
    {"realtek-rtg3103", 848, 480, vsPAL, false, F, 240, false},
    {"realtek-rtg3103", 848, 480, vsNTSC, true, F, 240, true},
    {"realtek-rtg3103", 848, 480, vsNTSC, false, F, 240, false},
    {"realtek-rtg3103", 848, 480, vs24kHz, true, F, 240, true},
    {"realtek-rtg3103", 848, 480, vs24kHz, false, F, 240, false},
};

// Rows found, but the signal misses the TV line rate: for 1024 pixels and up the driver runs
// the 64 or 84 MHz clock with GR0C bit 5 set, which no engine step clears, so clock 1 becomes
// clock 5 (64 MHz), and the extra clock step's GR0B bit 0 divides it by 1.5.
const UnfittedCase kUnfitted[] = {
    {"realtek-rtg3103", 1024, 768, vsPAL, true, 42'666'667},
    {"realtek-rtg3103", 1024, 768, vsNTSC, false, 42'666'667},
    {"realtek-rtg3103", 1152, 864, vsPAL, true, 42'666'667},
};
// clang-format on

TEST(FitTable, Rtg3103ReachesEachOutcome) {
  for (const FitCase& c : kCases)
    CheckFitCase(c);
}

TEST(FitTable, Rtg3103MissesTheLineRateWhereTheClockStepDisagrees) {
  for (const UnfittedCase& c : kUnfitted)
    CheckUnfittedCase(c);
}

}  // namespace
}  // namespace zanvo::fit
