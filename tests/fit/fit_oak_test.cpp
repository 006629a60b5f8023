// Desktop modes x standards x interlace choice on the Oak OTI-077 and OTI-087, applied as the
// window applies them and judged on the analyzed signal alone.

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
    // Both chips interlace through 0x14 bit 7 (the engine leaves only model 0 without), and their
    // extra clock step selects clock 4, 28.322 MHz on these boards, halved by SR01 where the row
    // asks for it: every width with a row reaches the TV line rate.
    {"oak-oti077", 640, 480, vsPAL, true, F, 240, true},
    {"oak-oti077", 640, 480, vsPAL, false, F, 240, false},
    {"oak-oti077", 640, 480, vsNTSC, true, F, 240, true},
    {"oak-oti077", 640, 480, vsNTSC, false, F, 240, false},
    {"oak-oti077", 640, 480, vs24kHz, true, F, 240, true},
    {"oak-oti077", 640, 480, vs24kHz, false, F, 240, false},
    {"oak-oti077", 800, 600, vsPAL, true, F, 294, true},
    {"oak-oti077", 800, 600, vsPAL, false, F, 294, false},
    {"oak-oti077", 800, 600, vsNTSC, true, H, 0, false},
    {"oak-oti077", 800, 600, vsNTSC, false, F, 257, false},
    {"oak-oti077", 800, 600, vs24kHz, true, F, 300, true},
    {"oak-oti077", 800, 600, vs24kHz, false, F, 300, false},
    {"oak-oti077", 1024, 768, vsPAL, true, C, 0, false},
    {"oak-oti077", 1024, 768, vsPAL, false, H, 0, false},
    {"oak-oti077", 1024, 768, vsNTSC, true, C, 0, false},
    {"oak-oti077", 1024, 768, vsNTSC, false, H, 0, false},
    {"oak-oti077", 1024, 768, vs24kHz, true, U, 0, false},
    {"oak-oti077", 1024, 768, vs24kHz, false, U, 0, false},
    {"oak-oti077", 720, 400, vsPAL, true, F, 200, true},
    {"oak-oti077", 720, 400, vsPAL, false, F, 200, false},
    {"oak-oti077", 720, 400, vsNTSC, true, F, 200, true},
    {"oak-oti077", 720, 400, vsNTSC, false, F, 200, false},
    {"oak-oti077", 720, 400, vs24kHz, true, F, 200, true},
    {"oak-oti077", 720, 400, vs24kHz, false, H, 0, false},
    {"oak-oti077", 320, 200, vsPAL, true, F, 200, false},
    {"oak-oti077", 320, 200, vsPAL, false, F, 200, false},
    {"oak-oti077", 320, 200, vsNTSC, true, F, 200, false},
    {"oak-oti077", 320, 200, vsNTSC, false, F, 200, false},
    {"oak-oti077", 320, 200, vs24kHz, true, H, 0, false},
    {"oak-oti077", 320, 200, vs24kHz, false, H, 0, false},
    {"oak-oti087", 640, 480, vsPAL, true, F, 240, true},
    {"oak-oti087", 640, 480, vsPAL, false, F, 240, false},
    {"oak-oti087", 640, 480, vsNTSC, true, F, 240, true},
    {"oak-oti087", 640, 480, vsNTSC, false, F, 240, false},
    {"oak-oti087", 640, 480, vs24kHz, true, F, 240, true},
    {"oak-oti087", 640, 480, vs24kHz, false, F, 240, false},
    {"oak-oti087", 800, 600, vsPAL, true, F, 294, true},
    {"oak-oti087", 800, 600, vsPAL, false, F, 294, false},
    {"oak-oti087", 800, 600, vsNTSC, true, H, 0, false},
    {"oak-oti087", 800, 600, vsNTSC, false, F, 257, false},
    {"oak-oti087", 800, 600, vs24kHz, true, F, 300, true},
    {"oak-oti087", 800, 600, vs24kHz, false, F, 300, false},
    {"oak-oti087", 1024, 768, vsPAL, true, C, 0, false},
    {"oak-oti087", 1024, 768, vsPAL, false, H, 0, false},
    {"oak-oti087", 1024, 768, vsNTSC, true, C, 0, false},
    {"oak-oti087", 1024, 768, vsNTSC, false, H, 0, false},
    {"oak-oti087", 1024, 768, vs24kHz, true, U, 0, false},
    {"oak-oti087", 1024, 768, vs24kHz, false, U, 0, false},
    {"oak-oti087", 720, 400, vsPAL, true, F, 200, true},
    {"oak-oti087", 720, 400, vsPAL, false, F, 200, false},
    {"oak-oti087", 720, 400, vsNTSC, true, F, 200, true},
    {"oak-oti087", 720, 400, vsNTSC, false, F, 200, false},
    {"oak-oti087", 720, 400, vs24kHz, true, F, 200, true},
    {"oak-oti087", 720, 400, vs24kHz, false, H, 0, false},
    {"oak-oti087", 768, 576, vsPAL, true, F, 288, true},
    {"oak-oti087", 768, 576, vsPAL, false, F, 288, false},
    {"oak-oti087", 768, 576, vsNTSC, true, H, 0, false},
    {"oak-oti087", 768, 576, vsNTSC, false, F, 257, false},
    {"oak-oti087", 768, 576, vs24kHz, true, U, 0, false},
    {"oak-oti087", 768, 576, vs24kHz, false, U, 0, false},
};
// clang-format on

TEST(FitTable, OakChipsReachEachOutcome) {
  for (const FitCase& c : kCases)
    CheckFitCase(c);
}

}  // namespace
}  // namespace zanvo::fit
