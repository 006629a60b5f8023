// The horizontal step on worked examples: image values, the CRTC they reach, clock select,
// clocking mode and sync polarity.

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
using Trace = std::vector<std::string>;

struct HorzImage {
  uint8_t total, disp_end, blank_start, sync_start, sync_end, blank_end;
};

// The CRTC holds the image: CR03 bits 0-4 and CR05 bit 7 carry the blank end, CR05 bits 0-4
// the sync end.
void ExpectCrtcHolds(RecordingPort& port, const HorzImage& image) {
  EXPECT_EQ(Hex(port.crtc(CR00)), Hex(image.total)) << "CR00";
  EXPECT_EQ(Hex(port.crtc(CR01)), Hex(image.disp_end)) << "CR01";
  EXPECT_EQ(Hex(port.crtc(CR02)), Hex(image.blank_start)) << "CR02";
  EXPECT_EQ(Hex(port.crtc(CR04)), Hex(image.sync_start)) << "CR04";
  const unsigned blank_end = (port.crtc(CR03) & 0x1F) | ((port.crtc(CR05) & 0x80) >> 2);
  EXPECT_EQ(Hex(blank_end), Hex(image.blank_end & 0x3F)) << "CR03/CR05 blank end";
  EXPECT_EQ(Hex(port.crtc(CR05) & 0x1F), Hex(image.sync_end & 0x1F)) << "CR05 sync end";
}

void ExpectImage(const HorzImage& image) {
  EXPECT_EQ(Eng.HTotalReg, image.total);
  EXPECT_EQ(Eng.HDispEndReg, image.disp_end);
  EXPECT_EQ(Eng.HBlankStartReg, image.blank_start);
  EXPECT_EQ(Eng.HSyncStartReg, image.sync_start);
  EXPECT_EQ(Eng.HSyncEndReg, image.sync_end);
  EXPECT_EQ(Eng.HBlankEndReg, image.blank_end);
}

struct HorzCase {
  const char* name;
  uint8_t family;
  uint16_t model;
  uint8_t standard;
  DesktopMode mode;
  HorzImage image;
  uint8_t clock_select;  // Misc Output bits 2-3 at the end
  uint8_t sr01_low;      // SR01 bits 0-3 at the end
};

// Sets the case's mode into `port` (other registers as they are) and runs the step as
// ApplyStandard does.
void RunHorizontal(RecordingPort& port, const HorzCase& c) {
  SetDesktopMode(port, c.mode);
  Eng = EngineState{};
  Eng.ChipFamily = c.family;
  Eng.ChipModel = c.model;
  LoadStandardTables(c.standard);
  SetStandard(c.standard);
  SelectCrtcPort();
  UnlockExtRegs();
  ProgramHorizontal();
}

TEST_F(EngineTest, HorizontalStepWorkedExamples) {
  // clang-format off
  const HorzCase cases[] = {
      // Row 80 at 0x29: clock 1, dot clock halved; CR01 stays 79, below 90 - 4.
      {"pal_640_standard_vga", cfStandardVGA, 0, vsPAL, {.columns = 80},
       {108, 79, 84, 90, 98, 106}, 0x04, 0x09},
      // Cirrus makes the half clock itself (0x31): no SR01 halving, clock 3 loaded and selected.
      {"pal_640_cirrus", cfCirrus, 0, vsPAL, {.columns = 80},
       {108, 79, 84, 90, 98, 106}, 0x0C, 0x01},
      // 96 columns at up to 768 lines take the 100-column row.
      {"pal_96_columns_768_lines", cfStandardVGA, 0, vsPAL, {.columns = 96, .lines = 768},
       {108, 95, 95, 99, 107, 9}, 0x04, 0x09},
      {"pal_96_columns_864_lines", cfStandardVGA, 0, vsPAL, {.columns = 96, .lines = 864},
       {221, 95, 143, 149, 166, 186}, 0x04, 0x01},
      // 132 columns: flags 0x00, clock 0 and 9-dot characters.
      {"pal_132_columns", cfStandardVGA, 0, vsPAL, {.columns = 132, .lines = 400},
       {174, 131, 140, 145, 158, 1}, 0x00, 0x00},
      // Display end 49 is past sync start 50 - 4: cut to 46. The sync ends at 54, past CR00
      // (52) but inside the line of 57 characters: it does not wrap.
      {"pal_50_columns_cut", cfStandardVGA, 0, vsPAL, {.columns = 50, .lines = 400},
       {52, 46, 47, 50, 54, 6}, 0x04, 0x09},
      // T = 221, blank start 193: the blank end folds to 193 - 193 = 0.
      {"pal_200_columns_blank_wrap", cfStandardVGA, 0, vsPAL, {.columns = 200, .lines = 600},
       {221, 195, 193, 199, 216, 0}, 0x04, 0x01},
      {"ntsc_640_standard_vga", cfStandardVGA, 0, vsNTSC, {.columns = 80},
       {107, 79, 82, 90, 98, 104}, 0x04, 0x09},
      // SiS 300 at 24 kHz: the alternative row 80 with flags 0x61 selects clock 3.
      {"sis300_24khz_80_columns", cfSiS, kModelSiS300, vs24kHz, {.columns = 80},
       {101, 79, 80, 87, 95, 5}, 0x0C, 0x01},
  };
  // clang-format on
  for (const HorzCase& c : cases) {
    SCOPED_TRACE(c.name);
    port = RecordingPort{};
    RunHorizontal(port, c);
    EXPECT_EQ(Eng.HorzRowFound, 1);
    ExpectImage(c.image);
    ExpectCrtcHolds(port, c.image);
    EXPECT_EQ(Hex(port.misc() & 0x0C), Hex(c.clock_select)) << "Misc Output clock select";
    EXPECT_EQ(Hex(port.seq(SR01) & 0x0F), Hex(c.sr01_low)) << "SR01";
    EXPECT_EQ(port.misc(), Eng.MiscOutImage);
    EXPECT_EQ(Describe(port.log().back()).substr(0, 12) == "w16 3C4 0300",
              c.family == cfStandardVGA)
        << "only families with an extra clock step write after the sequencer restarts";
  }
}

TEST_F(EngineTest, ColumnKey132SetsLineGraphicsEnable) {
  port.attr(AR10) = 0x01;
  RunHorizontal(port, {"132", cfStandardVGA, 0, vsPAL, {.columns = 132, .lines = 400}, {}, 0, 0});
  EXPECT_EQ(Hex(port.attr(AR10)), Hex(0x05));
  EXPECT_TRUE(ContainsRun(port.Trace(), {"r8 3DA 00", "w8 3C0 30", "r8 3C1 01", "w8 3C0 05"}));
}

TEST_F(EngineTest, ReadingDoubledLinesClearsCountByTwo) {
  // 384 lines counted by two are 768: the 100-column row, and CR17 bit 2 is cleared.
  SetDesktopMode(port, {.columns = 96, .lines = 384});
  port.crtc(CR17) = 0xE7;
  Eng.ChipFamily = cfStandardVGA;
  LoadStandardTables(vsPAL);
  SelectCrtcPort();
  EXPECT_EQ(ReadDisplayedLines(), 768);
  EXPECT_EQ(Hex(port.crtc(CR17)), Hex(0xE3));
  EXPECT_EQ(ReadDisplayedLines(), 384);
}

struct PolarityCase {
  uint8_t mask;
  uint8_t misc_before;
  uint8_t misc_after;
};

TEST_F(EngineTest, SyncPolarityMaskForcesBothSyncBits) {
  const PolarityCase cases[] = {
      {0xF3, 0x23, 0xE7},  // positive syncs set whatever the mode had
      {0xF3, 0x63, 0xE7},
      {0x33, 0xE3, 0x27},  // negative syncs cleared
      {0x33, 0xB3, 0x37},  // bits 0, 1, 4 and 5 kept, bits 2-3 from the row
  };
  for (const PolarityCase& c : cases) {
    SCOPED_TRACE(Hex(c.mask) + " on " + Hex(c.misc_before));
    port = RecordingPort{};
    SetDesktopMode(port, {});
    port.misc() = c.misc_before;
    Eng = EngineState{};
    Eng.SyncPolarityMask = c.mask;
    LoadStandardTables(vsPAL);
    SelectCrtcPort();
    ProgramHorizontal();
    EXPECT_EQ(Hex(port.misc()), Hex(c.misc_after));
  }
}

TEST_F(EngineTest, NoMatchingRowWritesNothingButTheUnlock) {
  SetDesktopMode(port, {.columns = 70});
  Eng.ChipFamily = cfS3;
  LoadStandardTables(vsPAL);
  SetStandard(vsPAL);

  ApplyStandard();

  EXPECT_EQ(Eng.HorzRowFound, 0);
  // Besides the unlock only the index selecting CR01 for reading, and the sequencer index put
  // back.
  EXPECT_EQ(port.WriteTrace(), (Trace{"w8 3D4 11", "w8 3D5 0C", "w16 3C4 0608", "w16 3D4 4838",
                                      "w16 3D4 A539", "w8 3D4 01", "w8 3C4 00"}));
}

TEST_F(EngineTest, UnloadedTableMatchesNoMode) {
  SetDesktopMode(port, {});
  SelectCrtcPort();
  ProgramHorizontal();
  EXPECT_EQ(Eng.HorzRowFound, 0);
  EXPECT_EQ(port.CountWrites(kMiscOutputWrite), 0u);
}

TEST_F(EngineTest, SiS300AlternativeRowProgramsItsClockGenerator) {
  port.seq(SR0C) = 0xFF;
  RunHorizontal(port, {"sis", cfSiS, kModelSiS300, vs24kHz, {.columns = 80}, {}, 0, 0});
  const Trace trace = port.Trace();
  const size_t reset = FindLine(trace, "w16 3C4 0000");
  const size_t clock = FindLine(trace, "w8 3C4 2B", reset);
  const size_t misc = FindLine(trace, "w8 3C2 2F");
  EXPECT_LT(reset, clock);
  EXPECT_LT(clock, misc);
  EXPECT_TRUE(ContainsRun(
      trace, {"w8 3C4 2B", "w8 3C5 A6", "w8 3C4 2C", "w8 3C5 3A", "w8 3C4 2D", "w8 3C5 80"}));
  EXPECT_EQ(Hex(port.seq(SR2A) & 0x80), Hex(0x80));
  // SR0C bits 0-2 take the image's overflow: none for sync end 95 and blank end 5.
  EXPECT_EQ(Hex(port.seq(SR0C)), Hex(0xF8));
}

TEST_F(EngineTest, BlockIoFamilyProgramsItsCrtcRegisters) {
  constexpr uint16_t kBase = 0xE800;
  port.PutDword(kBase + 0x00, (79u << 16) | 0x63);  // 640 pixels, driver's total
  port.PutDword(kBase + 0x08, (479u << 16) | 0x20C);
  Eng.ChipFamily = cfATI;
  Eng.ExtIoBase = kBase | 0x01;  // the I/O BAR's low bit is not part of the base
  LoadStandardTables(vsPAL);
  SelectCrtcPort();

  ProgramHorizontal();

  EXPECT_EQ(Eng.HorzRowFound, 1);
  ExpectImage({108, 79, 84, 90, 98, 106});
  EXPECT_EQ(Hex(port.GetDword(kBase + 0x00)), Hex(0x004F0071));  // display end, total 113
  EXPECT_EQ(Hex(port.GetDword(kBase + 0x04)), Hex(0x0028005A));  // width 8 | negative, start 90
  const Trace writes = port.WriteTrace();
  EXPECT_EQ(FindLine(writes, "w16 3C4 0300") + 1, writes.size()) << "the clock step ends it";
  EXPECT_EQ(port.CountWrites(kMiscOutputWrite), 0u);
  EXPECT_EQ(port.CountWrites(kCrtcIndexColor), 0u);
}

}  // namespace
}  // namespace zanvo::test
