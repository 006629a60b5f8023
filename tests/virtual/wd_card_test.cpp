// The Western Digital WD90C00 and WD90C30 cards: the GR0F and CR29 keys, clock select bit 2 in
// each chip's sense, interlace and the modes the driver sets.

#include <gtest/gtest.h>

#include "virtual_test_util.h"

namespace zanvo::virt {
namespace {

using testing::Hex;
using testing::ReadReg;
using testing::WriteReg;

struct LockCase {
  const char* what;
  uint16_t key_port;  // 0x3CE: GR0F, 0x3D4: CR29
  uint8_t key_index;
  uint8_t key;
  uint16_t index_port;
  uint8_t index;
  uint8_t expected;  // read after writing 0x5A over 0x00
};

TEST(WdCard, Gr0FAndCr29KeysGuardWritesAndReads) {
  const LockCase cases[] = {
      {"GR09 closed", 0x3CE, 0x0F, 0x00, 0x3CE, 0x09, 0x00},
      {"GR09 open", 0x3CE, 0x0F, 0x05, 0x3CE, 0x09, 0x5A},
      {"GR09 open but hidden", 0x3CE, 0x0F, 0x15, 0x3CE, 0x09, 0xFF},
      {"GR09 closed and hidden", 0x3CE, 0x0F, 0x17, 0x3CE, 0x09, 0xFF},
      {"GR0C open", 0x3CE, 0x0F, 0x05, 0x3CE, 0x0C, 0x5A},
      {"GR0E closed", 0x3CE, 0x0F, 0x02, 0x3CE, 0x0E, 0x00},
      {"CR2D closed and hidden", 0x3D4, 0x29, 0x00, 0x3D4, 0x2D, 0xFF},
      {"CR2D open by 0x85", 0x3D4, 0x29, 0x85, 0x3D4, 0x2D, 0x5A},
      {"CR2D written but hidden", 0x3D4, 0x29, 0x05, 0x3D4, 0x2D, 0xFF},
      {"CR2D hidden by bit 3", 0x3D4, 0x29, 0x8D, 0x3D4, 0x2D, 0xFF},
      {"CR2E readable, closed", 0x3D4, 0x29, 0x80, 0x3D4, 0x2E, 0x00},
      {"CR36 identification is read-only", 0x3D4, 0x29, 0x85, 0x3D4, 0x36, 0x33},
  };
  for (const LockCase& c : cases) {
    VirtualPc pc(MakeCard("wd-90c30"));
    ASSERT_TRUE(SetDesktopMode(pc.card(), 640, 480));
    // Zero the register with both keys open, then set the key under test.
    WriteReg(pc, 0x3CE, 0x0F, 0x05);
    WriteReg(pc, 0x3D4, 0x29, 0x85);
    WriteReg(pc, c.index_port, c.index, 0x00);
    WriteReg(pc, c.key_port, c.key_index, c.key);
    WriteReg(pc, c.index_port, c.index, 0x5A);
    const uint8_t got = ReadReg(pc, c.index_port, c.index);
    EXPECT_EQ(got, c.expected) << c.what << ": read " << Hex(got);
  }
}

TEST(WdCard, Gr0FReadsItsKeyBitsWithBit7Set) {
  const uint8_t written[] = {0x00, 0x05, 0xFF, 0x68};
  const uint8_t expected[] = {0x80, 0x85, 0x97, 0x80};
  for (size_t i = 0; i < std::size(written); ++i) {
    VirtualPc pc(MakeCard("wd-90c00"));
    WriteReg(pc, 0x3CE, 0x0F, written[i]);
    EXPECT_EQ(ReadReg(pc, 0x3CE, 0x0F), expected[i]) << "written " << Hex(written[i]);
  }
}

struct ClockCase {
  const char* card;
  uint8_t gr0c;  // bit 1: clock select bit 2, inverted on the 90C30
  int misc_select;
  double hz;
};

TEST(WdCard, Gr0CBit1SelectsTheUpperClocksInEachChipsSense) {
  const ClockCase cases[] = {
      {"wd-90c00", 0x00, 1, 28'322'000}, {"wd-90c00", 0x02, 1, 44'900'000},
      {"wd-90c00", 0x02, 0, 40'000'000}, {"wd-90c00", 0x00, 2, 65'000'000},
      {"wd-90c30", 0x02, 1, 28'322'000}, {"wd-90c30", 0x00, 1, 44'900'000},
      {"wd-90c30", 0x00, 3, 80'000'000}, {"wd-90c30", 0x02, 3, 36'000'000},
  };
  for (const ClockCase& c : cases) {
    VirtualPc pc(MakeCard(c.card));
    ASSERT_TRUE(SetDesktopMode(pc.card(), 640, 480));
    WriteReg(pc, 0x3CE, 0x0F, 0x05);
    WriteReg(pc, 0x3CE, 0x0C, c.gr0c);
    pc.OutByte(0x3C2, static_cast<uint8_t>((pc.InByte(0x3CC) & ~0x0C) | (c.misc_select << 2)));
    EXPECT_DOUBLE_EQ(pc.card().signal().pixel_clock_hz, c.hz)
        << c.card << " GR0C " << Hex(c.gr0c) << " misc " << c.misc_select;
  }
}

TEST(WdCard, Cr2DBit5InterlacesOnceCr29IsOpen) {
  const uint8_t keys[] = {0x00, 0x85};
  for (uint8_t key : keys) {
    VirtualPc pc(MakeCard("wd-90c00"));
    ASSERT_TRUE(SetDesktopMode(pc.card(), 640, 480));
    WriteReg(pc, 0x3D4, 0x29, key);
    WriteReg(pc, 0x3D4, 0x2D, 0x20);
    const Signal& s = pc.card().signal();
    EXPECT_EQ(s.interlaced, key == 0x85) << "CR29 " << Hex(key);
    EXPECT_DOUBLE_EQ(s.lines_per_field, key == 0x85 ? 525.5 : 525.0) << "CR29 " << Hex(key);
  }
}

struct DriverCase {
  const char* card;
  uint16_t width, height;
  double hz;
};

TEST(WdCard, DriverPicksTheNearestClockAndClosesBothKeys) {
  const DriverCase cases[] = {
      {"wd-90c00", 640, 480, 25'175'000},
      {"wd-90c00", 800, 600, 40'000'000},
      {"wd-90c30", 800, 600, 40'000'000},
      {"wd-90c30", 1024, 768, 65'000'000},
  };
  for (const DriverCase& c : cases) {
    VirtualPc pc(MakeCard(c.card));
    ASSERT_TRUE(SetDesktopMode(pc.card(), c.width, c.height));
    EXPECT_DOUBLE_EQ(pc.card().signal().pixel_clock_hz, c.hz) << c.card << " " << c.width;
    EXPECT_EQ(ReadReg(pc, 0x3CE, 0x0F) & 0x07, 0x00) << c.card << " " << c.width;
    EXPECT_EQ(ReadReg(pc, 0x3D4, 0x29), 0x00) << c.card << " " << c.width;
    EXPECT_FALSE(pc.card().signal().interlaced);
  }
}

}  // namespace
}  // namespace zanvo::virt
