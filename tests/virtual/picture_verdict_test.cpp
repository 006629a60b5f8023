// The picture verdict and the virtual TV follow every row and pixel the registers address: the
// frame's rows in order, each as often as the next, none dropped that the frame had lines for,
// the pixels in the desktop's format; and what share of the set the picture fills.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>

#include "platform/virtual/card_catalog.h"
#include "platform/virtual/display_driver.h"
#include "platform/virtual/signal/picture.h"
#include "platform/virtual/tv/picture_fill.h"
#include "platform/virtual/tv/test_card.h"
#include "platform/virtual/tv/tv_render.h"

namespace zanvo::virt {
namespace {

// A PAL field (113 characters at 14.161 MHz, 313 lines) showing `lines` lines of a desktop
// whose rows are 80 offset units apart.
CrtcTiming PalField(int lines) {
  CrtcTiming t;
  t.clock_hz = 28'322'000;
  t.clock_divisor = 2;
  t.h_total = 113;
  t.h_display = 80;
  t.h_blank_start = 84;
  t.h_blank_end = 106 & 0x3F;
  t.h_sync_start = 90;
  t.h_sync_end = 98 & 0x1F;
  t.v_total = 313;
  t.v_display = lines;
  t.v_blank_start = 266;
  t.v_blank_end = 288 & 0xFF;
  t.v_sync_start = 268;
  t.v_sync_end = 272 & 0x0F;
  t.offset = 80;
  return t;
}

struct VerdictCase {
  const char* name;
  int lines;         // displayed lines per field
  int desktop_rows;  // rows of the desktop
  std::function<void(CrtcTiming&)> change;
  bool whole;
  const char* reason_start;  // of the reason when not whole
};

TEST(PictureVerdict, FollowsEveryRowAndPixelTheRegistersAddress) {
  const VerdictCase cases[] = {
      {"every row once", 240, 240, [](CrtcTiming&) {}, true, ""},
      {"double scanned, each row twice in order", 240, 120,
       [](CrtcTiming& t) { t.double_scan = true; }, true, ""},
      {"skipped lines of a desktop taller than the frame", 240, 480,
       [](CrtcTiming& t) { t.offset = 160; }, true, ""},
      {"interlaced, the chip stepping two rows a field line", 240, 480,
       [](CrtcTiming& t) { t.interlaced = true; }, true, ""},
      {"interlaced from one frame with the offset doubled", 240, 480,
       [](CrtcTiming& t) {
         t.interlaced = true;
         t.interlace_reads_frame = true;
         t.offset = 160;
       },
       true, ""},
      // Double scan under the chip's own interlace: 0, 1, 0, 1, 2, 3, 2, 3 down the frame.
      {"double scanned and interlaced: swapped pairs", 200, 200,
       [](CrtcTiming& t) {
         t.interlaced = true;
         t.double_scan = true;
       },
       false, "desktop rows out of order (0, 1, 0, 1, 2, 3, 2, 3, ...)"},
      // Eight lines name every row, with nothing left to elide.
      {"four lines a field, double scanned and interlaced", 4, 4,
       [](CrtcTiming& t) {
         t.interlaced = true;
         t.double_scan = true;
       },
       false, "desktop rows out of order (0, 1, 0, 1, 2, 3, 2, 3)"},
      // One row on both lines of the frame: nothing to step to.
      {"a single doubled row", 2, 1, [](CrtcTiming& t) { t.double_scan = true; }, true, ""},
      // Double scan and a skip: 0, 0, 2, 2, ... though 200 lines hold all 200 rows.
      {"double scanned with every other row skipped", 200, 200,
       [](CrtcTiming& t) {
         t.double_scan = true;
         t.offset = 160;
       },
       false, "every other desktop row dropped (0, 0, 2, 2, 4, 4, 6, 6, ...), though the frame's"},
      {"every other row skipped though the frame has a line for each", 240, 240,
       [](CrtcTiming& t) { t.offset = 160; }, false, "line offset 160, the desktop needs 80"},
      {"a stride of neither one nor two rows", 240, 480, [](CrtcTiming& t) { t.offset = 120; },
       false, "line offset 120, the desktop needs 160"},
      {"the start moved off the desktop", 240, 240, [](CrtcTiming& t) { t.start_address = 80; },
       false, "start address 80, the desktop starts at 0"},
      {"16-bit pixels read as 8-bit", 240, 240,
       [](CrtcTiming& t) {
         t.bits_per_pixel = 8;
         t.clocks_per_pixel = 1;
       },
       false, "8-bit pixels over 1 dot clocks, the desktop's are 16-bit over 2"},
  };
  for (const VerdictCase& c : cases) {
    SCOPED_TRACE(c.name);
    CrtcTiming t = PalField(c.lines);
    t.bits_per_pixel = 16;
    t.clocks_per_pixel = 2;
    c.change(t);
    const Signal shown = AnalyzeTiming(t);
    const DesktopLayout desktop{80, c.desktop_rows, 0, 320, 16, 2};
    const PictureVerdict verdict = JudgePicture(shown, desktop);
    EXPECT_EQ(verdict.whole, c.whole) << verdict.reason;
    EXPECT_EQ(verdict.reason.rfind(c.reason_start, 0), 0u) << verdict.reason;
    // The frame's rows are what the virtual TV draws: on a whole picture they never go back.
    if (c.whole) {
      const std::vector<int> rows = FrameRows(shown, desktop);
      ASSERT_FALSE(rows.empty());
      for (size_t i = 1; i < rows.size(); ++i)
        ASSERT_GE(rows[i], rows[i - 1]) << "line " << i;
    }
  }
}

// Each desktop column a colour of its own.
Image ColumnCodedDesktop(int width, int height) {
  Image desktop(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x)
      desktop.Row(y)[x] = 0x800000u | static_cast<Rgb>(x);
  }
  return desktop;
}

// The screen's middle row shows the desktop's columns in order, from near its left edge to
// near its right one.
void ExpectDrawnOnceAcross(const TvPicture& picture, int width) {
  ASSERT_TRUE(picture.locked()) << picture.failure;
  int last = -1, first = -1;
  for (int x = 0; x < picture.screen.width; ++x) {
    const Rgb pixel = picture.screen.At(x, picture.screen.height / 2);
    if ((pixel & 0xFF0000) != 0x800000) continue;
    const int column = static_cast<int>(pixel & 0xFFFF);
    if (first < 0) first = column;
    ASSERT_GE(column, last) << "screen column " << x << " goes back in the desktop";
    last = column;
  }
  EXPECT_LT(first, width / 8);
  EXPECT_GT(last, width * 7 / 8);
}

TEST(PictureVerdict, TheTvDrawsEachPixelOnceOverTheDotsItLasts) {
  // 640 dots a line; 320 pixels of two dots each, or 640 of one.
  for (const int clocks : {1, 2}) {
    SCOPED_TRACE(clocks);
    CrtcTiming t = PalField(240);
    t.clocks_per_pixel = clocks;
    const Signal shown = AnalyzeTiming(t);
    const int width = 640 / clocks;
    ModeTiming mode;
    mode.width = static_cast<uint16_t>(width);
    mode.height = 240;
    mode.offset = 80;
    const DesktopLayout layout = DesktopOf(shown);
    EXPECT_EQ(layout.width, width);
    ExpectDrawnOnceAcross(
        RenderTv(shown, mode, layout, Receiver::kPal, ColumnCodedDesktop(width, 240)), width);
  }
}

// On the monitor timings the driver set, at every depth, the monitor shows the desktop once
// across its width: the mode's counts last as long in time as the clock the depth multiplied
// says (a 24-bit pixel over three clocks, a 16-bit one over two half characters).
TEST(PictureVerdict, TheMonitorShowsEveryDepthOnceAcross) {
  const DesktopMode cases[] = {
      {640, 480, 24}, {720, 400, 24}, {640, 480, 16}, {800, 600, 16}, {320, 200, 8},
  };
  for (const char* card_name : {"cirrus-gd5434", "s3-trio64", "tseng-et4000", "ati-mach64"}) {
    for (const DesktopMode& mode : cases) {
      const auto card = MakeCard(card_name);
      if (!SetDesktopMode(*card, mode)) continue;
      SCOPED_TRACE(std::string(card_name) + " " + ModeName(mode));
      const Signal shown = AnalyzeSignal(*card);
      ExpectDrawnOnceAcross(RenderTv(shown, card->current_mode(), DesktopOf(shown),
                                     Receiver::kVgaMonitor,
                                     ColumnCodedDesktop(mode.width, mode.height)),
                            mode.width);
    }
  }
}

struct FillCase {
  const char* name;
  Receiver receiver;
  int lines;
  bool interlaced;
  double height_at_least, height_below;
  bool fills;
  // The desktop's width and the dots each pixel lasts (0: not given), and the share of the
  // shown part of the line its pixels cover.
  int desktop_width = 0;
  int clocks_per_pixel = 1;
  double line_share = 1.0;
};

TEST(PictureFill, ABandAcrossTheScreenIsNotAPicture) {
  const FillCase cases[] = {
      // 240 lines of an interlaced PAL field: the frame's 480 fill the screen's height.
      {"PAL, 240 lines a field", Receiver::kPal, 240, true, 0.85, 0.95, true},
      // 120 lines: under half the 264.5 lines the set shows.
      {"PAL, 120 lines a field", Receiver::kPal, 120, false, 0.40, 0.50, false},
      // 145 lines: just over half, but at the line's full width twice as wide as high.
      {"PAL, 145 lines a field", Receiver::kPal, 145, false, 0.50, 0.60, false},
      // 320 pixels a dot each on 640 dots: the left half of the line, the shape half as wide.
      {"PAL, 320 pixels on 640 dots", Receiver::kPal, 240, true, 0.85, 0.95, false, 320, 1, 0.5},
      // The same 320 pixels over two dots each fill the line.
      {"PAL, 320 pixels over 2 dots", Receiver::kPal, 240, true, 0.85, 0.95, true, 320, 2, 1.0},
  };
  for (const FillCase& c : cases) {
    SCOPED_TRACE(c.name);
    CrtcTiming t = PalField(c.lines);
    t.interlaced = c.interlaced;
    t.clocks_per_pixel = c.clocks_per_pixel;
    const Signal shown = AnalyzeTiming(t);
    ModeTiming mode;
    mode.width = static_cast<uint16_t>(c.desktop_width);
    const PictureFill fill = MeasureFill(c.receiver, shown, mode);
    const PictureFill whole_line = MeasureFill(c.receiver, shown, ModeTiming{});
    EXPECT_GE(fill.height, c.height_at_least);
    EXPECT_LT(fill.height, c.height_below);
    EXPECT_NEAR(fill.width / whole_line.width, c.line_share, 1e-9);
    EXPECT_NEAR(fill.shape, fill.width / fill.height, 1e-9);
    EXPECT_EQ(FillsTheSet(fill), c.fills) << FillText(fill);
  }
  // The edges of the rule: half the height and a quarter off either way still fill the set.
  EXPECT_TRUE(FillsTheSet({0.5, 0.625, 1.25}));
  EXPECT_TRUE(FillsTheSet({1.0, 0.75, 0.75}));
  EXPECT_FALSE(FillsTheSet({0.49, 0.49, 1.0}));
  EXPECT_FALSE(FillsTheSet({0.8, 1.04, 1.3}));
  EXPECT_FALSE(FillsTheSet({1.0, 0.7, 0.7}));
}

struct DepthCase {
  Rgb colour;
  Rgb at4, at8, at15, at16;  // 24 and 32 bits keep it as it is
};

// The desktop at its depth: 16 colours the nearest of the VGA's sixteen, 256 the nearest of the
// halftone palette's 6x6x6 cube, High Color 5 bits a channel (6 for green at 16 bits), True
// Color as drawn; the card's most common colour, its background, goes the same way.
TEST(TestCard, DrawsTheDesktopAtItsDepth) {
  const DepthCase cases[] = {
      {0x1F3F7F, 0x555555, 0x333366, 0x20417B, 0x20407B},
      // 76 lies below the cube's midpoint between 51 and 102.
      {0x4C4C4C, 0x555555, 0x333333, 0x4A4A4A, 0x4A4C4A},
      {0xFFD040, 0xFFFF55, 0xFFCC33, 0xFFCD41, 0xFFCE41},
      {0xC0C0C0, 0xAAAAAA, 0xCCCCCC, 0xBDBDBD, 0xBDBEBD},
  };
  for (const DepthCase& c : cases) {
    SCOPED_TRACE(c.colour);
    EXPECT_EQ(AtDepth(c.colour, 4), c.at4);
    EXPECT_EQ(AtDepth(c.colour, 8), c.at8);
    EXPECT_EQ(AtDepth(c.colour, 15), c.at15);
    EXPECT_EQ(AtDepth(c.colour, 16), c.at16);
    EXPECT_EQ(AtDepth(c.colour, 24), c.colour);
    EXPECT_EQ(AtDepth(c.colour, 32), c.colour);
  }
  const auto most_common = [](const Image& card) {
    std::map<Rgb, int> count;
    for (int y = 0; y < card.height; ++y) {
      for (int x = 0; x < card.width; ++x)
        ++count[card.At(x, y)];
    }
    return std::max_element(count.begin(), count.end(), [](const auto& a, const auto& b) {
             return a.second < b.second;
           })->first;
  };
  // Without a depth the card is the 256-colour desktop's.
  EXPECT_EQ(most_common(DrawTestCard(320, 200)), AtDepth(kTestCardBackground, 8));
  for (const int depth : {4, 8, 15, 16, 24, 32}) {
    SCOPED_TRACE(depth);
    EXPECT_EQ(most_common(DrawTestCard(320, 200, depth)), AtDepth(kTestCardBackground, depth));
  }
}

}  // namespace
}  // namespace zanvo::virt
