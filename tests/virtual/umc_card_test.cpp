// The UMC 85C408 card: the 0x3BF key, the half-clock bit and interlace.

#include <gtest/gtest.h>

#include "virtual_test_util.h"

namespace zanvo::virt {
namespace {

using testing::Hex;
using testing::ReadReg;
using testing::WriteReg;

struct KeyCase {
  const char* what;
  uint8_t first_key, second_key;  // written to 0x3BF in this order
  uint16_t index_port;
  uint8_t index;
  bool writable;
};

TEST(UmcCard, Port3BFKeyGuardsTheExtendedRegisters) {
  const KeyCase cases[] = {
      {"SR06 after 0x03", 0x03, 0x03, 0x3C4, 0x06, false},
      {"SR06 after 0xAC", 0x03, 0xAC, 0x3C4, 0x06, true},
      {"SR06 after 0xAC then 0x03", 0xAC, 0x03, 0x3C4, 0x06, false},
      {"SR06: another byte keeps it open", 0xAC, 0x55, 0x3C4, 0x06, true},
      {"SR06: another byte keeps it closed", 0x03, 0x55, 0x3C4, 0x06, false},
      {"SR07 closed", 0x03, 0x03, 0x3C4, 0x07, false},
      {"SR09 open", 0x03, 0xAC, 0x3C4, 0x09, true},
      {"CR2F closed", 0x03, 0x03, 0x3D4, 0x2F, false},
      {"CR2F open", 0x03, 0xAC, 0x3D4, 0x2F, true},
  };
  for (const KeyCase& c : cases) {
    VirtualPc pc(MakeCard("umc-85c408"));
    ASSERT_TRUE(SetDesktopMode(pc.card(), 640, 480));
    pc.OutByte(0x3BF, 0xAC);
    WriteReg(pc, c.index_port, c.index, 0x00);
    pc.OutByte(0x3BF, c.first_key);
    pc.OutByte(0x3BF, c.second_key);
    WriteReg(pc, c.index_port, c.index, 0x5A);
    const uint8_t got = ReadReg(pc, c.index_port, c.index);
    EXPECT_EQ(got, c.writable ? 0x5A : 0x00) << c.what << ": read " << Hex(got);
  }
}

TEST(UmcCard, DriverLeavesTheKeyClosed) {
  VirtualPc pc(MakeCard("umc-85c408"));
  pc.OutByte(0x3BF, 0xAC);
  ASSERT_TRUE(SetDesktopMode(pc.card(), 800, 600));
  EXPECT_EQ(pc.InByte(0x3BF), 0x03);
  WriteReg(pc, 0x3C4, 0x06, 0xFF);
  EXPECT_NE(ReadReg(pc, 0x3C4, 0x06), 0xFF);
}

struct TimingCase {
  uint8_t sr09;
  uint8_t cr2f;
  double hz;  // 640x480 runs the 25.175 MHz clock
  bool interlaced;
};

TEST(UmcCard, Sr09Bit7HalvesTheClockAndCr2FBit0Interlaces) {
  const TimingCase cases[] = {
      {0x00, 0x00, 25'175'000, false}, {0x80, 0x00, 12'587'500, false},
      {0x7F, 0x00, 25'175'000, false}, {0x00, 0x01, 25'175'000, true},
      {0x80, 0x01, 12'587'500, true},
  };
  for (const TimingCase& c : cases) {
    VirtualPc pc(MakeCard("umc-85c408"));
    ASSERT_TRUE(SetDesktopMode(pc.card(), 640, 480));
    pc.OutByte(0x3BF, 0xAC);
    WriteReg(pc, 0x3C4, 0x09, c.sr09);
    WriteReg(pc, 0x3D4, 0x2F, c.cr2f);
    const Signal& s = pc.card().signal();
    EXPECT_DOUBLE_EQ(s.pixel_clock_hz, c.hz) << "SR09 " << Hex(c.sr09) << " CR2F " << Hex(c.cr2f);
    EXPECT_EQ(s.interlaced, c.interlaced) << "SR09 " << Hex(c.sr09) << " CR2F " << Hex(c.cr2f);
  }
}

}  // namespace
}  // namespace zanvo::virt
