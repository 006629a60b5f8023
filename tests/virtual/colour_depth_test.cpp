// Colour depths and memory: what each card's driver offers, how each depth reaches the CRTC and
// the DAC, and that the registers alone tell the pixel format back.

#include <gtest/gtest.h>

#include <string>

#include "platform/virtual/card_catalog.h"
#include "platform/virtual/display_driver.h"
#include "platform/virtual/signal/desktop_mode.h"
#include "platform/virtual/virtual_pc.h"

namespace zanvo::virt {
namespace {

TEST(DesktopModeText, ParsesSizesAndDepthsAndSaysWhyNot) {
  struct Case {
    const char* text;
    bool ok;
    DesktopMode mode;
    const char* problem_part;
  };
  const Case cases[] = {
      {"640x480", true, {640, 480, 8}, ""},
      {"800X600x16", true, {800, 600, 16}, ""},
      {"1024x768x32", true, {1024, 768, 32}, ""},
      {"640x480x4", true, {640, 480, 4}, ""},
      {"640x480x7", false, {}, "colour depth is one of 4, 8, 15, 16, 24, 32"},
      {"640x480x", false, {}, "colour depth"},
      {"640x480x16x2", false, {}, "colour depth"},
      {"640", false, {}, "WIDTHxHEIGHT"},
      {"0x480", false, {}, "positive whole numbers"},
      {"x480", false, {}, "positive whole numbers"},
      {"640x70000", false, {}, "positive whole numbers"},
      {"-640x480", false, {}, "positive whole numbers"},
  };
  for (const Case& c : cases) {
    std::string problem = "stale";
    const auto mode = ParseDesktopMode(c.text, problem);
    EXPECT_EQ(mode.has_value(), c.ok) << c.text;
    if (c.ok) {
      EXPECT_TRUE(mode && SameMode(*mode, c.mode)) << c.text;
      EXPECT_TRUE(problem.empty()) << c.text;
    } else {
      EXPECT_NE(problem.find(c.problem_part), std::string::npos) << c.text << ": " << problem;
    }
  }
  EXPECT_EQ(ModeName({800, 600, 16}), "800x600x16");
  EXPECT_EQ(ModeName({800, 600, 8}, false), "800x600");
  EXPECT_EQ(ModeName({800, 600, 15}, false), "800x600x15");
  EXPECT_EQ(BytesFor({640, 480, 4}), 153600u);
  EXPECT_EQ(BytesFor({640, 480, 15}), 614400u);
  EXPECT_EQ(BytesFor({640, 480, 24}), 921600u);
  EXPECT_EQ(BytesFor({640, 480, 32}), 1228800u);
}

// Every card, every memory size its boards had, every mode its driver then lists: the frame
// fits the memory, the mode sets, and the registers read back its depth; the same size at
// 8 bits runs at the same line and field rates (a depth changes the pixel format, not the set's
// timing), and the horizontal counts it multiplies show as clocks per pixel.
TEST(ColourDepth, EveryOfferedModeFitsTheMemoryAndReadsBackItsDepth) {
  int modes_seen = 0;
  int deep_seen = 0;
  for (const auto& name : CardNames()) {
    auto probe = MakeCard(name);
    ASSERT_FALSE(probe->MemorySizesKib().empty()) << name;
    for (const uint32_t kib : probe->MemorySizesKib()) {
      VirtualPc pc(MakeCard(name));
      ASSERT_TRUE(pc.card().SetMemoryKib(kib));
      for (const DesktopMode& mode : DriverModes(pc.card())) {
        const std::string label = std::string(name) + " " + std::to_string(kib) + " KB " +
                                  ModeName(mode);
        ++modes_seen;
        EXPECT_LE(BytesFor(mode), kib * 1024u) << label;
        ASSERT_TRUE(SetDesktopMode(pc.card(), mode)) << label;
        EXPECT_TRUE(SameMode(CurrentDesktopMode(pc.card()), mode)) << label;
        const Signal deep = AnalyzeSignal(pc.card());
        EXPECT_TRUE(deep.contradictions.empty()) << label << ": " << deep.contradictions.front();
        // 15- and 16-bit pixels are alike to a chip that keeps no 5-6-5 bit (the Cirrus).
        const int bits = deep.crtc.bits_per_pixel;
        EXPECT_TRUE(bits == mode.bits_per_pixel || (bits == 16 && mode.bits_per_pixel == 15))
            << label << " reads " << bits;
        EXPECT_EQ(deep.double_scan, mode.double_scan) << label;
        if (mode.bits_per_pixel <= 8) continue;
        ++deep_seen;
        VirtualPc flat(MakeCard(name));
        ASSERT_TRUE(SetDesktopMode(flat.card(), DesktopMode{mode.width, mode.height, 8}));
        const Signal eight = AnalyzeSignal(flat.card());
        EXPECT_NEAR(deep.line_rate_hz / eight.line_rate_hz, 1.0, 0.02) << label;
        EXPECT_NEAR(deep.field_rate_hz / eight.field_rate_hz, 1.0, 0.02) << label;
        EXPECT_EQ(deep.display_chars * deep.dots_per_char / deep.crtc.clocks_per_pixel,
                  mode.width)
            << label;
      }
    }
  }
  EXPECT_GT(deep_seen, 100);
  EXPECT_GT(modes_seen, deep_seen);
}

// The boards as sold: no mode past the memory, the common size by default, no other size taken.
TEST(ColourDepth, MemoryDecidesWhichModesExist) {
  struct Case {
    const char* card;
    uint32_t kib;
    const char* mode;
    bool offered;
  };
  const Case cases[] = {
      {"vga", 256, "640x480x4", true},        {"vga", 256, "640x480x8", false},
      {"vga", 256, "320x200x8", true},        {"vga", 256, "320x240x8", true},
      {"vga", 256, "640x400x8", false},       {"vga", 256, "1600x1200x8", false},
      {"vga", 256, "800x600x4", false},       {"tseng-et3000", 512, "800x600x8", true},
      {"tseng-et3000", 512, "1024x768x8", false}, {"tseng-et3000", 512, "1024x768x4", true},
      {"tseng-et3000", 256, "800x600x8", false},  {"tseng-et3000", 512, "640x480x16", false},
      {"tseng-et4000", 1024, "800x600x16", true}, {"tseng-et4000", 512, "800x600x16", false},
      {"tseng-et4000", 1024, "1024x768x16", false}, {"s3-trio64", 2048, "1024x768x16", true},
      {"s3-trio64", 1024, "1024x768x16", false},  {"s3-trio64", 4096, "1280x1024x16", false},  // past 80 MHz
      {"s3-trio64", 2048, "640x480x24", false},   {"s3-trio64", 2048, "800x600x32", true},
      {"cirrus-gd5434", 2048, "640x480x24", true}, {"cirrus-gd5434", 2048, "800x600x24", false},
      // The GD5434's pixel rates: 85.5 MHz at 8 bits, 50 at 15/16, 28.5 at 24.
      {"cirrus-gd5434", 2048, "1024x768x8", true},  {"cirrus-gd5434", 2048, "1280x1024x8", false},
      {"cirrus-gd5434", 2048, "1600x1200x8", false}, {"cirrus-gd5434", 2048, "800x600x16", true},
      {"cirrus-gd5434", 2048, "1024x768x16", false}, {"cirrus-gd5434", 2048, "1152x864x15", false},
      {"ati-mach64", 2048, "640x480x4", false},   {"ati-mach64", 4096, "800x600x32", true},
      {"s3-trio64", 2048, "320x200x16", false},   {"s3-trio64", 2048, "640x400x16", true},
      {"s3-trio64", 2048, "640x400x24", false},   {"wd-90c30", 1024, "1056x480x16", false},
      // The Blade3D: a pixel a dot at every depth; 230 MHz at 8 and 16 bits, 115 at 24 and 32.
      {"trident-blade3d", 4096, "640x480x24", true}, {"trident-blade3d", 8192, "1024x768x16", true},
      {"trident-blade3d", 4096, "1024x768x32", true}, {"trident-blade3d", 4096, "1280x1024x32", false},
      {"trident-blade3d", 8192, "1280x1024x32", true}, {"trident-blade3d", 4096, "640x480x15", false},
      {"trident-blade3d", 8192, "1600x1200x16", true}, {"trident-blade3d", 8192, "1600x1200x24", false},  // 157.5 MHz
      {"trident-blade3d", 4096, "800x600x4", true}, {"trident-blade3d", 8192, "1280x1024x24", true},  // 107.4 MHz
  };
  for (const Case& c : cases) {
    auto card = MakeCard(c.card);
    ASSERT_TRUE(card->SetMemoryKib(c.kib)) << c.card << " " << c.kib;
    std::string problem;
    const auto mode = ParseDesktopMode(c.mode, problem);
    ASSERT_TRUE(mode) << c.mode;
    EXPECT_EQ(DesktopModeTiming(*card, *mode).has_value(), c.offered)
        << c.card << " " << c.kib << " KB " << c.mode;
  }
  struct Default {
    const char* card;
    uint32_t kib;
  };
  for (const Default& d : {Default{"vga", 256}, Default{"tseng-et3000", 512},
                           Default{"tseng-et4000", 1024}, Default{"s3-trio64", 2048},
                           Default{"intel-i740", 8192}}) {
    EXPECT_EQ(MakeCard(d.card)->memory_kib(), d.kib) << d.card;
  }
  auto vga = MakeCard("vga");
  EXPECT_FALSE(vga->SetMemoryKib(512));
  EXPECT_EQ(vga->memory_kib(), 256u);
  EXPECT_FALSE(SetDesktopMode(*vga, 640, 400));
  EXPECT_TRUE(SetDesktopMode(*vga, 640, 480));
  EXPECT_EQ(CurrentDesktopMode(*vga).bits_per_pixel, 4);
}

// A HiColor DAC's command register, as a program reaches it: after four reads of the pixel
// mask the next access is the command; any other DAC port starts the count again. A plain DAC
// has none. The mode a driver sets leaves its command there.
TEST(ColourDepth, HiColorDacCommandHidesBehindFourMaskReads) {
  struct Case {
    const char* card;
    const char* mode;
    uint8_t command;  // what the fifth read returns
  };
  const Case cases[] = {
      {"tseng-et4000", "640x480x16", 0xE0},
      {"tseng-et4000", "640x480x15", 0xA0},
      {"tseng-et4000", "640x480x8", 0x00},
      {"wd-90c30", "800x600x16", 0xE0},
      {"vga", "640x480x4", 0xFF},  // the mask itself: no command register
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.card) + " " + c.mode);
    VirtualPc pc(MakeCard(c.card));
    std::string problem;
    ASSERT_TRUE(SetDesktopMode(pc.card(), *ParseDesktopMode(c.mode, problem)));
    for (int i = 0; i < 4; ++i)
      EXPECT_EQ(pc.InByte(0x3C6), 0xFF);
    EXPECT_EQ(pc.InByte(0x3C6), c.command);
    static_cast<void>(pc.InByte(0x3C8));  // another DAC port: the count starts again
    EXPECT_EQ(pc.InByte(0x3C6), 0xFF);
  }
  // A program that writes the command switches the pixel format the registers show.
  VirtualPc pc(MakeCard("tseng-et4000"));
  ASSERT_TRUE(SetDesktopMode(pc.card(), DesktopMode{640, 480, 16}));
  for (int i = 0; i < 4; ++i)
    static_cast<void>(pc.InByte(0x3C6));
  pc.OutByte(0x3C6, 0x00);
  EXPECT_EQ(AnalyzeSignal(pc.card()).crtc.bits_per_pixel, 8);
  EXPECT_EQ(AnalyzeSignal(pc.card()).crtc.clocks_per_pixel, 1);
  EXPECT_EQ(pc.InByte(0x3C6), 0xFF);  // the write went to the command, the mask kept
}

// A program that sets a pixel mode by hand is read as the chip reads it: the Cirrus SR07 pixel
// modes, the Trio's CR67 formats, the Mach64's depth codes its driver never writes included.
TEST(ColourDepth, PixelModeRegistersReadBackAsTheChipReadsThem) {
  struct Case {
    const char* card;
    uint16_t index_port;
    uint8_t key_index, key;  // the register that opens the next one
    uint8_t index, value;
    int bits;
  };
  const Case cases[] = {
      {"cirrus-gd5434", 0x3C4, 0x06, 0x12, 0x07, 0x01, 8},
      {"cirrus-gd5434", 0x3C4, 0x06, 0x12, 0x07, 0x03, 16},
      {"cirrus-gd5434", 0x3C4, 0x06, 0x12, 0x07, 0x07, 16},
      {"cirrus-gd5434", 0x3C4, 0x06, 0x12, 0x07, 0x05, 24},
      {"cirrus-gd5434", 0x3C4, 0x06, 0x12, 0x07, 0x09, 32},
      {"s3-trio64", 0x3D4, 0x39, 0xA5, 0x67, 0x30, 15},
      {"s3-trio64", 0x3D4, 0x39, 0xA5, 0x67, 0x50, 16},
      {"s3-trio64", 0x3D4, 0x39, 0xA5, 0x67, 0xD0, 32},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.card) + " " + std::to_string(c.value));
    VirtualPc pc(MakeCard(c.card));
    ASSERT_TRUE(SetDesktopMode(pc.card(), DesktopMode{640, 480, 8}));
    pc.OutByte(c.index_port, c.key_index);
    pc.OutByte(static_cast<uint16_t>(c.index_port + 1), c.key);
    pc.OutByte(c.index_port, c.index);
    pc.OutByte(static_cast<uint16_t>(c.index_port + 1), c.value);
    EXPECT_EQ(AnalyzeSignal(pc.card()).crtc.bits_per_pixel, c.bits);
  }
}

}  // namespace
}  // namespace zanvo::virt
