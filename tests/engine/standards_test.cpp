// Engine state, standards, table loading and the ApplyStandard frame.

#include <string>
#include <vector>

#include "engine/chip_codes.h"
#include "engine/standards.h"
#include "engine/timing_tables.h"
#include "engine/vga_regs.h"
#include "engine_fixture.h"

namespace zanvo::test {
namespace {

using namespace zanvo::engine;

TEST_F(EngineTest, LoadValuesBeforeAnyStandard) {
  EXPECT_EQ(Eng.LinesPerField, 313);
  EXPECT_EQ(Eng.CurrentStandard, vsVGA);
  EXPECT_EQ(Eng.PreviousStandard, vsVGA);
  EXPECT_EQ(Eng.SyncPolarityMask, 0x33);
  EXPECT_EQ(Eng.InterlaceEnabled, 1);
  EXPECT_EQ(Eng.HorzTimingTable[0][kRowColumns], kHorzTableEnd);
}

TEST_F(EngineTest, SetStandardKeepsThePreviousOne) {
  SetStandard(vsPAL);
  EXPECT_EQ(Eng.CurrentStandard, vsPAL);
  EXPECT_EQ(Eng.PreviousStandard, vsVGA);
  SetStandard(vsPAL);
  EXPECT_EQ(Eng.CurrentStandard, vsPAL);
  EXPECT_EQ(Eng.PreviousStandard, vsPAL);
  SetStandard(vsNTSC);
  EXPECT_EQ(Eng.PreviousStandard, vsPAL);
  EXPECT_TRUE(port.log().empty());
}

struct LoadCase {
  const char* name;
  uint8_t standard;
  uint16_t model;
  uint16_t lines_per_field;
  std::vector<uint8_t> keys;  // column keys up to and including the terminator
  HorzRow first_row;
  VertRow fifth_vertical_row;
};

TEST_F(EngineTest, LoadStandardTablesCopiesTheStandardsTables) {
  const std::vector<uint8_t> tv_keys = {40,  40,  50,  50,  64,  80,  90,  96,  100,
                                        106, 120, 128, 132, 144, 160, 200, 0xFF};
  // clang-format off
  const LoadCase cases[] = {
      {"pal", vsPAL, 0, 313, tv_keys, {40, 42, 47, 4, 12, 57, 0x39}, {240, 266}},
      {"ntsc", vsNTSC, 0, 263, tv_keys, {40, 41, 46, 4, 12, 56, 0x39}, {240, 242}},
      {"24khz", vs24kHz, 0, 424, {80, 100, 106, 0xFF}, {80, 84, 98, 9, 31, 129, 0x01}, {240, 326}},
      {"24khz_sis300", vs24kHz, 0x0300, 424, {80, 100, 0xFF}, {80, 80, 87, 8, 26, 106, 0x61},
       {240, 326}},
  };
  // clang-format on
  for (const LoadCase& c : cases) {
    SCOPED_TRACE(c.name);
    Eng = EngineState{};
    Eng.ChipModel = c.model;
    LoadStandardTables(c.standard);
    EXPECT_EQ(Eng.LinesPerField, c.lines_per_field);
    std::vector<uint8_t> keys;
    for (const HorzRow& row : Eng.HorzTimingTable) {
      keys.push_back(row[kRowColumns]);
      if (row[kRowColumns] == kHorzTableEnd) break;
    }
    EXPECT_EQ(keys, c.keys);
    EXPECT_EQ(Eng.HorzTimingTable[0], c.first_row);
    EXPECT_EQ(Eng.VertTimingTable[4], c.fifth_vertical_row);
  }
}

TEST_F(EngineTest, LoadStandardTablesIgnoresVgaAndUnknownCodes) {
  LoadStandardTables(vsNTSC);
  const EngineState before = Eng;
  for (uint8_t standard : {vsVGA, uint8_t{0}, uint8_t{102}}) {
    LoadStandardTables(standard);
    EXPECT_EQ(Eng.HorzTimingTable, before.HorzTimingTable) << int{standard};
    EXPECT_EQ(Eng.VertTimingTable, before.VertTimingTable) << int{standard};
    EXPECT_EQ(Eng.LinesPerField, 263) << int{standard};
  }
}

TEST(TimingTables, VariantPairsHaveBit4OnTheFirstRowOnly) {
  for (const auto* table : {&kPalHorzTable, &kNtscHorzTable}) {
    int pairs = 0;
    for (size_t i = 0; i + 1 < table->size(); ++i) {
      const HorzRow& row = (*table)[i];
      if ((row[kRowFlags] & 0x10) == 0) continue;
      const HorzRow& next = (*table)[i + 1];
      EXPECT_EQ(next[kRowColumns], row[kRowColumns]);
      EXPECT_EQ(row[kRowFlags], 0x39);
      EXPECT_EQ(next[kRowFlags], 0x09);
      ++pairs;
    }
    EXPECT_EQ(pairs, 2);  // keys 40 and 50
  }
}

TEST_F(EngineTest, ApplyStandardRestoresTheSequencerIndex) {
  SetDesktopMode(port, {});
  Eng.ChipFamily = cfStandardVGA;
  LoadStandardTables(vsPAL);
  SetStandard(vsPAL);
  port.OutByte(kSeqIndex, 0x05);
  port.ClearLog();

  ApplyStandard();

  ASSERT_FALSE(port.log().empty());
  EXPECT_EQ(Describe(port.log().front()), "r8 3C4 05");
  EXPECT_EQ(Describe(port.log().back()), "w8 3C4 05");
  EXPECT_EQ(Eng.HorzRowFound, 1);
  EXPECT_EQ(Eng.VSyncStartReg, 266);  // the vertical step ran
}

TEST_F(EngineTest, SiS300On24kHzHasNoRowFor106Columns) {
  SetDesktopMode(port, {.columns = 106, .lines = 600});
  Eng.ChipFamily = cfSiS;
  Eng.ChipModel = kModelSiS300;
  LoadStandardTables(vs24kHz);
  SetStandard(vs24kHz);

  ApplyStandard();

  EXPECT_EQ(Eng.HorzRowFound, 0);
  EXPECT_EQ(port.crtc(CR01), 105);
  EXPECT_EQ(port.CountReads(0x3D5), 2u);  // CR11 for the unlock and CR01; no CR12 read
}

}  // namespace
}  // namespace zanvo::test
