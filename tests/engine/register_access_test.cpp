// Register primitives and the extended-register unlock: the port accesses, in order.

#include <string>
#include <vector>

#include "engine/chip_codes.h"
#include "engine/register_access.h"
#include "engine/standards.h"
#include "engine/unlock.h"
#include "engine/vga_regs.h"
#include "engine_fixture.h"

namespace zanvo::test {
namespace {

using namespace zanvo::engine;
using Trace = std::vector<std::string>;

// CR11 = 0x8C as the driver leaves it: the unlock clears bit 7 first on every family.
const Trace kClearProtect = {"w8 3D4 11", "r8 3D5 8C", "w8 3D5 0C"};

struct UnlockCase {
  const char* name;
  uint8_t family;
  uint16_t model;
  Trace keys;  // accesses after the CR11 step
};

TEST_F(EngineTest, UnlockSendsEachFamilysKeysInOrder) {
  // clang-format off
  const UnlockCase cases[] = {
      {"load_value_0", 0, 0, {}},
      {"standard_vga", cfStandardVGA, 0, {}},
      {"realtek", cfRealtek, 0, {}},
      {"ati", cfATI, 0, {}},
      {"oak", cfOak, 5, {}},
      {"s3", cfS3, 0x11, {"w16 3C4 0608", "w16 3D4 4838", "w16 3D4 A539"}},
      {"trident_3d", cfTrident, 0xF3, {"w16 3C4 9211", "w8 3C4 0B", "w8 3C5 00", "r8 3C5 00"}},
      {"trident_9000i", cfTrident, 0x43, {"w8 3C4 0B", "w8 3C5 00", "r8 3C5 00"}},
      {"code_7", cfCode7, 0, {"w16 3D4 571F"}},
      {"intel", cfIntel, 0, {"w8 3D4 80", "r8 3D5 00", "w8 3D5 03"}},
      {"cirrus", cfCirrus, 0, {"w16 3C4 1206"}},
      {"umc", cfUMC, 0, {"w8 3BF AC"}},
      {"wd", cfWD, 0x3330,
       {"w8 3CE 0F", "r8 3CF 00", "w8 3CF 05", "w8 3D4 29", "r8 3D5 00", "w8 3D5 85"}},
      {"tseng", cfTseng, 4000, {"w8 3BF 03", "w8 3D8 A0"}},
      {"sis", cfSiS, 0x300, {"w16 3C4 8605"}},
  };
  // clang-format on
  for (const UnlockCase& c : cases) {
    SCOPED_TRACE(c.name);
    port = RecordingPort{};
    port.crtc(CR11) = 0x8C;
    Eng = EngineState{};
    Eng.ChipFamily = c.family;
    Eng.ChipModel = c.model;
    Eng.CrtcPort = kCrtcIndexColor;

    UnlockExtRegs();

    Trace expected = kClearProtect;
    expected.insert(expected.end(), c.keys.begin(), c.keys.end());
    EXPECT_EQ(port.Trace(), expected);
    EXPECT_EQ(port.crtc(CR11), 0x0C);
  }
}

struct AddressingCase {
  const char* name;
  uint8_t misc;
  uint16_t crtc_port;
  Trace trace;
};

TEST_F(EngineTest, MiscOutputBit0ChoosesCrtcPortAndTsengModeControl) {
  const AddressingCase cases[] = {
      {"mono",
       0x62,
       kCrtcIndexMono,
       {"r8 3CC 62", "w8 3B4 11", "r8 3B5 80", "w8 3B5 00", "w8 3BF 03", "w8 3B8 A0"}},
      {"colour",
       0x63,
       kCrtcIndexColor,
       {"r8 3CC 63", "w8 3D4 11", "r8 3D5 80", "w8 3D5 00", "w8 3BF 03", "w8 3D8 A0"}},
  };
  for (const AddressingCase& c : cases) {
    SCOPED_TRACE(c.name);
    port = RecordingPort{};
    port.misc() = c.misc;
    port.Reg(RegFile::kCrtcMono, CR11) = 0x80;
    port.crtc(CR11) = 0x80;
    Eng.ChipFamily = cfTseng;

    SelectCrtcPort();
    UnlockExtRegs();

    EXPECT_EQ(Eng.CrtcPort, c.crtc_port);
    EXPECT_EQ(port.Trace(), c.trace);
  }
}

TEST_F(EngineTest, TestIndexedBitsFindsWritableBitsAndRestoresTheRegister) {
  port.gc(0x09) = 0x12;
  port.SetReadOnly(RegFile::kGc, 0x09, 0x7F);
  EXPECT_FALSE(TestIndexedBits(kGcIndex, 0x09, 0x7F));
  EXPECT_EQ(port.gc(0x09), 0x12);
  EXPECT_EQ(port.Trace(), (Trace{"w8 3CE 09", "r8 3CF 12", "w8 3CF 00", "r8 3CF 12", "w8 3CF 7F",
                                 "r8 3CF 12", "w8 3CF 12"}));

  port.ClearLog();
  port.SetReadOnly(RegFile::kGc, 0x09, 0x00);
  EXPECT_TRUE(TestIndexedBits(kGcIndex, 0x09, 0x7F));
  EXPECT_EQ(port.gc(0x09), 0x12);
  EXPECT_EQ(port.Trace(), (Trace{"w8 3CE 09", "r8 3CF 12", "w8 3CF 00", "r8 3CF 00", "w8 3CF 7F",
                                 "r8 3CF 7F", "w8 3CF 12"}));
}

TEST_F(EngineTest, TestPortBitsWorksOnAPlainPort) {
  port.plain(0x3D6) = 0xA5;
  EXPECT_TRUE(TestPortBits(0x3D6, 0x0F));
  EXPECT_EQ(port.plain(0x3D6), 0xA5);
  EXPECT_EQ(port.Trace(),
            (Trace{"r8 3D6 A5", "w8 3D6 A0", "r8 3D6 A0", "w8 3D6 AF", "r8 3D6 AF", "w8 3D6 A5"}));

  port.ClearLog();
  // Misc Output is read at 0x3CC but written at 0x3C2: writes to 0x3CC do not stick.
  EXPECT_FALSE(TestPortBits(kMiscOutputRead, 0x03));
}

TEST_F(EngineTest, ModifyIndexedRegReplacesOnlyTheMaskedBits) {
  port.gc(GR0F) = 0xFF;
  ModifyIndexedReg(kGcIndex, GR0F, 0x17, 0x05);
  EXPECT_EQ(port.gc(GR0F), 0xED);
  EXPECT_EQ(port.Trace(), (Trace{"w8 3CE 0F", "r8 3CF FF", "w8 3CF ED"}));
}

TEST_F(EngineTest, UnboundEngineReadsAllOnesAndDoesNotCrash) {
  UnbindPort();
  EXPECT_EQ(Port().InByte(0x3CC), 0xFF);
  EXPECT_EQ(Port().InWord(0xE802), 0xFFFF);
  EXPECT_EQ(Port().InDword(0xE800), 0xFFFFFFFFu);
  Eng.ChipFamily = cfS3;
  LoadStandardTables(vsPAL);
  ApplyStandard();  // 0xFF + 1 columns: no row
  EXPECT_EQ(Eng.HorzRowFound, 0);
  EXPECT_TRUE(port.log().empty());
}

}  // namespace
}  // namespace zanvo::test
