// Intel i740: the XR register pair, the extended CRTC taking over the vertical high bits,
// VCLK2, interlace and how the card shows itself.

#include <gtest/gtest.h>

#include "platform/virtual/cards/intel_i740_card.h"
#include "virtual_test_util.h"

namespace zanvo::virt::testing {
namespace {

constexpr uint16_t kCrtc = 0x3D4;
constexpr uint16_t kXr = 0x3D6;

const IntelI740Card& I740(VirtualPc& pc) {
  return static_cast<const IntelI740Card&>(pc.card());
}

TEST(IntelI740Card, ShowsItselfOnPciAndKeepsXrRegisters) {
  VirtualPc pc(MakeCard("intel-i740"));
  const PciIdentity id = pc.card().pci_identity();
  EXPECT_TRUE(id.present);
  EXPECT_EQ(Hex(id.vendor), Hex(0x8086));
  EXPECT_EQ(Hex(id.device), Hex(0x7800));
  EXPECT_EQ(Hex(id.class_code), Hex(0x0300));
  WriteReg(pc, kXr, 0x50, 0xA5);
  EXPECT_EQ(Hex(ReadReg(pc, kXr, 0x50)), Hex(0xA5));
  EXPECT_EQ(Hex(I740(pc).xr(0x50)), Hex(0xA5));
  // The i810's IO control register is not there: CR80 floats and keeps nothing.
  WriteReg(pc, kCrtc, 0x80, 0x03);
  EXPECT_EQ(Hex(ReadReg(pc, kCrtc, 0x80)), Hex(0xFF));
}

struct ExtendedCase {
  const char* name;
  uint8_t xr09;
  uint8_t cr07;  // overflow: bit 0 total bit 8, bit 5 total bit 9
  uint8_t cr30;  // extended total bits 8-11
  int v_total;   // with CR06 = 0x37
};

// With XR09 bit 0 set the vertical total's bits 8-11 come from CR30 and CR07 is ignored.
TEST(IntelI740Card, ExtendedCrtcTakesTheHighBitsFromCr30) {
  const ExtendedCase kCases[] = {
      {"vga_overflow", 0x00, 0x01, 0x02, 0x137 + 2},
      {"extended", 0x01, 0x01, 0x02, 0x237 + 2},
      {"extended_ignores_cr07", 0x01, 0x21, 0x01, 0x137 + 2},
      {"extended_bit_11", 0x01, 0x00, 0x08, 0x837 + 2},
  };
  for (const ExtendedCase& c : kCases) {
    SCOPED_TRACE(c.name);
    VirtualPc pc(MakeCard("intel-i740"));
    Unprotect(pc);
    WriteReg(pc, kXr, 0x09, c.xr09);
    WriteReg(pc, kCrtc, 0x06, 0x37);
    WriteReg(pc, kCrtc, 0x07, c.cr07);
    WriteReg(pc, kCrtc, 0x30, c.cr30);
    EXPECT_EQ(pc.card().ExtractTiming().v_total, c.v_total);
  }
}

struct VclkCase {
  uint8_t m, n, div_sel;
  double mhz;
};

// f = 4 x 66.67 MHz x (M + 2) / ((N + 2) x 2^P).
TEST(IntelI740Card, Vclk2FromItsDividers) {
  const VclkCase kCases[] = {
      {0x0D, 0x1C, 0x21, 4 * 66.67 * 15 / (30 * 4.0)},
      {0x0D, 0x1C, 0x01, 4 * 66.67 * 15 / 30.0},
      {0x01, 0x01, 0x71, 4 * 66.67 * 3 / (3 * 128.0)},
  };
  for (const VclkCase& c : kCases) {
    SCOPED_TRACE(Hex(c.m) + " " + Hex(c.n) + " " + Hex(c.div_sel));
    VirtualPc pc(MakeCard("intel-i740"));
    WriteReg(pc, kXr, 0xC8, c.m);
    WriteReg(pc, kXr, 0xC9, c.n);
    WriteReg(pc, kXr, 0xCB, c.div_sel);
    EXPECT_NEAR(I740(pc).Vclk2Hz() / 1e6, c.mhz, 1e-3);
  }
}

// The driver: a crystal or VCLK2 near the wanted clock, extended CRTC on, no interlace.
TEST(IntelI740Card, DriverModes) {
  for (const auto& [width, height] :
       {std::pair{640, 480}, std::pair{800, 600}, std::pair{1024, 768}}) {
    SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
    VirtualPc pc(MakeCard("intel-i740"));
    ASSERT_TRUE(
        SetDesktopMode(pc.card(), static_cast<uint16_t>(width), static_cast<uint16_t>(height)));
    const Signal& s = pc.card().signal();
    EXPECT_TRUE(I740(pc).extended_crtc());
    EXPECT_EQ(s.display_lines_per_field, height);
    EXPECT_NEAR(s.field_rate_hz, width == 640 ? 59.94 : 60.0, 0.3);
    EXPECT_FALSE(s.interlaced);
    EXPECT_TRUE(s.contradictions.empty()) << s.contradictions.front();
  }
}

// CR70 bit 7: interlaced, the vertical values count frame lines.
TEST(IntelI740Card, InterlaceCountsFrameLines) {
  VirtualPc pc(MakeCard("intel-i740"));
  ASSERT_TRUE(SetDesktopMode(pc.card(), 640, 480));
  WriteReg(pc, kCrtc, 0x70, 0x80 | 0x30);
  const Signal& s = pc.card().signal();
  EXPECT_TRUE(s.interlaced);
  EXPECT_DOUBLE_EQ(s.lines_per_field, 262.5);
  EXPECT_EQ(s.display_lines_per_field, 240);
}

}  // namespace
}  // namespace zanvo::virt::testing
