// The virtual TV's picture, judged by geometry found in the rendered image: where the active
// area lands on the set's screen, which desktop rows reach it, and what an unlockable signal
// shows.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "engine/centering.h"
#include "engine/chip_codes.h"
#include "engine/engine_port.h"
#include "engine/engine_state.h"
#include "engine/standards.h"
#include "platform/virtual/card_catalog.h"
#include "platform/virtual/display_driver.h"
#include "platform/virtual/tv/test_card.h"
#include "platform/virtual/tv/tv_render.h"
#include "platform/virtual/virtual_pc.h"

namespace zanvo::virt {
namespace {

constexpr int kW = kTvScreenWidth;
constexpr int kH = kTvScreenHeight;

struct Applied {
  Signal signal;
  ModeTiming mode;
};

// The card in a desktop mode, the standard applied as the window applies it, then `lefts`
// clicks of "Shift output left".
Applied Apply(const char* card, uint16_t width, uint16_t height, uint8_t standard,
              bool interlace = true, int lefts = 0) {
  VirtualPc pc(MakeCard(card));
  EXPECT_TRUE(SetDesktopMode(pc.card(), width, height));
  engine::Eng = engine::EngineState{};
  engine::BindPort(pc);
  engine::Eng.ChipFamily = pc.card().family();
  engine::Eng.ChipModel = pc.card().model();
  if (!interlace) engine::Eng.InterlaceEnabled = 0;
  engine::SetStandard(standard);
  if (standard != engine::vsVGA) {
    engine::LoadStandardTables(standard);
    engine::ApplyStandard();
  }
  for (int i = 0; i < lefts; ++i)
    engine::ShiftOutputLeft();
  engine::UnbindPort();
  return {AnalyzeSignal(pc.card()), pc.card().current_mode()};
}

Receiver ReceiverOf(uint8_t standard) {
  return standard == engine::vsPAL     ? Receiver::kPal
         : standard == engine::vsNTSC  ? Receiver::kNtsc
         : standard == engine::vs24kHz ? Receiver::kArcade24kHz
                                       : Receiver::kVgaMonitor;
}

// Each desktop row a colour of its own: red 0x80 and the row number in green and blue.
Image RowCodedDesktop(int width, int height) {
  Image desktop(width, height);
  for (int y = 0; y < height; ++y)
    std::fill(desktop.Row(y), desktop.Row(y) + width, 0x800000u | static_cast<Rgb>(y));
  return desktop;
}

struct Span {
  int first = -1;
  int last = -1;
};

// The lit pixels of screen row y (or column x): the active area's edges there.
Span LitInRow(const Image& image, int y) {
  Span span;
  for (int x = 0; x < image.width; ++x) {
    if (image.At(x, y) == kRgbBlack) continue;
    if (span.first < 0) span.first = x;
    span.last = x;
  }
  return span;
}

Span LitInColumn(const Image& image, int x) {
  Span span;
  for (int y = 0; y < image.height; ++y) {
    if (image.At(x, y) == kRgbBlack) continue;
    if (span.first < 0) span.first = y;
    span.last = y;
  }
  return span;
}

// Desktop rows down the middle column, each run of screen rows counted once.
std::vector<int> RowsDownTheMiddle(const Image& screen) {
  std::vector<int> rows;
  for (int y = 0; y < screen.height; ++y) {
    const Rgb pixel = screen.At(screen.width / 2, y);
    if (pixel == kRgbBlack) continue;
    const int row = static_cast<int>(pixel & 0xFFFF);
    if (rows.empty() || rows.back() != row) rows.push_back(row);
  }
  return rows;
}

// Where the timing puts the active area on the screen: from the characters and lines the CRTC
// displays unblanked, their time after the syncs' leading edges, and the set's window.
struct Expected {
  double left, right, top, bottom;
};

Expected FromTiming(const Signal& s, const ScreenWindow& w) {
  const double char_us = s.dots_per_char * 1e6 / s.pixel_clock_hz;
  const int first_char = std::max(0, s.h_blank_end_char - s.chars_per_line);
  const int end_char = std::min(s.display_chars, s.h_blank_start_char);
  const double line_start_us = (s.chars_per_line - s.h_sync_start_char) * char_us;
  const auto to_x = [&](double us) {
    return std::clamp((us - w.start_us) / w.width_us * kW, 0.0, double{kW});
  };
  const int total = static_cast<int>(s.lines_per_field);
  const int first_line = std::max(0, s.v_blank_end_line - total);
  const int end_line = std::min(s.display_lines_per_field, s.v_blank_start_line);
  const double field_start = total - s.v_sync_start_line;
  const auto to_y = [&](double line) {
    return std::clamp((line - w.start_line) / w.lines * kH, 0.0, double{kH});
  };
  return {to_x(line_start_us + first_char * char_us), to_x(line_start_us + end_char * char_us),
          to_y(field_start + first_line), to_y(field_start + end_line)};
}

struct GeometryCase {
  const char* card;
  uint16_t width, height;
  uint8_t standard;
};

TEST(TvPicture, ActiveAreaLandsWhereTheTimingPutsIt) {
  const GeometryCase cases[] = {
      {"vga", 640, 480, engine::vsPAL},           {"vga", 640, 480, engine::vsNTSC},
      {"vga", 640, 480, engine::vs24kHz},         {"s3-trio64", 640, 480, engine::vsPAL},
      {"s3-trio64", 800, 600, engine::vs24kHz},   {"vga", 640, 480, engine::vsVGA},
      {"cirrus-gd5434", 800, 600, engine::vsPAL},
  };
  for (const GeometryCase& c : cases) {
    SCOPED_TRACE(std::string(c.card) + " " + std::to_string(c.width) + "x" +
                 std::to_string(c.height) + " standard " + std::to_string(c.standard));
    const Applied a = Apply(c.card, c.width, c.height, c.standard);
    const TvPicture picture =
        RenderTv(a.signal, a.mode, ReceiverOf(c.standard), DrawTestCard(c.width, c.height));
    ASSERT_TRUE(picture.locked()) << picture.failure;
    const Expected e = FromTiming(a.signal, picture.window);
    const Span row = LitInRow(picture.screen, static_cast<int>((e.top + e.bottom) / 2));
    const Span column = LitInColumn(picture.screen, static_cast<int>((e.left + e.right) / 2));
    EXPECT_NEAR(row.first, e.left, 1.0);
    EXPECT_NEAR(row.last + 1 - row.first, e.right - e.left, 1.0);
    EXPECT_NEAR(column.first, e.top, 1.0);
    EXPECT_NEAR(column.last + 1, e.bottom, 1.0);
    if (c.standard == engine::vsVGA) {
      // The monitor is set up for the mode: the desktop fills its screen.
      EXPECT_EQ(row.first, 0);
      EXPECT_EQ(row.last, kW - 1);
    }
  }
}

TEST(TvPicture, ShiftOutputLeftMovesThePictureOneCharacterClockLeft) {
  for (const char* card : {"vga", "s3-trio64"}) {
    SCOPED_TRACE(card);
    const Applied before = Apply(card, 640, 480, engine::vsPAL);
    const Applied after = Apply(card, 640, 480, engine::vsPAL, true, 1);
    const Image desktop = DrawTestCard(640, 480);
    const TvPicture p0 = RenderTv(before.signal, before.mode, Receiver::kPal, desktop);
    const TvPicture p1 = RenderTv(after.signal, after.mode, Receiver::kPal, desktop);
    const double char_px =
        before.signal.dots_per_char * 1e6 / before.signal.pixel_clock_hz / p0.window.width_us * kW;
    const Span s0 = LitInRow(p0.screen, kH / 2);
    const Span s1 = LitInRow(p1.screen, kH / 2);
    // 640 columns of PAL start right at the screen's left edge, so the move shows whole on the
    // right edge; the left edge can only move out of sight.
    EXPECT_NEAR(s0.last - s1.last, char_px, 1.0);
    EXPECT_LE(s1.first, s0.first);
  }
}

struct RowsCase {
  const char* card;
  uint16_t width, height;
  uint8_t standard;
  bool interlace;
  int step;  // desktop rows between neighbouring lines of the picture
  bool odd_rows_shown;
};

TEST(TvPicture, DesktopRowsFollowLineSkippingAndInterlace) {
  const RowsCase cases[] = {
      // The standard VGA cannot interlace: every other row is skipped.
      {"vga", 640, 480, engine::vsPAL, true, 2, false},
      {"s3-trio64", 640, 480, engine::vsPAL, false, 2, false},
      {"s3-trio64", 800, 600, engine::vsNTSC, false, 2, false},
      // Interlaced, the second field's rows fall between the first field's.
      {"s3-trio64", 640, 480, engine::vsPAL, true, 1, true},
      {"s3-trio64", 640, 480, engine::vsNTSC, true, 1, true},
      // Monitor timings show every row.
      {"vga", 640, 480, engine::vsVGA, true, 1, true},
  };
  for (const RowsCase& c : cases) {
    SCOPED_TRACE(std::string(c.card) + " " + std::to_string(c.width) + "x" +
                 std::to_string(c.height) + " standard " + std::to_string(c.standard) +
                 (c.interlace ? "" : " no interlace"));
    const Applied a = Apply(c.card, c.width, c.height, c.standard, c.interlace);
    const TvPicture picture = RenderTv(a.signal, a.mode, ReceiverOf(c.standard),
                                       RowCodedDesktop(c.width, c.height), kW, kH);
    ASSERT_TRUE(picture.locked()) << picture.failure;
    const std::vector<int> rows = RowsDownTheMiddle(picture.screen);
    ASSERT_GT(rows.size(), 100u);
    std::set<int> steps;
    bool odd = false;
    for (size_t i = 1; i < rows.size(); ++i) {
      steps.insert(rows[i] - rows[i - 1]);
      odd = odd || rows[i] % 2 == 1;
    }
    // A VGA monitor's screen has fewer rows than a tall desktop: some rows fall between.
    if (c.standard != engine::vsVGA) {
      EXPECT_EQ(steps, std::set<int>{c.step});
    }
    EXPECT_EQ(*steps.begin(), c.step);
    EXPECT_EQ(odd, c.odd_rows_shown);
  }
}

struct NoLockCase {
  const char* name;
  uint8_t applied;    // the standard written to the card
  Receiver receiver;  // the set it reaches
  const char* failure;
  void (*spoil)(CrtcTiming&) = nullptr;  // a register change that keeps both rates
};

TEST(TvPicture, SignalTheSetCannotLockShowsNoPictureAndSaysWhy) {
  const NoLockCase cases[] = {
      {"monitor timings on a PAL set", engine::vsVGA, Receiver::kPal, "line 31.5 kHz: no lock"},
      {"monitor timings on an arcade monitor", engine::vsVGA, Receiver::kArcade24kHz,
       "line 31.5 kHz: no lock"},
      {"PAL on an NTSC set", engine::vsPAL, Receiver::kNtsc, "field 50.0 Hz: no lock"},
      {"PAL on a VGA monitor", engine::vsPAL, Receiver::kVgaMonitor, "line 15.7 kHz: no lock"},
      // PAL's rates exactly, but a sync the set never sees or sees in the picture.
      {"PAL without a field sync", engine::vsPAL, Receiver::kPal,
       "vertical sync start past total: no lock",
       [](CrtcTiming& t) { t.v_sync_start = t.v_total + 4; }},
      {"PAL with the field sync in the picture", engine::vsPAL, Receiver::kPal,
       "vertical sync outside blank: no lock",
       [](CrtcTiming& t) {
         t.v_sync_start = 100;
         t.v_sync_end = 104;
       }},
      {"PAL with the line sync in the picture", engine::vsPAL, Receiver::kPal,
       "horizontal sync outside blank: no lock",
       [](CrtcTiming& t) {
         t.h_sync_start = 20;
         t.h_sync_end = 28;
       }},
      {"monitor timings without a line sync", engine::vsVGA, Receiver::kVgaMonitor,
       "horizontal sync start past total: no lock",
       [](CrtcTiming& t) { t.h_sync_start = t.h_total; }},
  };
  for (const NoLockCase& c : cases) {
    SCOPED_TRACE(c.name);
    Applied a = Apply("vga", 640, 480, c.applied);
    if (c.spoil) {
      const Signal fine = a.signal;
      c.spoil(a.signal.crtc);
      a.signal = AnalyzeTiming(a.signal.crtc);
      ASSERT_DOUBLE_EQ(a.signal.line_rate_hz, fine.line_rate_hz);
      ASSERT_DOUBLE_EQ(a.signal.field_rate_hz, fine.field_rate_hz);
      ASSERT_TRUE(RenderTv(fine, a.mode, c.receiver, DrawTestCard(640, 480)).locked());
    }
    const TvPicture picture = RenderTv(a.signal, a.mode, c.receiver, DrawTestCard(640, 480));
    EXPECT_EQ(picture.failure, c.failure);
    EXPECT_EQ(
        std::count(picture.screen.pixels.begin(), picture.screen.pixels.end(), kTestCardBackground),
        0);
  }
}

TEST(TvPicture, HeldCrtcIsNoSignal) {
  Applied a = Apply("vga", 640, 480, engine::vsPAL);
  a.signal.crtc.sync_enabled = false;
  const TvPicture picture = RenderTv(a.signal, a.mode, Receiver::kPal, DrawTestCard(640, 480));
  EXPECT_EQ(picture.failure, "no signal");
  EXPECT_EQ(
      std::count(picture.screen.pixels.begin(), picture.screen.pixels.end(), kTestCardBackground),
      0);
}

// Registers read back from a card may hold anything: the picture is drawn whatever they say.
TEST(TvPicture, GarbageTimingsDrawAPictureOfTheAskedSize) {
  uint32_t seed = 12345;
  const auto next = [&seed](int limit) {
    seed = seed * 1664525u + 1013904223u;
    return static_cast<int>((seed >> 8) % static_cast<uint32_t>(limit));
  };
  const Image desktop = DrawTestCard(640, 480);
  const Applied base = Apply("vga", 640, 480, engine::vsPAL);
  for (int i = 0; i < 300; ++i) {
    CrtcTiming t = base.signal.crtc;
    t.h_total = next(4096) - 8;
    t.h_display = next(4096);
    t.h_blank_start = next(4096);
    t.h_blank_end = next(256);
    t.h_sync_start = next(4096);
    t.h_sync_end = next(64);
    t.v_total = next(4096) - 8;
    t.v_display = next(4096);
    t.v_sync_start = next(4096);
    t.offset = next(1024);
    t.max_scan_line = next(64) - 16;
    t.interlaced = next(2) == 1;
    t.clock_hz = next(3) == 0 ? 1e12 : next(100'000'000);
    ModeTiming mode = base.mode;
    mode.offset = static_cast<uint16_t>(next(1024));
    const Receiver receiver = static_cast<Receiver>(next(4));
    const TvPicture picture = RenderTv(AnalyzeTiming(t), mode, receiver, desktop, 97, 61);
    ASSERT_EQ(picture.screen.width, 97) << "case " << i;
    ASSERT_EQ(picture.screen.height, 61) << "case " << i;
    ASSERT_EQ(picture.screen.pixels.size(), 97u * 61u) << "case " << i;
  }
}

}  // namespace
}  // namespace zanvo::virt
