// The ATI Mach64 card: block I/O and PLL register access, clock synthesis, the accelerator CRTC
// taking over from the VGA CRTC, interlace, and how the card shows itself on PCI and in ROM.

#include <gtest/gtest.h>

#include "platform/virtual/cards/ati_mach64_card.h"
#include "platform/virtual/signal/picture.h"
#include "virtual_test_util.h"

namespace zanvo::virt::testing {
namespace {

constexpr uint16_t kBase = 0xE800;

AtiMach64Card& Ati(VirtualPc& pc) {
  return static_cast<AtiMach64Card&>(pc.card());
}

std::unique_ptr<VirtualPc> AtiWithMode(uint16_t width, uint16_t height) {
  auto pc = std::make_unique<VirtualPc>(MakeCard("ati-mach64"));
  EXPECT_TRUE(SetDesktopMode(pc->card(), width, height)) << width << "x" << height;
  return pc;
}

void WritePll(PortIo& io, uint8_t reg, uint8_t value, bool enable = true) {
  io.OutByte(kBase + 0x91, static_cast<uint8_t>((reg << 2) | (enable ? 0x02 : 0x00)));
  io.OutByte(kBase + 0x92, value);
}

uint8_t ReadPll(PortIo& io, uint8_t reg) {
  io.OutByte(kBase + 0x91, static_cast<uint8_t>(reg << 2));
  return io.InByte(kBase + 0x92);
}

TEST(AtiMach64Card, ShowsItselfOnPciAndInRom) {
  AtiMach64Card card;
  const PciIdentity id = card.pci_identity();
  EXPECT_TRUE(id.present);
  EXPECT_EQ(Hex(id.vendor), Hex(0x1002));
  EXPECT_EQ(Hex(id.device), Hex(0x4754));
  EXPECT_EQ(Hex(id.class_code), Hex(0x0300));
  EXPECT_EQ(Hex(id.bar_0x14), Hex(0xE801));  // I/O space indicator in bit 0
  EXPECT_EQ(card.ext_io_base(), kBase);
  // ROM 0x48 -> table, table + 0x10 -> clock table: reference 1432, divider 33, memory 6300.
  const auto word = [&card](uint32_t at) { return card.PeekRom(at) | card.PeekRom(at + 1) << 8; };
  const uint32_t clocks = static_cast<uint32_t>(word(static_cast<uint32_t>(word(0x48)) + 0x10));
  EXPECT_EQ(word(0), 0xAA55);
  EXPECT_EQ(word(clocks + 0x08), 1432);
  EXPECT_EQ(word(clocks + 0x0A), 33);
  EXPECT_EQ(word(clocks + 0x12), 6300);
  EXPECT_EQ(card.PeekRom(0x10000), 0xFF);
  EXPECT_EQ(card.pll_register(2), 33) << "the PLL's reference divider agrees with the ROM";
}

struct AccessCase {
  const char* name;
  uint16_t port;
  uint32_t write;
  int width;  // 8, 16 or 32
  uint32_t read_back;
};

TEST(AtiMach64Card, BlockRegistersByByteWordAndDword) {
  const AccessCase kCases[] = {
      {"dword", kBase + 0x00, 0x004F0063, 32, 0x004F0063},
      {"word_high_half", kBase + 0x02, 0x0063, 16, 0x0063},
      {"byte", kBase + 0x1D, 0x04, 8, 0x04},
      {"config_stat0_read_only", kBase + 0xE4, 0x07, 8, 0x03},
      {"other_base_floats", 0xD800, 0x12, 8, 0xFF},
  };
  for (const AccessCase& c : kCases) {
    SCOPED_TRACE(c.name);
    VirtualPc pc(MakeCard("ati-mach64"));
    uint32_t got = 0;
    switch (c.width) {
      case 32:
        pc.OutDword(c.port, c.write);
        got = pc.InDword(c.port);
        break;
      case 16:
        pc.OutWord(c.port, static_cast<uint16_t>(c.write));
        got = pc.InWord(c.port);
        break;
      default:
        pc.OutByte(c.port, static_cast<uint8_t>(c.write));
        got = pc.InByte(c.port);
        break;
    }
    EXPECT_EQ(Hex(got), Hex(c.read_back));
  }
}

TEST(AtiMach64Card, PllWritesNeedTheEnableBit) {
  VirtualPc pc(MakeCard("ati-mach64"));
  WritePll(pc, 10, 0x55, false);
  EXPECT_NE(Hex(ReadPll(pc, 10)), Hex(0x55));
  WritePll(pc, 10, 0x55);
  EXPECT_EQ(Hex(ReadPll(pc, 10)), Hex(0x55));
  EXPECT_EQ(Hex(Ati(pc).pll_register(10)), Hex(0x55));
}

struct ClockCase {
  const char* name;
  uint8_t fb_div;     // PLL 10
  uint8_t post_div;   // PLL 6 (VCLK3 code in bits 6-7)
  uint8_t ext_cntl;   // PLL 11 (VCLK3 extended bit 7)
  uint8_t vclk_cntl;  // PLL 5 (bit 2 reset)
  double mhz;
};

// f = 2 x 14.31818 MHz x N / (33 x P).
TEST(AtiMach64Card, Vclk3FromItsDividers) {
  const ClockCase kCases[] = {
      {"n131_p4", 131, 0x80, 0x00, 0x00, 28.4196},
      {"n131_p8", 131, 0xC0, 0x00, 0x00, 14.2098},
      {"n131_p1", 131, 0x00, 0x00, 0x00, 113.6786},
      {"n131_p3_extended", 131, 0x00, 0x80, 0x00, 37.8929},
      {"pll_in_reset", 131, 0x80, 0x00, 0x04, 0.0},
      {"no_feedback_divider", 0, 0x80, 0x00, 0x00, 0.0},
  };
  for (const ClockCase& c : kCases) {
    SCOPED_TRACE(c.name);
    VirtualPc pc(MakeCard("ati-mach64"));
    WritePll(pc, 10, c.fb_div);
    WritePll(pc, 6, c.post_div);
    WritePll(pc, 11, c.ext_cntl);
    WritePll(pc, 5, c.vclk_cntl);
    EXPECT_NEAR(Ati(pc).VclkHz(3) / 1e6, c.mhz, 1e-3);
  }
}

struct SignalCase {
  const char* name;
  uint16_t width, height;
  bool extended;
  double field_hz;  // the driver's refresh: BIOS timings, 60 Hz for the others
  int lines;
};

// The text screen runs on the VGA CRTC; a desktop mode moves the display to the accelerator
// CRTC, whose pixel clock the driver synthesizes on VCLK3.
TEST(AtiMach64Card, DesktopModesRunOnTheAcceleratorCrtc) {
  const SignalCase kCases[] = {
      {"text", 0, 0, false, 70.09, 400},
      {"640x480", 640, 480, true, 59.94, 480},
      {"800x600", 800, 600, true, 60.0, 600},
      {"1024x768", 1024, 768, true, 60.0, 768},
      // The game modes: no pixel doubling on this CRTC, so half the characters at half the
      // clock, a pixel a dot, each row scanned twice.
      {"320x200", 320, 200, true, 70.09, 400},
      {"320x240", 320, 240, true, 59.94, 480},
      {"400x300", 400, 300, true, 60.0, 600},
  };
  for (const SignalCase& c : kCases) {
    SCOPED_TRACE(c.name);
    VirtualPc pc(MakeCard("ati-mach64"));
    if (c.width != 0) {
      ASSERT_TRUE(SetDesktopMode(pc.card(), c.width, c.height));
    }
    EXPECT_EQ(Ati(pc).extended_display(), c.extended);
    EXPECT_EQ(Hex(pc.card().signal().crtc.clock_select), Hex(c.extended ? 3 : 1));
    // The PLL steps by 2 x 14.318 MHz / (33 x P): within 0.5% of the wanted clock.
    EXPECT_NEAR(pc.card().signal().field_rate_hz / c.field_hz, 1.0, 0.005);
    EXPECT_EQ(pc.card().signal().display_lines_per_field, c.lines);
    // The line carries exactly the desktop's pixels: none left black at its right.
    if (c.width != 0) {
      EXPECT_EQ(PixelsPerLine(pc.card().signal()), c.width);
    }
    EXPECT_TRUE(pc.card().signal().contradictions.empty())
        << pc.card().signal().contradictions.front();
  }
}

// Writing the VGA CRTC does not move an accelerated desktop; the block registers do.
TEST(AtiMach64Card, VgaCrtcIsNotInChargeOfTheDesktop) {
  auto pc = AtiWithMode(640, 480);
  const double line = pc->card().signal().line_rate_hz;
  Unprotect(*pc);
  WriteReg(*pc, 0x3D4, 0x00, 0x30);
  EXPECT_DOUBLE_EQ(pc->card().signal().line_rate_hz, line);
  pc->OutDword(kBase + 0x00, (79u << 16) | 199u);  // total 200 characters
  EXPECT_NEAR(pc->card().signal().line_rate_hz, line / 2, 1.0);
}

// CRTC_GEN_CNTL bit 1: the vertical values count the frame's lines, two fields per frame.
TEST(AtiMach64Card, InterlaceCountsFrameLines) {
  auto pc = AtiWithMode(640, 480);
  pc->OutDword(kBase + 0x08, (479u << 16) | 626u);  // 627 frame lines
  pc->OutByte(kBase + 0x1C, static_cast<uint8_t>(pc->InByte(kBase + 0x1C) | 0x02));
  const Signal& s = pc->card().signal();
  EXPECT_TRUE(s.interlaced);
  EXPECT_DOUBLE_EQ(s.lines_per_field, 313.5);
  EXPECT_EQ(s.display_lines_per_field, 240);
}

}  // namespace
}  // namespace zanvo::virt::testing
