// The Trident cards at the port level: the old/new register sets behind SR0B, the protection
// of CR29, CR38 and the clock ports, the bits the detection probes look at, the clocks,
// interlace and the offset extension.

#include <gtest/gtest.h>

#include <string>

#include "platform/virtual/cards/trident_card.h"
#include "virtual_test_util.h"

namespace zanvo::virt::testing {
namespace {

constexpr uint16_t kSeq = 0x3C4;
constexpr uint16_t kCrtc = 0x3D4;

std::unique_ptr<VirtualPc> TridentPc(const char* card) {
  auto pc = std::make_unique<VirtualPc>(MakeCard(card));
  EXPECT_TRUE(SetDesktopMode(pc->card(), 640, 480));
  return pc;
}

bool BitsWritable(PortIo& io, uint16_t index_port, uint8_t index, uint8_t mask) {
  const uint8_t old = ReadReg(io, index_port, index);
  WriteReg(io, index_port, index, static_cast<uint8_t>(old & ~mask));
  const uint8_t r0 = ReadReg(io, index_port, index);
  WriteReg(io, index_port, index, static_cast<uint8_t>(old | mask));
  const uint8_t r1 = ReadReg(io, index_port, index);
  WriteReg(io, index_port, index, old);
  return (r0 & mask) == 0 && (r1 & mask) == mask;
}

// Selects the new register set (reads SR0B) and returns the version.
uint8_t NewMode(PortIo& io) {
  return ReadReg(io, kSeq, 0x0B);
}

void OldMode(PortIo& io) {
  WriteReg(io, kSeq, 0x0B, 0x00);
}

// The detection probes: the new-set test writes 0 to SR0E and wants 2 back in the low nibble;
// the old-set test wants version 1 and SR0E bits 1-2 read/write.
TEST(TridentCard, ProbeBits) {
  struct Case {
    const char* card;
    uint8_t version;
    uint8_t sr0e_after_zero;  // low nibble
    bool sr0e_bits_1_2;       // read/write as the old-set test wants (new SR0E inverts bit 1)
  };
  const Case cases[] = {
      {"trident-9000i", 0x43, 0x02, false},
      {"trident-blade3d", 0xF3, 0x02, false},
      {"trident-8800br", 0x01, 0x00, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.card);
    auto pc = TridentPc(c.card);
    OldMode(*pc);
    EXPECT_EQ(Hex(NewMode(*pc)), Hex(c.version));
    const uint8_t original = ReadReg(*pc, kSeq, 0x0E);
    WriteReg(*pc, kSeq, 0x0E, 0x00);
    EXPECT_EQ(Hex(ReadReg(*pc, kSeq, 0x0E) & 0x0F), Hex(c.sr0e_after_zero));
    WriteReg(*pc, kSeq, 0x0E, static_cast<uint8_t>(original ^ c.sr0e_after_zero));
    EXPECT_EQ(Hex(ReadReg(*pc, kSeq, 0x0E)), Hex(original));  // the probe restores it so
    EXPECT_EQ(BitsWritable(*pc, kSeq, 0x0E, 0x06), c.sr0e_bits_1_2);
    EXPECT_FALSE(BitsWritable(*pc, 0x3DE, 0x0D, 0x38));  // not Oak
    pc->OutByte(0x3CD, 0x00);
    EXPECT_EQ(Hex(pc->InByte(0x3CD)), Hex(0xFF));  // no Tseng segment register
  }
}

// Old and new SR0D/SR0E are separate registers; new SR0E stores bit 1 inverted.
TEST(TridentCard, RegisterSets) {
  auto pc = TridentPc("trident-9000i");
  OldMode(*pc);
  WriteReg(*pc, kSeq, 0x0E, 0x10);
  WriteReg(*pc, kSeq, 0x0D, 0x05);
  NewMode(*pc);
  WriteReg(*pc, kSeq, 0x0E, 0x81);
  WriteReg(*pc, kSeq, 0x0D, 0x40);
  EXPECT_EQ(Hex(ReadReg(*pc, kSeq, 0x0E)), Hex(0x83));
  EXPECT_EQ(Hex(ReadReg(*pc, kSeq, 0x0D)), Hex(0x40));
  OldMode(*pc);
  EXPECT_EQ(Hex(ReadReg(*pc, kSeq, 0x0E)), Hex(0x10));
  EXPECT_EQ(Hex(ReadReg(*pc, kSeq, 0x0D)), Hex(0x05));
}

TEST(TridentCard, ProtectionOfCr29Cr38AndClockPorts) {
  struct Case {
    const char* card;
    uint8_t sr0e;  // written in new mode
    uint8_t sr11;
    uint8_t cr29, cr38;  // read back after writing 0xFF
    uint8_t vclk_high;   // 0x43C9 after writing 0x12
  };
  const Case cases[] = {
      {"trident-9000i", 0x00, 0x00, 0x00, 0x00, 0xFF},
      {"trident-9000i", 0x80, 0x00, 0x13, 0x00, 0xFF},
      {"trident-blade3d", 0x80, 0x00, 0x00, 0x00, 0x00},
      {"trident-blade3d", 0x00, 0x92, 0x00, 0x00, 0x00},
      {"trident-blade3d", 0x80, 0x92, 0x33, 0xFF, 0x12},
      {"trident-8800br", 0x80, 0x00, 0x00, 0x00, 0xFF},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.card) + " SR0E " + Hex(c.sr0e) + " SR11 " + Hex(c.sr11));
    auto pc = TridentPc(c.card);
    WriteReg(*pc, kSeq, 0x11, c.sr11);
    NewMode(*pc);
    WriteReg(*pc, kSeq, 0x0E, c.sr0e);
    WriteReg(*pc, kCrtc, 0x29, 0xFF);
    WriteReg(*pc, kCrtc, 0x38, 0xFF);
    pc->OutByte(0x43C9, 0x12);
    EXPECT_EQ(Hex(ReadReg(*pc, kCrtc, 0x29)), Hex(c.cr29));
    EXPECT_EQ(Hex(ReadReg(*pc, kCrtc, 0x38)), Hex(c.cr38));
    EXPECT_EQ(Hex(pc->InByte(0x43C9)), Hex(c.vclk_high));
  }
}

TEST(TridentCard, ClockSynthesis) {
  struct Case {
    const char* card;
    uint8_t misc_select, sr0d, gr0f;
    uint16_t vclk;
    double mhz;  // pixel clock after the dividers
  };
  const Case cases[] = {
      {"trident-9000i", 1, 0x00, 0x00, 0, 28.322},
      {"trident-9000i", 2, 0x00, 0x00, 0, 44.900},
      {"trident-9000i", 1, 0x01, 0x00, 0, 65.000},   // CS2
      {"trident-9000i", 3, 0x41, 0x00, 0, 75.000},   // CS2 and CS3
      {"trident-9000i", 1, 0x02, 0x00, 0, 14.161},   // divider /2
      {"trident-9000i", 1, 0x04, 0x00, 0, 7.0805},   // /4
      {"trident-9000i", 0, 0x06, 0x00, 0, 16.7833},  // /1.5
      {"trident-9000i", 1, 0x00, 0x08, 0, 28.322},   // GR0F bit 3 does not halve here
      {"trident-8800br", 3, 0x00, 0x00, 0, 36.000},
      // The depth words of the engine: 2, 3 and 4 times 28.3 MHz, or half with bit 12.
      {"trident-blade3d", 2, 0x00, 0x00, 0x0AD3, 14.31818 * 91 / 23},
      {"trident-blade3d", 2, 0x00, 0x00, 0x0757, 14.31818 * 95 / 16},
      {"trident-blade3d", 3, 0x00, 0x00, 0x04CF, 14.31818 * 87 / 11},
      {"trident-blade3d", 2, 0x00, 0x00, 0x1AD3, 14.31818 * 91 / 46},
      {"trident-blade3d", 1, 0x00, 0x08, 0x0AD3, 14.161},  // GR0F bit 3 halves
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.card) + " select " + std::to_string(c.misc_select) + " SR0D " +
                 Hex(c.sr0d) + " word " + Hex(c.vclk));
    auto pc = TridentPc(c.card);
    WriteReg(*pc, kSeq, 0x11, 0x92);
    NewMode(*pc);
    WriteReg(*pc, kSeq, 0x0E, 0x80);
    pc->OutByte(0x43C8, static_cast<uint8_t>(c.vclk & 0xFF));
    pc->OutByte(0x43C9, static_cast<uint8_t>(c.vclk >> 8));
    WriteReg(*pc, kSeq, 0x0D, c.sr0d);
    WriteReg(*pc, 0x3CE, 0x0F, c.gr0f);
    const uint8_t misc = pc->InByte(0x3CC);
    pc->OutByte(0x3C2, static_cast<uint8_t>((misc & 0xF3) | c.misc_select << 2));
    EXPECT_NEAR(pc->card().signal().pixel_clock_hz / 1e6, c.mhz, 0.0005);
  }
}

// CR1E bit 2 interlaces with field-line values; CR29 bits 4-5 extend the offset.
TEST(TridentCard, InterlaceAndOffset) {
  struct Case {
    const char* card;
    uint8_t cr1e, cr29;
    bool interlaced;
    double lines_per_field;
    int offset;
  };
  const Case cases[] = {
      {"trident-9000i", 0x84, 0x00, true, 525.5, 80},
      {"trident-8800br", 0x84, 0x00, true, 525.5, 80},
      {"trident-9000i", 0x80, 0x30, false, 525.0, 80 + 256},
      {"trident-blade3d", 0x80, 0x30, false, 525.0, 80 + 256 + 512},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.card) + " CR1E " + Hex(c.cr1e) + " CR29 " + Hex(c.cr29));
    auto pc = TridentPc(c.card);
    WriteReg(*pc, kSeq, 0x11, 0x92);
    NewMode(*pc);
    WriteReg(*pc, kSeq, 0x0E, 0x80);
    WriteReg(*pc, kCrtc, 0x1E, c.cr1e);
    WriteReg(*pc, kCrtc, 0x29, c.cr29);
    const Signal& s = pc->card().signal();
    EXPECT_EQ(s.interlaced, c.interlaced);
    EXPECT_DOUBLE_EQ(s.lines_per_field, c.lines_per_field);
    EXPECT_EQ(s.crtc.offset, c.offset);
  }
}

// The driver's modes as the card reads them back: CR38 names the depth (bit 5 tells 24 from
// 32 bits), the DAC takes a pixel a dot, so the clock and the horizontal counts stay those of
// the size at 8 bits; at 32 bits GR0F bit 3 halves a VCLK loaded at twice the rate. CR29 is left
// protected.
TEST(TridentCard, DriverModes) {
  struct Case {
    const char* card;
    uint32_t kib;
    uint16_t width, height;
    uint8_t bits;
    double mhz;  // the dot clock after the dividers: the 8-bit mode's clock
    uint8_t cr38, gr0f_bit3;
    int clocks_per_pixel, display_chars;
  };
  const Case cases[] = {
      {"trident-blade3d", 8192, 640, 480, 8, 25.175, 0x00, 0x00, 1, 80},
      {"trident-blade3d", 8192, 640, 480, 16, 25.175, 0x05, 0x00, 1, 80},
      {"trident-blade3d", 8192, 800, 600, 16, 39.375, 0x05, 0x00, 1, 100},
      {"trident-blade3d", 8192, 1024, 768, 16, 64.432, 0x05, 0x00, 1, 128},
      {"trident-blade3d", 4096, 640, 480, 24, 25.175, 0x29, 0x00, 1, 80},
      {"trident-blade3d", 4096, 1024, 768, 24, 64.432, 0x29, 0x00, 1, 128},
      {"trident-blade3d", 8192, 800, 600, 32, 39.375, 0x09, 0x08, 1, 100},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.card) + " " + std::to_string(c.width) + "x" +
                 std::to_string(c.height) + "x" + std::to_string(c.bits));
    VirtualPc pc(MakeCard(c.card));
    ASSERT_TRUE(pc.card().SetMemoryKib(c.kib));
    ASSERT_TRUE(SetDesktopMode(pc.card(), DesktopMode{c.width, c.height, c.bits}));
    const Signal& s = pc.card().signal();
    EXPECT_NEAR(s.pixel_clock_hz / 1e6, c.mhz, 0.001);
    EXPECT_EQ(s.crtc.bits_per_pixel, c.bits);
    EXPECT_EQ(s.crtc.clocks_per_pixel, c.clocks_per_pixel);
    EXPECT_EQ(s.display_chars, c.display_chars);
    EXPECT_TRUE(s.contradictions.empty());
    EXPECT_EQ(Hex(ReadReg(pc, kCrtc, 0x38)), Hex(c.cr38));
    EXPECT_EQ(Hex(ReadReg(pc, 0x3CE, 0x0F) & 0x08), Hex(c.gr0f_bit3));
    EXPECT_FALSE(BitsWritable(pc, kCrtc, 0x29, 0x10));
  }
}

// CR38 written by hand reads back as the chip reads it: bits 3-2 the depth class, bit 5 the
// packed 24-bit pixel.
TEST(TridentCard, Cr38DepthReadsBack) {
  struct Case {
    uint8_t cr38;
    int bits;
  };
  const Case cases[] = {{0x00, 8},  {0x04, 16}, {0x05, 16}, {0x28, 24},
                        {0x29, 24}, {0x08, 32}, {0x09, 32}};
  for (const Case& c : cases) {
    SCOPED_TRACE("CR38 " + Hex(c.cr38));
    auto pc = TridentPc("trident-blade3d");
    WriteReg(*pc, kSeq, 0x11, 0x92);
    NewMode(*pc);
    WriteReg(*pc, kSeq, 0x0E, 0x80);
    WriteReg(*pc, kCrtc, 0x38, c.cr38);
    EXPECT_EQ(pc->card().signal().crtc.bits_per_pixel, c.bits);
    EXPECT_EQ(pc->card().signal().crtc.clocks_per_pixel, 1);
  }
}

}  // namespace
}  // namespace zanvo::virt::testing
