// SiS 6326 and SiS 300: every desktop mode x standard x interlace choice, judged on the
// analyzed signal.
//
// The rows with a halved dot clock (RowFlags bit 3) become clock select 1 without halving on
// the 6326, and the extra clock step (SR2A bit 7) doubles only the programmable clock 3, so the
// line comes out at 31 kHz. The SiS 300 keeps the halving. On the SiS 300 the vertical sync end
// has a fifth bit, SR0A bit 5: the NTSC rows whose sync end has bit 4 set (240 and 192 lines)
// end their sync inside the blanking only with it.

#include <gtest/gtest.h>

#include <string>

#include "engine/chip_codes.h"
#include "engine/engine_port.h"
#include "engine/engine_state.h"
#include "engine/standards.h"
#include "fit_check.h"
#include "platform/virtual/card_catalog.h"
#include "platform/virtual/display_driver.h"
#include "platform/virtual/cards/sis_card.h"
#include "platform/virtual/virtual_pc.h"
#include "scope_session.h"

namespace zanvo::fit {
namespace {

using engine::vs24kHz;
using engine::vsNTSC;
using engine::vsPAL;

// clang-format off
const FitCase kCases[] = {
    {"sis-300", 640, 480, vsPAL, true, F, 240, true},
    {"sis-300", 640, 480, vsPAL, false, F, 240, false},
    {"sis-300", 640, 480, vs24kHz, true, F, 240, true},
    {"sis-300", 640, 480, vs24kHz, false, F, 240, false},
    {"sis-300", 800, 600, vsPAL, true, F, 294, true},
    {"sis-300", 800, 600, vsPAL, false, F, 294, false},
    {"sis-300", 800, 600, vsNTSC, true, H, 0, false},  // 300 by interlace, 150 by skipping
    {"sis-300", 800, 600, vsNTSC, false, F, 257, false},
    {"sis-300", 800, 600, vs24kHz, true, F, 300, true},
    {"sis-300", 800, 600, vs24kHz, false, F, 300, false},
    {"sis-300", 1024, 768, vsPAL, true, F, 192, true},
    {"sis-300", 1024, 768, vsPAL, false, H, 0, false},
    {"sis-300", 1024, 768, vs24kHz, true, U, 0, false},
    {"sis-300", 720, 400, vsPAL, true, F, 200, true},
    {"sis-300", 720, 400, vsNTSC, true, F, 200, true},
    {"sis-300", 720, 400, vsNTSC, false, F, 200, false},
    {"sis-300", 720, 400, vs24kHz, true, F, 200, true},
    {"sis-300", 720, 400, vs24kHz, false, H, 0, false},  // 400 lines fit 424: no skipping, no row
    {"sis-300", 768, 576, vsPAL, true, F, 288, true},
    {"sis-300", 768, 576, vsNTSC, false, F, 257, false},
    {"sis-300", 768, 576, vs24kHz, true, U, 0, false},
    // Sync ends with bit 4 set.
    {"sis-300", 640, 480, vsNTSC, true, F, 240, true},
    {"sis-300", 640, 480, vsNTSC, false, F, 240, false},
    {"sis-300", 512, 384, vsNTSC, false, F, 192, false},
    {"sis-300", 1024, 768, vsNTSC, true, F, 192, true},
    {"sis-300", 1280, 1024, vsNTSC, true, F, 249, true},
    {"sis-6326", 640, 480, vs24kHz, true, F, 240, true},
    {"sis-6326", 640, 480, vs24kHz, false, F, 240, false},
    {"sis-6326", 800, 600, vs24kHz, true, F, 300, true},
    {"sis-6326", 800, 600, vs24kHz, false, F, 300, false},
    {"sis-6326", 720, 400, vs24kHz, true, F, 200, true},
    {"sis-6326", 720, 400, vs24kHz, false, H, 0, false},
    // 128 columns use the full-line rows (clock 1 undivided): these fit.
    {"sis-6326", 1024, 768, vsPAL, true, F, 192, true},
    {"sis-6326", 1024, 768, vsNTSC, true, F, 192, true},
    {"sis-6326", 1024, 768, vsPAL, false, H, 0, false},
    {"sis-6326", 1024, 768, vs24kHz, true, U, 0, false},
    {"sis-6326", 768, 576, vs24kHz, false, U, 0, false},
};
// clang-format on

TEST(FitTable, SisReachesEachOutcome) {
  for (const FitCase& c : kCases)
    CheckFitCase(c);
}

struct MissCase {
  const char* card;
  uint16_t width, height;
  uint8_t standard;
  bool interlace_allowed;
  double line_hz, field_hz;
  int lines;
};

constexpr MissCase kMisses[] = {
    {"sis-6326", 640, 480, vsPAL, true, 31330, 99.94, 240},
    {"sis-6326", 640, 480, vsPAL, false, 31330, 100.09, 240},
    {"sis-6326", 640, 480, vsNTSC, true, 31609, 119.96, 240},
    {"sis-6326", 800, 600, vsPAL, true, 31330, 99.94, 294},
    {"sis-6326", 720, 400, vsPAL, true, 31330, 99.94, 200},
    {"sis-6326", 768, 576, vsPAL, false, 31330, 100.09, 288},
};

TEST(FitTable, SisRowsThatMissTheStandard) {
  for (const MissCase& m : kMisses) {
    const FitCase c{m.card, m.width, m.height, m.standard, m.interlace_allowed, F, 0, false};
    SCOPED_TRACE(Describe(c));
    scope::ScopeReport report;
    ASSERT_TRUE(RunFitCase(c.card, c.width, c.height, c.standard, c.interlace_allowed, report));
    const virt::Signal& s = report.applied;  // the engine's rows, before the field check
    const Target target = TargetOf(c.standard);
    EXPECT_TRUE(report.row_found);
    EXPECT_NEAR(s.line_rate_hz, m.line_hz, 1.0);
    EXPECT_NEAR(s.field_rate_hz, m.field_hz, 0.01);
    EXPECT_EQ(s.display_lines_per_field, m.lines);
    EXPECT_GT(Deviation(s.line_rate_hz, target.line_hz), 0.01);
  }
}

// Another family's sequence never sends the SiS key: the extended registers stay locked, so
// none of its writes to SR06 and up lands and no chip interlace appears.
TEST(FitTable, SisUnderAnotherFamilyStaysLocked) {
  constexpr uint8_t kFamilies[] = {0, 1, 2, 3, 4, 5, 7, 8, 9, 12, 13, 20, 60};
  for (const char* name : {"sis-6326", "sis-300"}) {
    for (const uint8_t family : kFamilies) {
      SCOPED_TRACE(std::string(name) + " as family " + std::to_string(family));
      virt::VirtualPc pc(virt::MakeCard(name));
      ASSERT_TRUE(virt::SetDesktopMode(pc.card(), 640, 480));
      ApplyStandardAs(pc, family, 0, vsPAL);
      const auto& card = static_cast<const virt::SisCard&>(pc.card());
      EXPECT_FALSE(card.unlocked());
      EXPECT_EQ(pc.card().Stored(virt::RegFile::kSequencer, 0x06), 0x00);
      EXPECT_FALSE(pc.card().signal().interlaced);
    }
  }
}

}  // namespace
}  // namespace zanvo::fit
