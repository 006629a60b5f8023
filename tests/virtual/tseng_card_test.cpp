// The Tseng cards at the port level: the KEY and what it guards, the bits the detection probes
// look at, the clock the registers select, interlace and the offset extension.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/virtual/cards/tseng_card.h"
#include "virtual_test_util.h"

namespace zanvo::virt::testing {
namespace {

constexpr uint16_t kSeq = 0x3C4;
constexpr uint16_t kCrtc = 0x3D4;

std::unique_ptr<VirtualPc> TsengPc(const char* card) {
  auto pc = std::make_unique<VirtualPc>(MakeCard(card));
  EXPECT_TRUE(SetDesktopMode(pc->card(), 640, 480));
  return pc;
}

void OpenKey(PortIo& io) {
  io.OutByte(0x3BF, 0x03);
  io.OutByte(0x3D8, 0xA0);
}

// Write the mask's bits clear, then set, and restore; true when both read back.
bool BitsWritable(PortIo& io, uint16_t index_port, uint8_t index, uint8_t mask) {
  const uint8_t old = ReadReg(io, index_port, index);
  WriteReg(io, index_port, index, static_cast<uint8_t>(old & ~mask));
  const uint8_t r0 = ReadReg(io, index_port, index);
  WriteReg(io, index_port, index, static_cast<uint8_t>(old | mask));
  const uint8_t r1 = ReadReg(io, index_port, index);
  WriteReg(io, index_port, index, old);
  return (r0 & mask) == 0 && (r1 & mask) == mask;
}

TEST(TsengCard, KeyGuardsTheExtendedRegisters) {
  struct Case {
    const char* card;
    const char* what;
    std::function<void(PortIo&)> key;  // what happens at the key ports first
    uint16_t port;
    uint8_t index, value, read;
  };
  const auto none = [](PortIo&) {};
  const Case cases[] = {
      {"tseng-et4000", "locked CR31", none, kCrtc, 0x31, 0x40, 0xFF},
      {"tseng-et4000", "open CR31", OpenKey, kCrtc, 0x31, 0x40, 0x40},
      {"tseng-et4000", "locked SR07", none, kSeq, 0x07, 0x41, 0xFF},
      {"tseng-et4000", "open SR07", OpenKey, kSeq, 0x07, 0x41, 0x41},
      {"tseng-et4000", "locked CR3F", none, kCrtc, 0x3F, 0x80, 0xFF},
      {"tseng-et4000", "CR33 low nibble without the KEY", none, kCrtc, 0x33, 0xFF, 0x0F},
      {"tseng-et4000", "CR35 without the KEY", [](PortIo& io) { Unprotect(io); }, kCrtc, 0x35, 0x8F,
       0x8F},
      {"tseng-et3000", "no CR33", OpenKey, kCrtc, 0x33, 0x05, 0xFF},
      {"tseng-et3000", "CR25 without the KEY", none, kCrtc, 0x25, 0x80, 0x80},
      {"tseng-et3000", "locked zoom CR1F", none, kCrtc, 0x1F, 0x12, 0xFF},
      {"tseng-et3000", "open zoom CR1F", OpenKey, kCrtc, 0x1F, 0x12, 0x12},
      {"tseng-et4000", "second half alone", [](PortIo& io) { io.OutByte(0x3D8, 0xA0); }, kCrtc,
       0x31, 0x40, 0xFF},
      {"tseng-et4000", "second half at the mono port",
       [](PortIo& io) {
         io.OutByte(0x3BF, 0x03);
         io.OutByte(0x3B8, 0xA0);
       },
       kCrtc, 0x31, 0x40, 0xFF},
      {"tseng-et4000", "opened and closed again",
       [](PortIo& io) {
         OpenKey(io);
         io.OutByte(0x3D8, 0x29);
         io.OutByte(0x3BF, 0x01);
       },
       kCrtc, 0x31, 0x40, 0xFF},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.card) + ": " + c.what);
    auto pc = TsengPc(c.card);
    c.key(*pc);
    WriteReg(*pc, c.port, c.index, c.value);
    EXPECT_EQ(Hex(ReadReg(*pc, c.port, c.index)), Hex(c.read));
  }
}

// With monochrome addressing the second half of the KEY goes to 0x3B8.
TEST(TsengCard, KeyFollowsTheAddressing) {
  auto pc = TsengPc("tseng-et4000");
  pc->OutByte(0x3C2, static_cast<uint8_t>(pc->InByte(0x3CC) & 0xFE));
  pc->OutByte(0x3BF, 0x03);
  pc->OutByte(0x3B8, 0xA0);
  WriteReg(*pc, 0x3B4, 0x31, 0x40);
  EXPECT_EQ(Hex(ReadReg(*pc, 0x3B4, 0x31)), Hex(0x40));
}

// CR11 bit 7 leaves only line compare bit 10 and interlace writable in CR35.
TEST(TsengCard, Cr35UnderCrtcProtection) {
  auto pc = TsengPc("tseng-et4000");
  WriteReg(*pc, kCrtc, 0x11, static_cast<uint8_t>(ReadReg(*pc, kCrtc, 0x11) | 0x80));
  WriteReg(*pc, kCrtc, 0x35, 0xFF);
  EXPECT_EQ(Hex(ReadReg(*pc, kCrtc, 0x35)), Hex(0x90));
}

// The bits the detection chain tests, after the Tseng probe's own KEY writes.
TEST(TsengCard, ProbeBits) {
  struct Case {
    const char* card;
    bool cr33_nibble;  // tells the ET4000 from the ET3000
  };
  for (const Case& c : {Case{"tseng-et3000", false}, Case{"tseng-et4000", true}}) {
    SCOPED_TRACE(c.card);
    auto pc = TsengPc(c.card);
    // Oak, Trident, Cirrus and Realtek registers do not answer.
    EXPECT_FALSE(BitsWritable(*pc, 0x3DE, 0x0D, 0x38));
    WriteReg(*pc, kSeq, 0x0B, 0x00);
    EXPECT_EQ(Hex(ReadReg(*pc, kSeq, 0x0B)), Hex(0xFF));
    WriteReg(*pc, kSeq, 0x0E, 0x00);
    EXPECT_NE(ReadReg(*pc, kSeq, 0x0E) & 0x0F, 0x02);
    EXPECT_FALSE(BitsWritable(*pc, 0x3CE, 0x09, 0x7F));
    OpenKey(*pc);
    WriteReg(*pc, kSeq, 0x06, 0x00);
    EXPECT_NE(ReadReg(*pc, kSeq, 0x06), 0x0F);  // not Cirrus
    const uint8_t segment = pc->InByte(0x3CD);
    pc->OutByte(0x3CD, 0x00);
    const uint8_t r0 = pc->InByte(0x3CD);
    pc->OutByte(0x3CD, 0x3F);
    const uint8_t r1 = pc->InByte(0x3CD);
    pc->OutByte(0x3CD, segment);
    EXPECT_EQ(Hex(r0 & 0x3F), Hex(0x00));
    EXPECT_EQ(Hex(r1 & 0x3F), Hex(0x3F));
    EXPECT_EQ(BitsWritable(*pc, kCrtc, 0x33, 0x0F), c.cr33_nibble);
    pc->OutByte(0x3D6, 0x00);
    EXPECT_EQ(Hex(pc->InByte(0x3D6)), Hex(0xFF));  // no Realtek extension port
  }
}

TEST(TsengCard, ClockSynthesis) {
  struct Case {
    const char* card;
    uint8_t misc_select, cr34, cr31, cr24, sr07;
    double mhz;  // pixel clock after SR07
  };
  const Case cases[] = {
      {"tseng-et4000", 0, 0x00, 0x00, 0x00, 0x00, 25.175},
      {"tseng-et4000", 1, 0x00, 0x00, 0x00, 0x00, 28.322},
      {"tseng-et4000", 1, 0x02, 0x00, 0x00, 0x00, 44.700},
      {"tseng-et4000", 2, 0x00, 0x40, 0x00, 0x00, 64.900},
      {"tseng-et4000", 3, 0x02, 0x40, 0x00, 0x00, 74.800},
      {"tseng-et4000", 1, 0x00, 0x80, 0x00, 0x00, 28.322},  // no bit 4 on 16-clock boards
      {"tseng-et4000", 1, 0x00, 0x00, 0x00, 0x40, 14.161},
      {"tseng-et4000", 1, 0x00, 0x00, 0x00, 0x41, 7.0805},
      {"tseng-et4000", 1, 0x00, 0x00, 0x00, 0x01, 28.322},
      {"tseng-et3000", 2, 0x00, 0x00, 0x02, 0x00, 31.400},
      {"tseng-et3000", 1, 0x00, 0x00, 0x02, 0x00, 44.700},
      {"tseng-et3000", 1, 0x00, 0x00, 0x00, 0x40, 14.161},
      {"tseng-et3000", 1, 0x00, 0x00, 0x00, 0xE8, 14.161},  // the interlaced 1024x768 BIOS mode
      {"tseng-et3000", 1, 0x00, 0x00, 0x00, 0xA8, 28.322},  // the other BIOS modes
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.card) + " select " + std::to_string(c.misc_select) + " SR07 " +
                 Hex(c.sr07));
    auto pc = TsengPc(c.card);
    OpenKey(*pc);
    const uint8_t misc = pc->InByte(0x3CC);
    pc->OutByte(0x3C2, static_cast<uint8_t>((misc & 0xF3) | c.misc_select << 2));
    if (std::string(c.card) == "tseng-et4000") {
      WriteReg(*pc, kCrtc, 0x34, c.cr34);
      WriteReg(*pc, kCrtc, 0x31, c.cr31);
    } else {
      WriteReg(*pc, kCrtc, 0x24, c.cr24);
    }
    WriteReg(*pc, kSeq, 0x07, c.sr07);
    EXPECT_NEAR(pc->card().signal().pixel_clock_hz / 1e6, c.mhz, 0.0005);
  }
}

// ET4000 interlace keeps frame-line values (525 written, 262.5 per field); the ET3000 counts
// field lines (525 written, 525.5 per field). CR3F bit 7 is offset bit 8.
TEST(TsengCard, InterlaceAndOffset) {
  struct Case {
    const char* card;
    uint8_t index, value;
    bool interlaced;
    double lines_per_field;
    int offset;
  };
  const Case cases[] = {
      {"tseng-et4000", 0x35, 0x80, true, 262.5, 80},
      {"tseng-et3000", 0x25, 0x80, true, 525.5, 80},
      {"tseng-et4000", 0x3F, 0x80, false, 525.0, 80 + 256},
      {"tseng-et3000", 0x3F, 0x80, false, 525.0, 80},  // no CR3F
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.card) + " CR" + Hex(c.index));
    auto pc = TsengPc(c.card);
    OpenKey(*pc);
    WriteReg(*pc, kCrtc, c.index, c.value);
    const Signal& s = pc->card().signal();
    EXPECT_EQ(s.interlaced, c.interlaced);
    EXPECT_DOUBLE_EQ(s.lines_per_field, c.lines_per_field);
    EXPECT_EQ(s.crtc.offset, c.offset);
  }
}

// The driver leaves the KEY closed, the clock extension bits for its mode and SR07 undivided.
TEST(TsengCard, DriverModes) {
  struct Case {
    const char* card;
    uint16_t width, height;
    double mhz;
  };
  const Case cases[] = {
      {"tseng-et4000", 640, 480, 25.175}, {"tseng-et4000", 1024, 768, 64.9},
      {"tseng-et3000", 640, 480, 25.175}, {"tseng-et3000", 800, 600, 39.9},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.card) + " " + std::to_string(c.width));
    VirtualPc pc(MakeCard(c.card));
    ASSERT_TRUE(SetDesktopMode(pc.card(), c.width, c.height));
    EXPECT_NEAR(pc.card().signal().pixel_clock_hz / 1e6, c.mhz, 0.0005);
    EXPECT_TRUE(pc.card().signal().contradictions.empty());
    EXPECT_EQ(Hex(ReadReg(pc, kSeq, 0x07)), Hex(0xFF));  // KEY closed
  }
}

}  // namespace
}  // namespace zanvo::virt::testing
