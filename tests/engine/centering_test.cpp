// Centering moves: the image values moved, the registers rewritten, and the vsVGA guard.

#include <array>
#include <string>
#include <vector>

#include "engine/centering.h"
#include "engine/chip_codes.h"
#include "engine/register_access.h"
#include "engine/standards.h"
#include "engine/vga_regs.h"
#include "engine_fixture.h"

namespace zanvo::test {
namespace {

using namespace zanvo::engine;

// PAL on an S3 at 640x480: the first worked example of the vertical step.
void ApplyPalS3(RecordingPort& port) {
  SetDesktopMode(port, {});
  Eng.ChipFamily = cfS3;
  Eng.ChipModel = kModelS3Trio64;
  LoadStandardTables(vsPAL);
  SetStandard(vsPAL);
  ApplyStandard();
  port.ClearLog();
}

std::array<uint16_t, 6> VertValues() {
  return {Eng.VDispEndReg, Eng.VBlankStartReg, Eng.VSyncStartReg,
          Eng.VSyncEndReg, Eng.VBlankEndReg,   Eng.VTotalReg};
}

std::array<uint8_t, 6> HorzValues() {
  return {Eng.HTotalReg,     Eng.HDispEndReg, Eng.HBlankStartReg,
          Eng.HSyncStartReg, Eng.HSyncEndReg, Eng.HBlankEndReg};
}

TEST_F(EngineTest, ScrollUpMovesSyncAndBlankOneLineLater) {
  ApplyPalS3(port);
  const uint8_t cr07 = port.crtc(CR07);

  ScrollOutputUp();

  EXPECT_EQ(Eng.VBlankStartReg, 264);
  EXPECT_EQ(Eng.VSyncStartReg, 267);
  EXPECT_EQ(Eng.VSyncEndReg, 271);
  EXPECT_EQ(Eng.VBlankEndReg, 289);
  EXPECT_EQ(Hex(port.crtc(CR10)), Hex(0x0B));
  EXPECT_EQ(Hex(port.crtc(CR15)), Hex(0x08));
  EXPECT_EQ(Hex(port.crtc(CR11) & 0x0F), Hex(0x0F));
  EXPECT_EQ(Hex(port.crtc(CR16)), Hex(0x21));
  EXPECT_EQ(Hex(port.crtc(CR06)), Hex(0x37));
  EXPECT_EQ(Hex(port.crtc(CR12)), Hex(0xEF));
  EXPECT_EQ(Hex(port.crtc(CR07) & 0x63), Hex(cr07 & 0x63)) << "CR07 total and display end bits";
}

struct RoundTrip {
  const char* name;
  void (*first)();
  void (*second)();
};

TEST_F(EngineTest, OppositeMovesRestoreImagesAndRegisters) {
  const RoundTrip cases[] = {
      {"down_then_up", ScrollOutputDown, ScrollOutputUp},
      {"up_then_down", ScrollOutputUp, ScrollOutputDown},
      {"right_then_left", ShiftOutputRight, ShiftOutputLeft},
      {"left_then_right", ShiftOutputLeft, ShiftOutputRight},
  };
  for (const RoundTrip& c : cases) {
    SCOPED_TRACE(c.name);
    port = RecordingPort{};
    Eng = EngineState{};
    ApplyPalS3(port);
    const auto vert = VertValues();
    const auto horz = HorzValues();
    std::array<uint8_t, 0x18> crtc{};
    for (uint8_t i = 0; i < crtc.size(); ++i)
      crtc[i] = port.crtc(i);

    c.first();
    EXPECT_FALSE(VertValues() == vert && HorzValues() == horz) << "the first move moved";
    c.second();

    EXPECT_EQ(VertValues(), vert);
    EXPECT_EQ(HorzValues(), horz);
    for (uint8_t i = 0; i < crtc.size(); ++i) {
      EXPECT_EQ(Hex(port.crtc(i)), Hex(crtc[i])) << "CR" << Hex(i);
    }
  }
}

TEST_F(EngineTest, ShiftLeftWritesTheMovedHorizontalImage) {
  SetDesktopMode(port, {});
  Eng.ChipFamily = cfStandardVGA;
  LoadStandardTables(vsPAL);
  SetStandard(vsPAL);
  ApplyStandard();
  port.crtc(CR11) |= kCR11Protect;  // the driver protected CR00-07 again
  port.ClearLog();

  ShiftOutputLeft();

  EXPECT_EQ(HorzValues(), (std::array<uint8_t, 6>{108, 79, 85, 91, 99, 107}));
  const auto trace = port.Trace();
  EXPECT_EQ((std::vector<std::string>(trace.begin(), trace.begin() + 4)),
            (std::vector<std::string>{"w8 3D4 11", "r8 3D5 8E", "w8 3D5 0E", "w8 3D4 00"}))
      << "protection cleared before the image is written";
  EXPECT_EQ(port.crtc(CR00), 108);
  EXPECT_EQ(port.crtc(CR02), 85);
  EXPECT_EQ(port.crtc(CR04), 91);
  EXPECT_EQ(Hex(port.crtc(CR03) & 0x1F), Hex(107 & 0x1F));
  EXPECT_EQ(Hex(port.crtc(CR05)), Hex(0x80 | (99 & 0x1F)));
}

TEST_F(EngineTest, ShiftRightStopsBeforeAStartWouldWrapBelowZero) {
  Eng.CurrentStandard = vsPAL;
  Eng.CrtcPort = kCrtcIndexColor;
  Eng.HTotalReg = 108;
  Eng.HSyncStartReg = 0;
  Eng.HBlankStartReg = 0;
  Eng.HSyncEndReg = 8;
  Eng.HBlankEndReg = 22;
  const auto horz = HorzValues();

  ShiftOutputRight();
  ShiftOutputRight();

  EXPECT_EQ(HorzValues(), horz) << "a sync start of 0 would become 255";
  EXPECT_TRUE(port.log().empty()) << "not even the protection is touched";
  ShiftOutputLeft();
  EXPECT_EQ(Eng.HSyncStartReg, 1) << "the other direction still moves";
}

// Frame lines of an interlaced PAL field: blank 512-559, sync 515-523, total 625.
void SetFrameLineImage(RecordingPort& port) {
  Eng.CurrentStandard = vsPAL;
  Eng.CrtcPort = kCrtcIndexColor;
  Eng.VDispEndReg = 479;
  Eng.VBlankStartReg = 512;
  Eng.VSyncStartReg = 515;
  Eng.VSyncEndReg = 523;
  Eng.VBlankEndReg = 559;
  Eng.VTotalReg = 623;
  port.crtc(CR09) = 0x40;
}

TEST_F(EngineTest, VerticalBlankStartBit9IsOnlyEverSet) {
  SetFrameLineImage(port);
  Eng.VBlankStartReg = 511;
  Eng.VSyncStartReg = 514;
  Eng.VSyncEndReg = 522;
  Eng.VBlankEndReg = 558;
  ScrollOutputUp();
  EXPECT_EQ(Eng.VBlankStartReg, 512);
  EXPECT_EQ(Hex(port.crtc(CR09)), Hex(0x60)) << "rising to 512 sets bit 5";

  // Falling back to 511 would leave bit 5 set: the chip would start its blank at 1023, past the
  // total, and the field sync would lie outside any blanking.
  ScrollOutputDown();
  EXPECT_EQ(Eng.VBlankStartReg, 512) << "the step is not made";
  EXPECT_EQ(Hex(port.crtc(CR09)), Hex(0x60));
}

// NTSC field lines, total 263: blank 255 to 15 after the restart, sync 258-262 (its last line
// is the field's last).
void SetNtscFieldImage() {
  Eng.VDispEndReg = 256;
  Eng.VBlankStartReg = 255;
  Eng.VSyncStartReg = 258;
  Eng.VSyncEndReg = 262;
  Eng.VBlankEndReg = 15;
  Eng.VTotalReg = 261;
}

// An NTSC line of 112 characters: blank 99 to 14 after the restart, sync 103-111.
void SetNtscLineImage() {
  Eng.HTotalReg = 107;
  Eng.HDispEndReg = 94;
  Eng.HBlankStartReg = 99;
  Eng.HSyncStartReg = 103;
  Eng.HSyncEndReg = 111;
  Eng.HBlankEndReg = 14;
}

struct BoundCase {
  const char* name;
  uint8_t family;
  uint16_t model;
  void (*image)();
  void (*click)();
  bool moves;
};

TEST_F(EngineTest, CenteringStopsWhereASyncWouldLeaveItsBlankingOrAValueWrap) {
  const BoundCase cases[] = {
      // The field sync's 4-bit end would be 263 = the total: it would match 7 after the restart.
      {"field sync end onto the total", cfStandardVGA, 0, SetNtscFieldImage, ScrollOutputUp, false},
      {"field sync away from the total", cfStandardVGA, 0, SetNtscFieldImage, ScrollOutputDown,
       true},
      // Blank 247 to 7 after the restart; one line earlier its 8-bit end (6) would already match
      // at 262, before the total: the blank would lose its last 7 lines.
      {"field blank end matching early", cfStandardVGA, 0,
       [] {
         SetNtscFieldImage();
         Eng.VBlankStartReg = 247;
         Eng.VSyncStartReg = 250;
         Eng.VSyncEndReg = 254;
         Eng.VBlankEndReg = 7;
       },
       ScrollOutputDown, false},
      {"line sync end onto the total", cfStandardVGA, 0, SetNtscLineImage, ShiftOutputLeft, false},
      {"line sync away from the total", cfStandardVGA, 0, SetNtscLineImage, ShiftOutputRight, true},
      {"line blank end below zero", cfStandardVGA, 0,
       [] {
         SetNtscLineImage();
         Eng.HBlankStartReg = 85;
         Eng.HSyncStartReg = 89;
         Eng.HSyncEndReg = 97;
         Eng.HBlankEndReg = 0;
       },
       ShiftOutputRight, false},
      // The i740 keeps vertical bits 8-11 in CR30-CR33, which the writer leaves alone.
      {"i740 sync start under 256", cfIntel, 0,
       [] {
         SetNtscFieldImage();
         Eng.VBlankStartReg = 253;
         Eng.VSyncStartReg = 256;
         Eng.VSyncEndReg = 260;
         Eng.VBlankEndReg = 13;
       },
       ScrollOutputDown, false},
      {"VGA sync start under 256", cfStandardVGA, 0,
       [] {
         SetNtscFieldImage();
         Eng.VBlankStartReg = 253;
         Eng.VSyncStartReg = 256;
         Eng.VSyncEndReg = 260;
         Eng.VBlankEndReg = 13;
       },
       ScrollOutputDown, true},
      // The SiS 300 compares five sync end bits, and its fifth now reaches SR0A bit 5: a sync
      // end onto bit 4 (272) keeps the sync's length and the step is made.
      {"SiS 300 sync end onto bit 4", cfSiS, kModelSiS300,
       [] {
         SetNtscFieldImage();
         Eng.VBlankStartReg = 264;
         Eng.VSyncStartReg = 267;
         Eng.VSyncEndReg = 271;
         Eng.VBlankEndReg = 24;
         Eng.VTotalReg = 311;
       },
       ScrollOutputUp, true},
      // The block-I/O CRTC: display end 80, total 113 (written 112, run one longer), sync 8 wide.
      {"block sync start onto the display", cfATI, 0,
       [] {
         Eng.HTotalReg = 107;
         Eng.HDispEndReg = 79;
         Eng.HSyncStartReg = 80;
         Eng.HSyncEndReg = 88;
       },
       ShiftOutputRight, false},
      {"block sync end past the total", cfATI, 0,
       [] {
         Eng.HTotalReg = 107;
         Eng.HDispEndReg = 79;
         Eng.HSyncStartReg = 105;
         Eng.HSyncEndReg = 113;
       },
       ShiftOutputLeft, false},
      {"block sync end onto the total", cfATI, 0,
       [] {
         Eng.HTotalReg = 107;
         Eng.HDispEndReg = 79;
         Eng.HSyncStartReg = 104;
         Eng.HSyncEndReg = 112;
       },
       ShiftOutputLeft, true},
      {"block field sync start onto the display", cfATI, 0,
       [] {
         Eng.VDispEndReg = 479;
         Eng.VSyncStartReg = 480;
         Eng.VSyncEndReg = 488;
         Eng.VTotalReg = 523;
       },
       ScrollOutputDown, false},
  };
  for (const BoundCase& c : cases) {
    SCOPED_TRACE(c.name);
    port = RecordingPort{};
    Eng = EngineState{};
    Eng.ChipFamily = c.family;
    Eng.ChipModel = c.model;
    Eng.ExtIoBase = 0xE800;
    Eng.CrtcPort = kCrtcIndexColor;
    Eng.CurrentStandard = vsNTSC;
    c.image();
    const auto vert = VertValues();
    const auto horz = HorzValues();

    c.click();
    EXPECT_EQ(VertValues() != vert || HorzValues() != horz, c.moves);
  }
}

TEST_F(EngineTest, CenteringDoesNothingOnVga) {
  ApplyPalS3(port);
  SetStandard(vsVGA);
  const auto vert = VertValues();
  const auto horz = HorzValues();
  for (void (*move)() : {ShiftOutputRight, ShiftOutputLeft, ScrollOutputUp, ScrollOutputDown}) {
    move();
  }
  EXPECT_TRUE(port.log().empty());
  EXPECT_EQ(VertValues(), vert);
  EXPECT_EQ(HorzValues(), horz);
}

TEST_F(EngineTest, BlockIoFamilyCenteringRewritesItsDwords) {
  constexpr uint16_t kBase = 0xE800;
  Eng.ChipFamily = cfATI;
  Eng.ExtIoBase = kBase;
  Eng.CurrentStandard = vsNTSC;
  Eng.HTotalReg = 107;
  Eng.HDispEndReg = 79;
  Eng.HSyncStartReg = 90;
  Eng.HSyncEndReg = 98;
  Eng.VDispEndReg = 479;
  Eng.VSyncStartReg = 484;
  Eng.VSyncEndReg = 492;
  Eng.VTotalReg = 523;

  ShiftOutputRight();
  ScrollOutputUp();

  EXPECT_EQ(Hex(port.GetDword(kBase + 0x00)), Hex((79u << 16) | 112));
  EXPECT_EQ(Hex(port.GetDword(kBase + 0x04)), Hex((0x28u << 16) | 89));
  EXPECT_EQ(Hex(port.GetDword(kBase + 0x08)), Hex((479u << 16) | 526));
  EXPECT_EQ(Hex(port.GetDword(kBase + 0x0C)), Hex((0x28u << 16) | 485));
}

}  // namespace
}  // namespace zanvo::test
