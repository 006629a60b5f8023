// The Oak OTI-077 and OTI-087 cards: clock synthesis, interlace and overflow bits, and the modes
// the driver sets.

#include <gtest/gtest.h>

#include "platform/virtual/cards/oak_card.h"
#include "virtual_test_util.h"

namespace zanvo::virt {
namespace {

using testing::Hex;

void SelectMiscClock(PortIo& io, int select) {
  io.OutByte(0x3C2, static_cast<uint8_t>((io.InByte(0x3CC) & ~0x0C) | (select << 2)));
}

void WriteOak(PortIo& io, uint8_t index, uint8_t value) {
  io.OutByte(kPortOakIndex, index);
  io.OutByte(kPortOakData, value);
}

uint8_t ReadOak(PortIo& io, uint8_t index) {
  io.OutByte(kPortOakIndex, index);
  return io.InByte(kPortOakData);
}

struct ClockCase {
  const char* card;
  int misc_select;
  bool select2;  // 0x0D bit 5
  double hz;
};

TEST(OakCard, MiscSelectAndRegister0DBit5PickOneOfEightClocks) {
  const ClockCase cases[] = {
      {"oak-oti077", 0, false, 25'175'000}, {"oak-oti077", 1, false, 28'322'000},
      {"oak-oti077", 2, false, 65'000'000}, {"oak-oti077", 3, false, 44'900'000},
      {"oak-oti077", 0, true, 28'322'000},  {"oak-oti077", 1, true, 36'000'000},
      {"oak-oti077", 2, true, 40'000'000},  {"oak-oti077", 3, true, 36'000'000},
      {"oak-oti087", 0, true, 28'322'000},  {"oak-oti087", 2, true, 40'000'000},
  };
  for (const ClockCase& c : cases) {
    VirtualPc pc(MakeCard(c.card));
    ASSERT_TRUE(SetDesktopMode(pc.card(), 640, 480));  // SR01: 8 dots, no halving
    SelectMiscClock(pc, c.misc_select);
    WriteOak(pc, 0x0D, static_cast<uint8_t>((ReadOak(pc, 0x0D) & ~0x20) | (c.select2 ? 0x20 : 0)));
    EXPECT_DOUBLE_EQ(pc.card().signal().pixel_clock_hz, c.hz)
        << c.card << " misc " << c.misc_select << " 0x0D bit 5 " << c.select2;
  }
}

struct OverflowCase {
  const char* card;
  uint8_t reg14;
  bool interlaced;
  double lines_per_field;  // 640x480: 525 lines
  int display_lines;
};

TEST(OakCard, Register14InterlacesAndCarriesVerticalBit10) {
  const OverflowCase cases[] = {
      {"oak-oti077", 0x00, false, 525.0, 480},
      {"oak-oti077", 0x80, true, 525.5, 480},  // field-sized values plus the half line
      {"oak-oti087", 0x80, true, 525.5, 480},
      {"oak-oti077", 0x01, false, 1549.0, 480},   // vertical total bit 10
      {"oak-oti077", 0x03, false, 1549.0, 1504},  // and display end bit 10
  };
  for (const OverflowCase& c : cases) {
    VirtualPc pc(MakeCard(c.card));
    ASSERT_TRUE(SetDesktopMode(pc.card(), 640, 480));
    WriteOak(pc, 0x14, c.reg14);
    const Signal& s = pc.card().signal();
    EXPECT_EQ(s.interlaced, c.interlaced) << c.card << " 0x14 " << Hex(c.reg14);
    EXPECT_DOUBLE_EQ(s.lines_per_field, c.lines_per_field) << c.card << " 0x14 " << Hex(c.reg14);
    EXPECT_EQ(s.display_lines_per_field, c.display_lines) << c.card << " 0x14 " << Hex(c.reg14);
  }
}

struct DriverCase {
  const char* card;
  uint16_t width, height;
  double hz;
  uint8_t reg0d_bit5;
};

TEST(OakCard, DriverPicksTheNearestOfEightClocksAndLeavesAProgressiveMode) {
  const DriverCase cases[] = {
      {"oak-oti077", 640, 480, 25'175'000, 0x00},
      {"oak-oti077", 800, 600, 40'000'000, 0x20},
      {"oak-oti077", 1024, 768, 65'000'000, 0x00},
      {"oak-oti087", 800, 600, 40'000'000, 0x20},
  };
  for (const DriverCase& c : cases) {
    VirtualPc pc(MakeCard(c.card));
    WriteOak(pc, 0x14, 0x80);  // left over from an interlaced TV mode
    ASSERT_TRUE(SetDesktopMode(pc.card(), c.width, c.height));
    const Signal& s = pc.card().signal();
    EXPECT_DOUBLE_EQ(s.pixel_clock_hz, c.hz) << c.card << " " << c.width << "x" << c.height;
    EXPECT_EQ(ReadOak(pc, 0x0D) & 0x20, c.reg0d_bit5) << c.card << " " << c.width;
    EXPECT_EQ(ReadOak(pc, 0x14), 0x00) << c.card << " " << c.width;
    EXPECT_FALSE(s.interlaced);
  }
}

}  // namespace
}  // namespace zanvo::virt
