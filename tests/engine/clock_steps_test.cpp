// The family-specific clock preparation and extra clock step of the horizontal step: which clock
// each family ends on, and the extended registers it leaves.

#include <string>
#include <vector>

#include "engine/chip_codes.h"
#include "engine/horizontal.h"
#include "engine/register_access.h"
#include "engine/standards.h"
#include "engine/unlock.h"
#include "engine/vga_regs.h"
#include "engine_fixture.h"

namespace zanvo::test {
namespace {

using namespace zanvo::engine;

struct ClockCase {
  const char* name;
  uint8_t family;
  uint16_t model;
  uint8_t columns;
  std::vector<RegValue> before;
  std::vector<RegValue> after;
  uint8_t clock_select;  // Misc Output bits 2-3
  uint8_t sr01_low;      // SR01 bits 0-3
};

TEST_F(EngineTest, FamilyClockStepsOnPal) {
  // Row 80 (flags 0x29) unless the case says otherwise; rows with flag bits 4-7 run the extra
  // step. HalfClockCode turns 0x29 into 0x31 on the chips that halve the clock themselves.
  // clang-format off
  const ClockCase cases[] = {
      {"oak_generic", cfOak, 0, 80, {{O, 0x0D, 0xFF}}, {{O, 0x0D, 0xFF}}, 0x00, 0x01},
      {"oak_077", cfOak, 5, 80, {{O, 0x0D, 0x20}}, {{O, 0x0D, 0x20}}, 0x00, 0x09},
      {"realtek_generic", cfRealtek, 0, 80, {}, {{C, 0x1A, 0x10}, {G, 0x0B, 0x01}}, 0x04, 0x01},
      {"realtek_rtg3103", cfRealtek, 6, 80, {}, {{C, 0x1A, 0x10}, {G, 0x0B, 0x01}}, 0x04, 0x09},
      {"s3_trio64_16bpp", cfS3, 0x11, 80, {{C, 0x67, 0x50}, {S, 0x15, 0xFF}, {C, 0x5D, 0xFF}},
       {{S, 0x15, 0xDC}, {C, 0x3B, 108}, {C, 0x5D, 0xC0}}, 0x04, 0x09},
      {"s3_trio64_8bpp", cfS3, 0x11, 80, {{S, 0x15, 0xFF}}, {{S, 0x15, 0xDC}}, 0x04, 0x01},
      {"s3_trio64_132_columns", cfS3, 0x11, 132, {{C, 0x67, 0x30}, {S, 0x15, 0x00}},
       {{S, 0x15, 0x10}}, 0x00, 0x01},
      {"s3_vision_16bpp", cfS3, 0xC0, 80, {{C, 0x67, 0x30}, {S, 0x15, 0xFF}},
       {{S, 0x15, 0xFF}}, 0x04, 0x09},
      {"cirrus_vclk_copied_to_clock_3", cfCirrus, 0, 80,
       {{S, 0x07, 0x00}, {S, 0x0C, 0x5B}, {S, 0x1C, 0x2F}},
       {{S, 0x0E, 0x2D}, {S, 0x1E, 0x2F}}, 0x0C, 0x01},
      {"cirrus_fixed_pair", cfCirrus, 0, 80, {{S, 0x07, 0x05}},
       {{S, 0x0E, 0x71}, {S, 0x1E, 0x27}}, 0x0C, 0x01},
      {"cirrus_divider_2", cfCirrus, 0, 80, {{S, 0x07, 0x03}, {S, 0x0E, 0x33}},
       {{S, 0x0E, 0x33}}, 0x04, 0x01},
      {"umc", cfUMC, 0, 80, {{S, 0x07, 0xFF}, {S, 0x09, 0x00}}, {{S, 0x07, 0xFE}, {S, 0x09, 0x80}},
       0x04, 0x01},
      {"wd90c30", cfWD, 0x3330, 80, {{G, 0x0C, 0x00}, {C, 0x2E, 0xFF}},
       {{G, 0x0C, 0x02}, {C, 0x2E, 0xEF}}, 0x04, 0x09},
      {"wd90c00", cfWD, 0, 80, {{G, 0x0C, 0xFF}, {C, 0x2E, 0x00}},
       {{G, 0x0C, 0xFD}, {C, 0x2E, 0x01}}, 0x04, 0x09},
      {"tseng_et4000", cfTseng, 4000, 80, {{S, 0x07, 0xFF}, {C, 0x31, 0xFF}, {C, 0x34, 0xFF}},
       {{S, 0x07, 0xBF}, {C, 0x31, 0x9F}, {C, 0x34, 0x7C}}, 0x04, 0x01},
      {"tseng_et3000", cfTseng, 3000, 80, {{S, 0x07, 0x00}, {C, 0x31, 0xFF}},
       {{S, 0x07, 0x40}, {C, 0x31, 0xFF}}, 0x04, 0x01},
      {"sis_generic", cfSiS, 0, 80, {}, {{S, 0x2A, 0x80}}, 0x04, 0x01},
      {"sis300", cfSiS, 0x300, 80, {}, {{S, 0x2A, 0x80}, {S, 0x0C, 0x05}}, 0x04, 0x09},
      {"trident_9000i_16bpp", cfTrident, 0x43, 80, {{C, 0x38, 0x04}, {S, 0x0D, 0xFF}},
       {{P, 0x43C8, 0xD3}, {P, 0x43C9, 0x0A}, {S, 0x0D, 0xBA}, {S, 0x0E, 0x80}}, 0x08, 0x01},
      {"trident_9000i_15bpp", cfTrident, 0x43, 80, {{C, 0x38, 0x08}},
       {{P, 0x43C8, 0x57}, {P, 0x43C9, 0x07}}, 0x00, 0x01},
      {"trident_3d_24bpp", cfTrident, 0xF3, 80, {{C, 0x38, 0x0C}},
       {{P, 0x43C8, 0xCF}, {P, 0x43C9, 0x04}}, 0x08, 0x01},
      // The variant row's 0x39 keeps bit 3: the VCLK word's post divider halves instead.
      {"trident_40_columns", cfTrident, 0x43, 40, {{C, 0x38, 0x04}},
       {{P, 0x43C8, 0xD3}, {P, 0x43C9, 0x1A}}, 0x08, 0x01},
      {"trident_8800br_gr0f_halves", cfTrident, 1, 80, {{S, 0x0D, 0xFF}, {G, 0x0F, 0x08}},
       {{S, 0x0D, 0xF8}}, 0x04, 0x01},
      {"trident_8800br", cfTrident, 1, 80, {{S, 0x0D, 0xFF}, {G, 0x0F, 0x00}}, {{S, 0x0D, 0xFA}},
       0x04, 0x01},
  };
  // clang-format on
  for (const ClockCase& c : cases) {
    SCOPED_TRACE(c.name);
    port = RecordingPort{};
    SetDesktopMode(port, {.columns = c.columns, .lines = 400});
    for (const RegValue& r : c.before)
      At(port, r) = r.value;
    Eng = EngineState{};
    Eng.ChipFamily = c.family;
    Eng.ChipModel = c.model;
    LoadStandardTables(vsPAL);
    SelectCrtcPort();
    UnlockExtRegs();

    ProgramHorizontal();

    ASSERT_EQ(Eng.HorzRowFound, 1);
    EXPECT_EQ(Hex(port.misc() & 0x0C), Hex(c.clock_select)) << "Misc Output clock select";
    EXPECT_EQ(port.misc(), Eng.MiscOutImage);
    EXPECT_EQ(Hex(port.seq(SR01) & 0x0F), Hex(c.sr01_low)) << "SR01";
    for (const RegValue& r : c.after)
      EXPECT_EQ(Hex(At(port, r)), Hex(r.value)) << Name(r);
  }
}

TEST_F(EngineTest, TridentPreparationOrder) {
  SetDesktopMode(port, {});
  port.crtc(CR38) = 0x04;
  port.seq(SR0D) = 0xFF;
  Eng.ChipFamily = cfTrident;
  Eng.ChipModel = kModelTrident9000i;
  LoadStandardTables(vsPAL);
  SelectCrtcPort();
  port.ClearLog();

  ProgramHorizontal();

  const auto trace = port.Trace();
  EXPECT_TRUE(ContainsRun(
      trace,
      {"w16 3C4 0000", "w8 3D4 38", "r8 3D5 04", "w8 3C4 0E", "r8 3C5 00", "w8 3C5 80",
       "w8 43C8 D3", "w8 43C9 0A", "w8 3C4 0D", "r8 3C5 FF", "w8 3C5 B8", "w8 3C4 0B", "w8 3C5 00",
       "w8 3C4 0E", "r8 3C5 80", "w8 3C5 80", "w8 3C4 0B", "r8 3C5 00", "r8 3CC E3"}));
}

}  // namespace
}  // namespace zanvo::test
