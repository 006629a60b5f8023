// The Realtek RTG3103 card: clock synthesis with the GR0B divider, the read-only identification,
// interlace, and the modes the driver sets.

#include <gtest/gtest.h>

#include "virtual_test_util.h"

namespace zanvo::virt {
namespace {

using testing::Hex;
using testing::ReadReg;
using testing::WriteReg;

void SelectMiscClock(PortIo& io, int select) {
  io.OutByte(0x3C2, static_cast<uint8_t>((io.InByte(0x3CC) & ~0x0C) | (select << 2)));
}

struct ClockCase {
  int misc_select;
  uint8_t gr0c;  // bit 5: clock select bit 2
  uint8_t gr0b;  // bits 1-0: divider for clocks 2-7
  double hz;
};

TEST(RealtekCard, ClockSelectAndDividerGiveThePixelClock) {
  const ClockCase cases[] = {
      {0, 0x00, 0x00, 25'175'000},       {1, 0x00, 0x00, 28'322'000},
      {1, 0x00, 0x01, 28'322'000},  // the divider leaves clocks 0 and 1 alone
      {1, 0x00, 0x03, 28'322'000},       {2, 0x00, 0x00, 44'900'000},
      {2, 0x00, 0x01, 44'900'000 / 1.5}, {3, 0x00, 0x02, 71'600'000 / 2.0},
      {0, 0x20, 0x00, 73'000'000},       {1, 0x20, 0x00, 64'000'000},
      {1, 0x20, 0x01, 64'000'000 / 1.5}, {2, 0x20, 0x00, 84'000'000},
      {3, 0x20, 0x03, 79'000'000 / 4.0},
  };
  for (const ClockCase& c : cases) {
    VirtualPc pc(MakeCard("realtek-rtg3103"));
    ASSERT_TRUE(SetDesktopMode(pc.card(), 640, 480));
    SelectMiscClock(pc, c.misc_select);
    WriteReg(pc, 0x3CE, 0x0C, c.gr0c);
    WriteReg(pc, 0x3CE, 0x0B, c.gr0b);
    EXPECT_DOUBLE_EQ(pc.card().signal().pixel_clock_hz, c.hz)
        << "misc " << c.misc_select << " GR0C " << Hex(c.gr0c) << " GR0B " << Hex(c.gr0b);
  }
}

struct ReadBackCase {
  uint16_t index_port;
  uint8_t index;
  uint8_t written;
  uint8_t expected;
};

TEST(RealtekCard, ExtendedRegistersReadBackAsTheChipGivesThem) {
  const ReadBackCase cases[] = {
      {0x3D4, 0x1A, 0xFF, 0x00},  // identification: RTG3103, writes change nothing
      {0x3D4, 0x1A, 0x10, 0x00}, {0x3D4, 0x1F, 0x2A, 0x2A},
      {0x3D4, 0x19, 0x41, 0x41}, {0x3D4, 0x1E, 0xFF, 0x01},  // memory size, read-only: 512 KiB
      {0x3CE, 0x0B, 0x03, 0x03}, {0x3CE, 0x0C, 0x20, 0x24},  // bit 2 always reads set
      {0x3D4, 0x20, 0x55, 0xFF},  // past the extended set: nothing answers
  };
  for (const ReadBackCase& c : cases) {
    VirtualPc pc(MakeCard("realtek-rtg3103"));
    ASSERT_TRUE(SetDesktopMode(pc.card(), 640, 480));
    WriteReg(pc, c.index_port, c.index, c.written);
    EXPECT_EQ(ReadReg(pc, c.index_port, c.index), c.expected)
        << Hex(c.index_port) << " index " << Hex(c.index) << " written " << Hex(c.written);
  }
  VirtualPc pc(MakeCard("realtek-rtg3103"));
  pc.OutByte(0x3D6, 0xFA);
  pc.OutByte(0x3D7, 0x35);
  EXPECT_EQ(pc.InByte(0x3D6), 0x0A);  // bank registers hold bits 0-3
  EXPECT_EQ(pc.InByte(0x3D7), 0x05);
}

TEST(RealtekCard, Cr19Bit0InterlacesWithFieldSizedValues) {
  const uint8_t values[] = {0x00, 0x01};
  for (uint8_t cr19 : values) {
    VirtualPc pc(MakeCard("realtek-rtg3103"));
    ASSERT_TRUE(SetDesktopMode(pc.card(), 640, 480));
    WriteReg(pc, 0x3D4, 0x19, cr19);
    const Signal& s = pc.card().signal();
    EXPECT_EQ(s.interlaced, cr19 != 0) << "CR19 " << Hex(cr19);
    EXPECT_DOUBLE_EQ(s.lines_per_field, cr19 != 0 ? 525.5 : 525.0) << "CR19 " << Hex(cr19);
  }
}

struct DriverCase {
  uint16_t width, height;
  double hz;
  uint8_t gr0c_bit5;
};

TEST(RealtekCard, DriverUsesTheUndividedClocksAndClearsInterlace) {
  const DriverCase cases[] = {
      {640, 480, 25'175'000, 0x00},
      {800, 600, 44'900'000, 0x00},
      {1024, 768, 64'000'000, 0x20},
  };
  for (const DriverCase& c : cases) {
    VirtualPc pc(MakeCard("realtek-rtg3103"));
    WriteReg(pc, 0x3D4, 0x19, 0x01);
    WriteReg(pc, 0x3CE, 0x0B, 0x01);
    ASSERT_TRUE(SetDesktopMode(pc.card(), c.width, c.height));
    EXPECT_DOUBLE_EQ(pc.card().signal().pixel_clock_hz, c.hz) << c.width << "x" << c.height;
    EXPECT_EQ(ReadReg(pc, 0x3CE, 0x0C) & 0x20, c.gr0c_bit5) << c.width << "x" << c.height;
    EXPECT_EQ(ReadReg(pc, 0x3CE, 0x0B), 0x00) << c.width << "x" << c.height;
    EXPECT_FALSE(pc.card().signal().interlaced) << c.width << "x" << c.height;
  }
}

}  // namespace
}  // namespace zanvo::virt
