// Family-8 pixel clock and display FIFO, on the recording port's block I/O registers.

#include <gtest/gtest.h>

#include <string>

#include "engine/block_io_clock.h"
#include "engine/chip_codes.h"
#include "engine_fixture.h"

namespace zanvo::test {
namespace {

using namespace engine;
using Trace = std::vector<std::string>;

constexpr uint16_t kBase = 0xE800;
constexpr uint16_t kDepth = kBase + 0x1D;
constexpr uint16_t kDspConfig = kBase + 0x20;
constexpr uint16_t kDspOnOff = kBase + 0x24;
constexpr uint16_t kMemTiming = kBase + 0xB1;
constexpr uint16_t kMemTras = kBase + 0xB2;
constexpr uint16_t kMemType = kBase + 0xE4;

class BlockIoClockTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    Eng.ChipFamily = cfATI;
    Eng.ExtIoBase = kBase | 0x01;
    // Dividers for 28.322 MHz from a 14.32 MHz reference divided by 31.
    Eng.VclkPostDiv = 4;
    Eng.VclkFbDiv = 123;
  }
};

struct FifoCase {
  const char* name;
  uint8_t flags;
  uint16_t mem_clock;
  uint8_t depth_code;  // block 0x1D bits 0-2
  uint8_t mem_type;    // block 0xE4 bits 0-2
  uint8_t mem_timing;  // block 0xB1
  uint8_t mem_tras;    // block 0xB2
  uint8_t post_eff;
  uint32_t config;  // DSP_CONFIG, bit 15 of the old word kept
  uint32_t on_off;
};

// Pixel clock 2840 (28.40 MHz) without halving, 1420 with it.
constexpr FifoCase kFifoCases[] = {
    // 1135 scaled clocks, latency 6 + 2, precision 5; on 65, off 1098.
    {"halved_16bpp", 0x29, 6300, 4, 0, 0x00, 0x00, 8, 0x0058046F, (65u << 16) | 1098},
    // The same 1135 and 8 at precision 3; on 155, off 1092.
    {"full_32bpp", 0x21, 6300, 6, 0, 0x00, 0x00, 4, 0x0038046F, (155u << 16) | 1092},
    // Code 3 is 15 bpp, fetched as 16.
    {"halved_15bpp", 0x39, 6300, 3, 1, 0x00, 0x00, 8, 0x0058046F, (65u << 16) | 1098},
    // x = 2.11: the precision comes from the x*32 length, 2.
    {"x_below_4_p2", 0x00, 3000, 6, 0, 0x00, 0x00, 4, 0x00280439, 0x01110407},
    // x = 0.70: precision 0, the largest scale.
    {"x_below_1_p0", 0x00, 1000, 6, 0, 0x00, 0x00, 4, 0x000805A2, 0x03ED0535},
    // 4 bpp at the halved clock: x = 71, precision 7, scale one half.
    {"x_above_64_p7", 0x09, 6300, 1, 0, 0x00, 0x00, 8, 0x0078046F, (42u << 16) | 1099},
    // Wide memory: latency 8 + 2, R 1; timing fields trp 1, trcd 3, tcrd 1, tras 5 give r = 8.
    {"wide_memory_timings", 0x21, 6300, 4, 5, 0x1D, 0x05, 4, 0x004A046F, 0x008F0448},
};

TEST_F(BlockIoClockTest, FifoWordsForPixelClockAndDepth) {
  for (const FifoCase& c : kFifoCases) {
    SCOPED_TRACE(c.name);
    Eng.MemClock = c.mem_clock;
    port.plain(kDepth) = c.depth_code;
    port.plain(kMemType) = c.mem_type;
    port.plain(kMemTiming) = c.mem_timing;
    port.plain(kMemTras) = c.mem_tras;
    port.PutWord(kDspConfig, 0x8000);  // bit 15 belongs to the driver
    port.PutWord(kDspConfig + 2, 0xFFFF);

    ProgramBlockIoClock(c.flags);

    EXPECT_EQ(Eng.VclkPostDivEff, c.post_eff);
    EXPECT_EQ(Eng.PllFactor, 2);
    EXPECT_EQ(Hex(port.GetDword(kDspConfig)), Hex(c.config | 0x8000u));
    EXPECT_EQ(Hex(port.GetDword(kDspOnOff)), Hex(c.on_off));
  }
}

// A depth of 0 bits has no transfer rate: the driver's FIFO words stay.
TEST_F(BlockIoClockTest, ZeroBitDepthLeavesFifoWords) {
  for (const uint8_t code : {uint8_t{0}, uint8_t{7}, uint8_t{0xF8}}) {
    SCOPED_TRACE(Hex(code));
    port.plain(kDepth) = code;
    port.PutDword(kDspConfig, 0x12345678);
    port.PutDword(kDspOnOff, 0x9ABCDEF0);
    port.ClearLog();

    ProgramBlockIoClock(0x29);

    EXPECT_EQ(Hex(port.GetDword(kDspConfig)), Hex(0x12345678));
    EXPECT_EQ(Hex(port.GetDword(kDspOnOff)), Hex(0x9ABCDEF0));
    for (const uint16_t fifo_port : {kDspConfig, uint16_t(kDspConfig + 2), kDspOnOff})
      EXPECT_EQ(port.CountWrites(fifo_port), 0u) << Hex(fifo_port);
  }
}

// No dividers from the ROM yet (both 0): no pixel clock, nothing divided by zero.
TEST_F(BlockIoClockTest, MissingDividersLeaveFifoWords) {
  Eng.VclkPostDiv = 0;
  Eng.VclkFbDiv = 0;
  port.plain(kDepth) = 4;
  port.PutDword(kDspOnOff, 0x00400040);
  ProgramBlockIoClock(0x00);
  EXPECT_EQ(Hex(port.GetDword(kDspOnOff)), Hex(0x00400040));
  EXPECT_EQ(Eng.VclkPostDivEff, 0);
}

struct PllCase {
  const char* name;
  uint8_t flags;
  uint8_t post_div;
  uint8_t pll_read;  // what the first PLL data read returns
  // The recording port's data byte reads back the last write, so each read-modify-write
  // starts from the one before: register 5, register 6 (bits 6-7 post divider code), register 11.
  uint8_t reg5, reg6, reg11;
};

constexpr PllCase kPllCases[] = {
    {"post4", 0x21, 4, 0x00, 0x07, 0x87, 0x07},
    {"post4_halved", 0x29, 4, 0x00, 0x07, 0xC7, 0x47},
    {"post2_keeps_low_bits", 0x00, 2, 0xFF, 0xFF, 0x7F, 0x7F},
    {"post1_halved", 0x39, 1, 0xC5, 0xC7, 0x47, 0x47},
    {"post1", 0x00, 1, 0xC5, 0xC7, 0x07, 0x07},
};

std::string DataWrite(unsigned value) {
  char line[24];
  std::snprintf(line, sizeof line, "w8 E892 %02X", value & 0xFF);
  return line;
}

// The PLL sequence: VCLK control, post divider, extended post bit, feedback divider, reset
// released, external PLL off, clock 3 selected, and the sequencer running again at the end.
TEST_F(BlockIoClockTest, PllRegisterSequence) {
  Eng.VclkFbDiv = 0x7F;  // bit 2 set, so that the reset release shows
  for (const PllCase& c : kPllCases) {
    SCOPED_TRACE(c.name);
    Eng.VclkPostDiv = c.post_div;
    port.plain(kDepth) = 0;
    port.plain(kBase + 0x92) = c.pll_read;
    port.ClearLog();

    ProgramBlockIoClock(c.flags);

    const Trace want = {
        "w8 E891 16",       DataWrite(c.reg5), "w8 E891 1A",    DataWrite(c.reg6), "w8 E891 2E",
        DataWrite(c.reg11), "w8 E891 2A",      DataWrite(0x7F), "w8 E891 16",      DataWrite(0x7B),
        "w8 E891 66",       DataWrite(0x70),   "w8 E890 03",    "w16 3C4 0300",
    };
    EXPECT_EQ(port.WriteTrace(), want);
  }
}

}  // namespace
}  // namespace zanvo::test
