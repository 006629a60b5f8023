// PC timer channel 2 and port 0x61 as the scan-frequency readout drives them.

#include <gtest/gtest.h>

#include <random>

#include "virtual_test_util.h"

namespace zanvo::virt {
namespace {

constexpr uint64_t kUs = 1'000'000;  // picoseconds

std::unique_ptr<VirtualPc> Pc() {
  return std::make_unique<VirtualPc>(MakeCard("vga"));
}

// Gate on with the speaker off, then mode 0, low/high byte access, the given count.
void StartMode0(VirtualPc& pc, uint16_t count) {
  pc.OutByte(0x61, 0x01);
  pc.OutByte(0x43, 0xB0);
  pc.OutByte(0x42, static_cast<uint8_t>(count & 0xFF));
  pc.OutByte(0x42, static_cast<uint8_t>(count >> 8));
}

uint16_t ReadCount(VirtualPc& pc) {
  const uint8_t low = pc.InByte(0x42);
  const uint8_t high = pc.InByte(0x42);
  return static_cast<uint16_t>(low | (high << 8));
}

uint16_t LatchAndRead(VirtualPc& pc) {
  pc.OutByte(0x43, 0x80);
  return ReadCount(pc);
}

bool Out2(VirtualPc& pc) {
  return (pc.InByte(0x61) & 0x20) != 0;
}

struct CountCase {
  uint64_t wait_us;
  uint16_t expected;  // 65536 minus the 1 193 181.67 Hz ticks since the count was written
  bool out2;
};

TEST(Pit, Mode0CountsDownAt1193182HzAndRaisesOut2AtZero) {
  const CountCase cases[] = {
      {1000, 64343, false}, {10000, 53604, false}, {54000, 1104, false},
      {55000, 65447, true}, {100000, 11754, true},
  };
  for (const auto& c : cases) {
    auto pc = Pc();
    StartMode0(*pc, 0);  // 0 means 65536
    EXPECT_FALSE(Out2(*pc)) << c.wait_us;
    pc->Advance(c.wait_us * kUs - kUs);  // the Out2 read took one bus cycle
    const uint16_t count = LatchAndRead(*pc);
    EXPECT_NEAR(count, c.expected, 2) << "after " << c.wait_us << " us";
    EXPECT_EQ(Out2(*pc), c.out2) << "after " << c.wait_us << " us";
  }
}

TEST(Pit, LatchHoldsTheCountUntilRead) {
  auto pc = Pc();
  StartMode0(*pc, 0);
  pc->Advance(1000 * kUs - kUs);
  pc->OutByte(0x43, 0x80);
  pc->Advance(5000 * kUs);
  pc->OutByte(0x43, 0x80);  // ignored: the first latch was not read yet
  EXPECT_NEAR(ReadCount(*pc), 64343, 2);
  // The latch is spent: a new one sees the counter 6 ms in.
  EXPECT_NEAR(LatchAndRead(*pc), 65536 - 7163, 3);
  // The generic latch form (channel 2, access bits 00, any mode bits) latches as well.
  pc->Advance(4000 * kUs);
  pc->OutByte(0x43, 0x8E);
  pc->Advance(5000 * kUs);
  EXPECT_NEAR(ReadCount(*pc), 65536 - 11938, 3);
}

TEST(Pit, GateLowSuspendsCounting) {
  auto pc = Pc();
  StartMode0(*pc, 0);
  pc->Advance(10'000 * kUs);
  pc->OutByte(0x61, 0x00);  // gate off
  pc->Advance(20'000 * kUs);
  const uint16_t held = LatchAndRead(*pc);
  EXPECT_NEAR(held, 65536 - 11933, 3);
  pc->OutByte(0x61, 0x01);
  pc->Advance(10'000 * kUs);
  EXPECT_NEAR(LatchAndRead(*pc), 65536 - 2 * 11933, 4);
}

TEST(Pit, ReadBackLatchesCountAndStatus) {
  auto pc = Pc();
  StartMode0(*pc, 1000);
  pc->Advance(100 * kUs);
  pc->OutByte(0x43, 0xE8);            // status of counter 2
  EXPECT_EQ(pc->InByte(0x42), 0x30);  // OUT low, count loaded, low/high access, mode 0
  pc->OutByte(0x43, 0xD8);            // count of counter 2
  EXPECT_NEAR(ReadCount(*pc), 1000 - 120, 2);
  pc->Advance(1000 * kUs);
  pc->OutByte(0x43, 0xE8);
  EXPECT_EQ(pc->InByte(0x42), 0xB0);  // OUT high after the terminal count
}

TEST(Pit, LowByteOnlyAccess) {
  auto pc = Pc();
  pc->OutByte(0x61, 0x01);
  pc->OutByte(0x43, 0x90);  // channel 2, low byte only, mode 0
  pc->OutByte(0x42, 200);
  pc->Advance(50 * kUs);
  const uint8_t first = pc->InByte(0x42);
  const uint8_t second = pc->InByte(0x42);
  EXPECT_NEAR(first, 200 - 60, 2);
  EXPECT_NEAR(second, first - 1, 1);  // no high byte in between
}

TEST(Pit, OtherChannelsCommandsLeaveChannel2Alone) {
  auto pc = Pc();
  StartMode0(*pc, 0);
  for (uint8_t command : {0x34, 0x36, 0x74, 0x00, 0x40, 0xC2, 0xE4})
    pc->OutByte(0x43, command);
  pc->OutByte(0x40, 0x12);
  pc->OutByte(0x41, 0x34);
  EXPECT_EQ(pc->InByte(0x40), 0xFF);
  pc->Advance(10'000 * kUs - 10 * kUs);
  EXPECT_NEAR(LatchAndRead(*pc), 53604, 2);
}

TEST(Pit, Port61EchoesControlBitsWithRefreshAndOut2) {
  auto pc = Pc();
  pc->OutByte(0x61, 0xFC);  // bits 4-7 are not writable
  EXPECT_EQ(pc->InByte(0x61) & 0xCF, 0x0C);
  // Refresh toggles every 18 timer ticks (15.1 us): about 66 toggles per millisecond.
  int toggles = 0;
  bool last = (pc->InByte(0x61) & 0x10) != 0;
  for (int i = 0; i < 1000; ++i) {
    const bool now = (pc->InByte(0x61) & 0x10) != 0;
    if (now != last) ++toggles;
    last = now;
  }
  EXPECT_NEAR(toggles, 1000 / 15.085, 2);
}

TEST(Pit, Mode3SquareWaveDrivesOut2) {
  auto pc = Pc();
  pc->OutByte(0x61, 0x01);
  pc->OutByte(0x43, 0xB6);  // mode 3
  pc->OutByte(0x42, 0xA9);  // 1193: 1 kHz
  pc->OutByte(0x42, 0x04);
  int rises = 0, high = 0;
  bool last = Out2(*pc);
  for (int i = 0; i < 10'000; ++i) {
    const bool now = Out2(*pc);
    if (now) ++high;
    if (now && !last) ++rises;
    last = now;
  }
  EXPECT_NEAR(rises, 10, 1);
  EXPECT_NEAR(high, 5000, 50);
}

TEST(Pit, RandomTrafficKeepsPort61Consistent) {
  std::mt19937 rng(61);
  std::uniform_int_distribution<int> byte(0, 255);
  auto pc = Pc();
  uint8_t control = 0;
  for (int i = 0; i < 200'000; ++i) {
    switch (byte(rng) % 5) {
      case 0:
        pc->OutByte(0x43, static_cast<uint8_t>(byte(rng)));
        break;
      case 1:
        pc->OutByte(0x42, static_cast<uint8_t>(byte(rng)));
        break;
      case 2:
        control = static_cast<uint8_t>(byte(rng));
        pc->OutByte(0x61, control);
        break;
      case 3:
        pc->InByte(0x42);
        break;
      default:
        pc->Advance(static_cast<uint64_t>(byte(rng)) * 997 * kUs);
        break;
    }
    const uint8_t b = pc->InByte(0x61);
    ASSERT_EQ(b & 0x0F, control & 0x0F) << "step " << i;
    ASSERT_EQ(b & 0xC0, 0) << "step " << i;
  }
}

}  // namespace
}  // namespace zanvo::virt
