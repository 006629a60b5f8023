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

TEST_F(EngineTest, ShiftRightWrapsBelowZero) {
  Eng.CurrentStandard = vsPAL;
  Eng.CrtcPort = kCrtcIndexColor;
  Eng.HTotalReg = 108;
  Eng.HSyncStartReg = 0;
  Eng.HBlankStartReg = 0;
  Eng.HSyncEndReg = 8;
  Eng.HBlankEndReg = 22;

  ShiftOutputRight();

  EXPECT_EQ(Eng.HSyncStartReg, 255);
  EXPECT_EQ(Eng.HBlankStartReg, 255);
  EXPECT_EQ(Eng.HSyncEndReg, 7);
  EXPECT_EQ(Eng.HBlankEndReg, 21);
  EXPECT_EQ(port.crtc(CR04), 255);
}

TEST_F(EngineTest, VerticalBlankStartBit9IsOnlyEverSet) {
  Eng.CurrentStandard = vsPAL;
  Eng.CrtcPort = kCrtcIndexColor;
  Eng.VBlankStartReg = 512;
  port.crtc(CR09) = 0x60;
  ScrollOutputDown();
  EXPECT_EQ(Eng.VBlankStartReg, 511);
  EXPECT_EQ(Hex(port.crtc(CR09)), Hex(0x60)) << "falling to 511 leaves bit 5 set";

  port.crtc(CR09) = 0x40;
  ScrollOutputUp();
  EXPECT_EQ(Hex(port.crtc(CR09)), Hex(0x60)) << "rising to 512 sets bit 5";
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
