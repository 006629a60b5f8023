// The vertical step on worked examples: line fitting (doubling, interlace, skipping), the row's
// reference line, the image, its CRTC registers, and the offset with its extension bits.

#include <string>
#include <vector>

#include "engine/chip_codes.h"
#include "engine/horizontal.h"
#include "engine/register_access.h"
#include "engine/standards.h"
#include "engine/vertical.h"
#include "engine/vga_regs.h"
#include "engine_fixture.h"

namespace zanvo::test {
namespace {

using namespace zanvo::engine;

struct VertImage {
  uint16_t disp_end, blank_start, sync_start, sync_end, blank_end, total;
};

std::string Describe(const VertImage& v) {
  char text[80];
  std::snprintf(text, sizeof text, "%u %u %u %u %u %u", v.disp_end, v.blank_start, v.sync_start,
                v.sync_end, v.blank_end, v.total);
  return text;
}

VertImage CurrentImage() {
  return {Eng.VDispEndReg, Eng.VBlankStartReg, Eng.VSyncStartReg,
          Eng.VSyncEndReg, Eng.VBlankEndReg,   Eng.VTotalReg};
}

unsigned Bit(unsigned v, unsigned from, unsigned to) {
  return ((v >> from) & 1u) << to;
}

void ExpectCrtcHolds(RecordingPort& port, const VertImage& v) {
  EXPECT_EQ(Hex(port.crtc(CR12)), Hex(v.disp_end & 0xFF)) << "CR12";
  EXPECT_EQ(Hex(port.crtc(CR15)), Hex(v.blank_start & 0xFF)) << "CR15";
  EXPECT_EQ(Hex(port.crtc(CR10)), Hex(v.sync_start & 0xFF)) << "CR10";
  EXPECT_EQ(Hex(port.crtc(CR11) & 0x0F), Hex(v.sync_end & 0x0F)) << "CR11";
  EXPECT_EQ(Hex(port.crtc(CR16)), Hex(v.blank_end & 0xFF)) << "CR16";
  EXPECT_EQ(Hex(port.crtc(CR06)), Hex(v.total & 0xFF)) << "CR06";
  const unsigned overflow = Bit(v.total, 8, 0) | Bit(v.disp_end, 8, 1) | Bit(v.sync_start, 8, 2) |
                            Bit(v.blank_start, 8, 3) | 0x10 | Bit(v.total, 9, 5) |
                            Bit(v.disp_end, 9, 6) | Bit(v.sync_start, 9, 7);
  EXPECT_EQ(Hex(port.crtc(CR07)), Hex(overflow)) << "CR07";
  EXPECT_EQ(Hex(port.crtc(CR09) & 0x20), Hex(Bit(v.blank_start, 9, 5))) << "CR09 bit 5";
}

struct VertCase {
  const char* name;
  uint8_t family;
  uint16_t model;
  uint8_t standard;
  DesktopMode mode;
  uint8_t interlace_enabled;
  uint16_t odd_even;
  std::vector<RegValue> before;
  VertImage image;
  uint8_t cr13;
  std::vector<RegValue> after;
};

void RunApply(RecordingPort& port, const VertCase& c) {
  SetDesktopMode(port, c.mode);
  for (const RegValue& r : c.before)
    At(port, r) = r.value;
  Eng = EngineState{};
  Eng.ChipFamily = c.family;
  Eng.ChipModel = c.model;
  Eng.InterlaceEnabled = c.interlace_enabled;
  Eng.OddEvenVSyncSize = c.odd_even;
  LoadStandardTables(c.standard);
  SetStandard(c.standard);
  ApplyStandard();
}

constexpr DesktopMode k640x480{.columns = 80, .lines = 480};
constexpr DesktopMode k800x600{.columns = 100, .lines = 600, .offset = 0x64};
constexpr DesktopMode k1024x768{.columns = 128, .lines = 768, .offset = 0x80};
// Field counting (k = 1) and frame counting (k = 2) of PAL 640x480 on row (240, 266).
constexpr VertImage kPal480{239, 263, 266, 270, 288, 311};
constexpr VertImage kPal480Frames{479, 526, 532, 540, 576, 623};

TEST_F(EngineTest, VerticalStepWorkedExamples) {
  // clang-format off
  const VertCase cases[] = {
      {"pal_s3_640x480", cfS3, 0x11, vsPAL, k640x480, 1, 0,
       {{C, 0x42, 0x00}, {C, 0x5E, 0xFF}, {C, 0x67, 0x0C}, {C, 0x3A, 0xFF}}, kPal480, 0x50,
       {{C, 0x12, 0xEF}, {C, 0x15, 0x07}, {C, 0x10, 0x0A}, {C, 0x11, 0x0E}, {C, 0x16, 0x20},
        {C, 0x06, 0x37}, {C, 0x07, 0x1D}, {C, 0x42, 0x20}, {C, 0x3C, 0x36}, {C, 0x5E, 0x00},
        {C, 0x67, 0x00}, {C, 0x3A, 0xFB}}},
      {"pal_intel_640x480", cfIntel, 0, vsPAL, k640x480, 1, 0, {}, kPal480Frames, 0xA0,
       {{C, 0x07, 0xB2}, {C, 0x09, 0x60}, {C, 0x70, 0xB6}, {C, 0x41, 0x00}, {C, 0x11, 0x0C}}},
      {"ntsc_s3_640x480", cfS3, 0x11, vsNTSC, k640x480, 1, 0, {},
       {239, 239, 242, 246, 260, 261}, 0x50, {}},
      {"pal_s3_800x600", cfS3, 0x11, vsPAL, k800x600, 1, 0, {}, {293, 292, 295, 299, 6, 311},
       0x64, {}},
      // Without chip interlace 600 lines skip to 300; row (300, 258) caps them at 257.
      {"ntsc_vga_800x600", cfStandardVGA, 0, vsNTSC, k800x600, 1, 0, {},
       {256, 255, 258, 262, 15, 261}, 0xC8, {}},
      // 768 -> 384 by interlace -> 192 by skipping; offset 0x80 doubles into CR51 bit 4.
      {"pal_s3_1024x768", cfS3, 0x11, vsPAL, k1024x768, 1, 0, {{C, 0x51, 0x00}},
       {191, 239, 242, 246, 264, 311}, 0x00, {{C, 0x51, 0x10}, {C, 0x43, 0x04}}},
      // CR09 bit 7 cleared and the offset halved; 240 fits, so no interlace (CR25 of the generic
      // Tseng cleared); skipping halves 480 and doubles the offset back.
      {"pal_tseng_double_scan", cfTseng, 0, vsPAL,
       {.columns = 40, .lines = 480, .cr09 = 0xC0, .offset = 0x28}, 1, 0,
       {{C, 0x25, 0x80}, {C, 0x35, 0x00}, {C, 0x3F, 0x80}}, kPal480, 0x28,
       {{C, 0x09, 0x40}, {C, 0x25, 0x00}, {C, 0x35, 0x00}, {C, 0x3F, 0x00}}},
      {"pal_s3_odd_even_vsync", cfS3, 0x11, vsPAL, k640x480, 1, 1, {},
       {239, 263, 266, 269, 287, 311}, 0x50, {}},
      // Sync end 330 has bit 6 set: CR11 keeps it on S3 only.
      {"24khz_s3_no_interlace", cfS3, 0x11, vs24kHz, k640x480, 0, 0, {{C, 0x42, 0x00}},
       {239, 323, 326, 330, 348, 422}, 0xA0, {{C, 0x42, 0x00}, {C, 0x11, 0x4A}}},
      {"24khz_vga", cfStandardVGA, 0, vs24kHz, k640x480, 1, 0, {},
       {239, 323, 326, 330, 348, 422}, 0xA0, {{C, 0x11, 0x0A}}},
      {"pal_oak_generic", cfOak, 0, vsPAL, k640x480, 1, 0, {{O, 0x14, 0x00}, {O, 0x15, 0x11}},
       kPal480, 0xA0, {{O, 0x14, 0x00}, {O, 0x15, 0x11}}},
      {"pal_oak_077", cfOak, 5, vsPAL, k640x480, 1, 0, {{O, 0x14, 0x00}}, kPal480, 0x50,
       {{O, 0x14, 0x80}, {O, 0x15, 0x36}}},
      {"pal_cirrus", cfCirrus, 0, vsPAL, k640x480, 1, 0, {}, kPal480, 0x50,
       {{C, 0x1A, 0x01}, {C, 0x19, 0x36}, {C, 0x1B, 0x00}}},
      {"pal_sis", cfSiS, 0, vsPAL, k640x480, 1, 0, {{S, 0x0E, 0xF0}}, kPal480, 0xA0,
       {{S, 0x06, 0x20}, {S, 0x0E, 0xF0}}},
      {"pal_code_7", cfCode7, 0, vsPAL, k640x480, 1, 0, {}, kPal480Frames, 0xA0,
       {{C, 0x33, 0x80}}},
      {"pal_tseng_4000", cfTseng, 4000, vsPAL, k640x480, 1, 0, {{C, 0x35, 0x0F}},
       kPal480Frames, 0x50, {{C, 0x35, 0x80}}},
      {"pal_tseng_3000", cfTseng, 3000, vsPAL, k640x480, 1, 0, {{C, 0x25, 0x0F}}, kPal480, 0x50,
       {{C, 0x25, 0x80}}},
      {"pal_wd", cfWD, 0x3330, vsPAL, k640x480, 1, 0, {}, kPal480, 0x50,
       {{C, 0x2D, 0x35}, {C, 0x2C, 0x36}}},
      {"pal_realtek", cfRealtek, 6, vsPAL, k640x480, 1, 0, {}, kPal480, 0xA0, {{C, 0x19, 0x01}}},
      {"pal_umc", cfUMC, 0, vsPAL, k640x480, 1, 0, {}, kPal480, 0xA0, {{C, 0x2F, 0x01}}},
      // Offset 0x150 (CR29 bits 4-5 = 1) doubles to 0x2A0: ten bits, which the 0xF3 chip has.
      {"pal_trident", cfTrident, 0xF3, vsPAL, k640x480, 1, 0, {{C, 0x29, 0x10}}, kPal480, 0xA0,
       {{C, 0x1E, 0x04}, {C, 0x29, 0x20}, {S, 0x0E, 0x00}}},
      // The desktop already interlaces: nothing is written there, skipping fits the lines.
      {"pal_s3_already_interlaced", cfS3, 0x11, vsPAL, k640x480, 1, 0,
       {{C, 0x42, 0x20}, {C, 0x3C, 0x77}}, kPal480, 0xA0, {{C, 0x3C, 0x77}}},
      {"pal_standard_vga", cfStandardVGA, 0, vsPAL, k640x480, 1, 0, {}, kPal480, 0xA0, {}},
  };
  // clang-format on
  for (const VertCase& c : cases) {
    SCOPED_TRACE(c.name);
    port = RecordingPort{};
    RunApply(port, c);
    ASSERT_EQ(Eng.HorzRowFound, 1);
    EXPECT_EQ(Describe(CurrentImage()), Describe(c.image));
    ExpectCrtcHolds(port, c.image);
    EXPECT_EQ(Hex(port.crtc(CR13)), Hex(c.cr13)) << "CR13";
    for (const RegValue& r : c.after)
      EXPECT_EQ(Hex(At(port, r)), Hex(r.value)) << Name(r);
    EXPECT_EQ(Eng.CountFrameLines, 0);
  }
}

TEST_F(EngineTest, NoVerticalRowStopsBeforeTheOffsetAndImage) {
  // 1024 columns, 384 lines counted by two (768) and no interlace: line skipping gives 384,
  // which no row has.
  const std::vector<RegValue> mode_timing = {{C, 0x12, 0x7F}, {C, 0x07, 0x13}, {C, 0x10, 0xEA},
                                             {C, 0x15, 0xE7}, {C, 0x16, 0x04}, {C, 0x06, 0x0B}};
  VertCase c{
      "pal_s3_768_lines_no_interlace", cfS3, 0x11, vsPAL, k1024x768, 0, 0, mode_timing, {}, 0, {}};
  c.before.push_back({C, 0x17, 0xE7});
  RunApply(port, c);
  EXPECT_EQ(Eng.HorzRowFound, 1);
  EXPECT_EQ(Describe(CurrentImage()), Describe(VertImage{}));
  for (const RegValue& r : mode_timing)
    EXPECT_EQ(Hex(At(port, r)), Hex(r.value)) << Name(r);
  EXPECT_EQ(Hex(port.crtc(CR13)), Hex(0x80));
  EXPECT_EQ(Hex(port.crtc(CR17)), Hex(0xE3)) << "count-by-two stays cleared";
}

TEST_F(EngineTest, StoppedRunLeavesNoFrameCountingBehind) {
  // Intel sets frame counting before its interlace test; 500 lines become 250, which has no row.
  VertCase intel{"intel_500", cfIntel, 0, vsPAL, {.columns = 80, .lines = 500}, 1, 0,
                 {},          {},      0, {}};
  RunApply(port, intel);
  EXPECT_EQ(Eng.HorzRowFound, 1);
  EXPECT_EQ(Eng.CountFrameLines, 0);

  // The next run on another family counts field lines.
  port = RecordingPort{};
  SetDesktopMode(port, k640x480);
  Eng.ChipFamily = cfS3;
  ApplyStandard();
  EXPECT_EQ(Describe(CurrentImage()), Describe(kPal480));
}

TEST_F(EngineTest, BlockIoFamilyVerticalStep) {
  constexpr uint16_t kBase = 0xE800;
  port.PutDword(kBase + 0x00, (79u << 16) | 0x63);
  port.PutWord(kBase + 0x0A, 479);
  port.PutWord(kBase + 0x16, 0x0A05);  // pitch 0x28 in bits 6-15, low bits 0x05
  port.plain(kBase + 0x1C) = 0x00;
  Eng.ChipFamily = cfATI;
  Eng.ExtIoBase = kBase;
  LoadStandardTables(vsPAL);
  SetStandard(vsPAL);
  SelectCrtcPort();

  ProgramHorizontal();
  ProgramVertical();

  // Interlace bit set; frame counting; the pitch halves on reading and doubles back with it.
  EXPECT_EQ(Describe(CurrentImage()), Describe(kPal480Frames));
  EXPECT_EQ(Hex(port.plain(kBase + 0x1C)), Hex(0x02));
  EXPECT_EQ(Hex(port.GetWord(kBase + 0x16)), Hex(0x0A05));
  EXPECT_EQ(Hex(port.GetDword(kBase + 0x08)), Hex((479u << 16) | 626));
  EXPECT_EQ(Hex(port.GetDword(kBase + 0x0C)), Hex((0x28u << 16) | 532));
  EXPECT_EQ(port.CountWrites(kCrtcIndexColor), 0u);
}

TEST_F(EngineTest, BlockIoFamilyWithoutInterlaceKeepsThePitch) {
  constexpr uint16_t kBase = 0xD000;
  port.PutDword(kBase + 0x00, 79u << 16);
  port.PutWord(kBase + 0x0A, 479);
  port.PutWord(kBase + 0x16, 0x0A00);
  port.plain(kBase + 0x1C) = 0x00;
  Eng.ChipFamily = cfATI;
  Eng.ExtIoBase = kBase;
  Eng.InterlaceEnabled = 0;
  LoadStandardTables(vsPAL);
  SetStandard(vsPAL);
  SelectCrtcPort();

  ProgramHorizontal();
  ProgramVertical();

  // Halved on reading, doubled by the no-interlace rule, doubled again by line skipping.
  EXPECT_EQ(Describe(CurrentImage()), Describe(kPal480));
  EXPECT_EQ(Hex(port.plain(kBase + 0x1C)), Hex(0x00));
  EXPECT_EQ(Hex(port.GetWord(kBase + 0x16)), Hex(0x1400));
}

}  // namespace
}  // namespace zanvo::test
