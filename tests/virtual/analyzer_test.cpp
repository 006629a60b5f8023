// The analyzer: worked timings, contradictions on bad registers, and garbage that must not
// crash it.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "virtual_test_util.h"

namespace zanvo::virt {
namespace {

using testing::PcWithMode;
using testing::WriteReg;

std::string Joined(const std::vector<std::string>& items) {
  std::string all;
  for (const auto& item : items)
    all += "[" + item + "] ";
  return all;
}

bool Mentions(const Signal& s, const std::string& text) {
  for (const auto& c : s.contradictions) {
    if (c.find(text) != std::string::npos) return true;
  }
  return false;
}

// A PAL-like timing: 113 characters of 8 dots at 28.322 MHz / 2 (15.665 kHz line), a 313-line
// field with the blank and sync that the TV tables use.
CrtcTiming PalLike() {
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
  t.v_display = 240;
  t.v_blank_start = 263;
  t.v_blank_end = 288 & 0xFF;
  t.v_sync_start = 266;
  t.v_sync_end = 270 & 0x0F;
  return t;
}

struct WorkedCase {
  const char* name;
  std::function<void(CrtcTiming&)> change;
  double line_hz, field_hz, lines_per_field;
  int h_blank_end, h_sync_end, v_blank_end, v_sync_end, display_lines, memory_rows;
  bool interlaced;
};

TEST(Analyzer, WorkedTimings) {
  const WorkedCase cases[] = {
      {"PAL-like progressive", [](CrtcTiming&) {}, 15664.8, 50.047, 313, 106, 98, 288, 270, 240,
       240, false},
      // Interlaced with field-line values: every field gets the half line.
      {"interlaced, field lines", [](CrtcTiming& t) { t.interlaced = true; }, 15664.8, 49.968,
       313.5, 106, 98, 288, 270, 240, 240, true},
      // Frame-line values: 625 counts make two fields of 312.5 lines.
      {"interlaced, frame lines",
       [](CrtcTiming& t) {
         t.interlaced = true;
         t.v_frame_lines = true;
         t.v_total = 625;
         t.v_display = 480;
         t.v_blank_start = 526;
         t.v_blank_end = 576 & 0xFF;
         t.v_sync_start = 532;
         t.v_sync_end = 540 & 0x0F;
       },
       15664.8, 50.127, 312.5, 106, 98, 288, 270, 240, 240, true},
      // Blank end wraps past the total: with T = 226 and blank start 193, end register 0 ends
      // the blank exactly at the end of the line.
      {"blank end at the line end",
       [](CrtcTiming& t) {
         t.h_total = 226;
         t.h_display = 200;
         t.h_blank_start = 193;
         t.h_blank_end = 0;
         t.h_sync_start = 199;
         t.h_sync_end = 216 & 0x1F;
       },
       7832.4, 25.024, 313, 226, 216, 288, 270, 240, 240, false},
      // The 132-column row: blank end register 1 ends the blank one character into the next
      // line.
      {"blank end into the next line",
       [](CrtcTiming& t) {
         t.h_total = 179;
         t.h_display = 132;
         t.h_blank_start = 140;
         t.h_blank_end = 1;
         t.h_sync_start = 145;
         t.h_sync_end = 158 & 0x1F;
       },
       9889.0, 31.594, 313, 180, 158, 288, 270, 240, 240, false},
      // The vertical blank end wraps into the next field (PAL 800x600: 292 to 6).
      {"vertical blank into the next field",
       [](CrtcTiming& t) {
         t.v_display = 294;
         t.v_blank_start = 292;
         t.v_blank_end = 6;
         t.v_sync_start = 295;
         t.v_sync_end = 299 & 0x0F;
       },
       15664.8, 50.047, 313, 106, 98, 319, 299, 294, 294, false},
      // CR17 bit 2 doubles every vertical count; double scanning halves the rows.
      {"count by two, double scanned",
       [](CrtcTiming& t) {
         t.count_by_two = true;
         t.v_total = 157;
         t.v_display = 120;
         t.v_blank_start = 130;
         t.v_blank_end = 144;
         t.v_sync_start = 133;
         t.v_sync_end = 135 & 0x0F;
         t.double_scan = true;
       },
       15664.8, 49.888, 314, 106, 98, 288, 270, 240, 120, false},
  };
  for (const auto& c : cases) {
    CrtcTiming t = PalLike();
    c.change(t);
    const Signal s = AnalyzeTiming(t);
    EXPECT_TRUE(s.contradictions.empty()) << c.name << ": " << Joined(s.contradictions);
    EXPECT_NEAR(s.line_rate_hz, c.line_hz, 0.1) << c.name;
    EXPECT_NEAR(s.field_rate_hz, c.field_hz, 0.001) << c.name;
    EXPECT_DOUBLE_EQ(s.lines_per_field, c.lines_per_field) << c.name;
    EXPECT_EQ(s.h_blank_end_char, c.h_blank_end) << c.name;
    EXPECT_EQ(s.h_sync_end_char, c.h_sync_end) << c.name;
    EXPECT_EQ(s.v_blank_end_line, c.v_blank_end) << c.name;
    EXPECT_EQ(s.v_sync_end_line, c.v_sync_end) << c.name;
    EXPECT_EQ(s.display_lines_per_field, c.display_lines) << c.name;
    EXPECT_EQ(s.memory_rows_per_field, c.memory_rows) << c.name;
    EXPECT_EQ(s.interlaced, c.interlaced) << c.name;
    EXPECT_NEAR(s.frame_rate_hz, c.interlaced ? c.field_hz / 2 : c.field_hz, 0.001) << c.name;
  }
}

struct ContradictionCase {
  const char* name;
  std::function<void(PortIo&)> write;  // applied to the 640x480 registers through the ports
  const char* expected;                // a word of the contradiction; nullptr: none
  bool signal;                         // whether a usable signal remains
};

TEST(Analyzer, ContradictionsOnBadRegisters) {
  const ContradictionCase cases[] = {
      {"untouched", [](PortIo&) {}, nullptr, true},
      {"clock select 1 exists", [](PortIo& io) { io.OutByte(0x3C2, 0xE7); }, nullptr, true},
      {"clock select 2", [](PortIo& io) { io.OutByte(0x3C2, 0xEB); }, "clock select 2", false},
      {"clock select 3", [](PortIo& io) { io.OutByte(0x3C2, 0xEF); }, "clock select 3", false},
      {"sequencer reset", [](PortIo& io) { io.OutWord(0x3C4, 0x0100); }, "reset", true},
      {"CRTC held", [](PortIo& io) { WriteReg(io, 0x3D4, 0x17, 0x23); }, "sync outputs", true},
      {"hsync after blank end",
       [](PortIo& io) {
         testing::Unprotect(io);
         WriteReg(io, 0x3D4, 0x04, 0x5F);  // sync 95..96+ runs past the blank end at 98
         WriteReg(io, 0x3D4, 0x05, 0x84);
       },
       "horizontal sync outside blank", true},
      {"hsync before blank",
       [](PortIo& io) {
         testing::Unprotect(io);
         WriteReg(io, 0x3D4, 0x04, 0x40);
       },
       "horizontal sync outside blank", true},
      {"vsync in the picture", [](PortIo& io) { WriteReg(io, 0x3D4, 0x10, 0x90); },  // line 400
       "vertical sync outside blank", true},
      {"display past horizontal total",
       [](PortIo& io) {
         testing::Unprotect(io);
         WriteReg(io, 0x3D4, 0x01, 0xC7);
       },
       "horizontal display end past total", true},
      {"display past vertical total",
       [](PortIo& io) {
         testing::Unprotect(io);
         WriteReg(io, 0x3D4, 0x07, 0x7E);  // display end bit 9: 0x3DF + 1 = 992 > 525
       },
       "vertical display end past total", true},
      {"horizontal blank never starts",
       [](PortIo& io) {
         testing::Unprotect(io);
         WriteReg(io, 0x3D4, 0x02, 0x70);
       },
       "horizontal blank start past total", true},
      {"vertical blank never starts",
       [](PortIo& io) { WriteReg(io, 0x3D4, 0x09, 0x60); },  // blank start bit 9: 999
       "vertical blank start past total", true},
      {"no vertical sync",
       [](PortIo& io) {
         testing::Unprotect(io);
         WriteReg(io, 0x3D4, 0x07, 0xBE);  // sync start bit 9: 0x3EA = 1002
       },
       "vertical sync start past total", true},
  };
  for (const auto& c : cases) {
    auto pc = PcWithMode(640, 480);
    c.write(*pc);
    const Signal s = AnalyzeSignal(pc->card());
    if (c.expected == nullptr) {
      EXPECT_TRUE(s.contradictions.empty()) << c.name << ": " << Joined(s.contradictions);
    } else {
      EXPECT_TRUE(Mentions(s, c.expected)) << c.name << ": " << Joined(s.contradictions);
    }
    EXPECT_EQ(s.has_signal(), c.signal) << c.name;
  }
}

TEST(Analyzer, ZeroTotalsAndZeroClockInAHandBuiltTiming) {
  CrtcTiming t = PalLike();
  t.h_total = 0;
  t.v_total = 0;
  t.clock_hz = 0;
  const Signal s = AnalyzeTiming(t);
  EXPECT_TRUE(Mentions(s, "horizontal total is zero")) << Joined(s.contradictions);
  EXPECT_TRUE(Mentions(s, "vertical total is zero")) << Joined(s.contradictions);
  EXPECT_TRUE(Mentions(s, "no pixel clock")) << Joined(s.contradictions);
  EXPECT_FALSE(s.has_signal());
}

bool Finite(const Signal& s) {
  for (double v :
       {s.pixel_clock_hz, s.line_period_us, s.line_rate_hz, s.hsync_width_us, s.h_display_us,
        s.h_blank_us, s.lines_per_field, s.field_rate_hz, s.frame_rate_hz}) {
    if (!std::isfinite(v) || v < 0) return false;
  }
  return true;
}

TEST(Analyzer, RandomRegistersNeverBreakIt) {
  std::mt19937 rng(20240611);
  std::uniform_int_distribution<int> byte(0, 255);
  auto pc = PcWithMode(640, 480);
  testing::Unprotect(*pc);
  for (int round = 0; round < 3000; ++round) {
    for (int i = 0; i < 8; ++i) {
      WriteReg(*pc, 0x3D4, static_cast<uint8_t>(byte(rng) % 0x19), static_cast<uint8_t>(byte(rng)));
    }
    WriteReg(*pc, 0x3C4, static_cast<uint8_t>(byte(rng) % 5), static_cast<uint8_t>(byte(rng)));
    if (round % 7 == 0) pc->OutByte(0x3C2, static_cast<uint8_t>(byte(rng) | 0x01));
    WriteReg(*pc, 0x3D4, 0x11, static_cast<uint8_t>(pc->card().Peek(RegFile::kCrtc, 0x11) & 0x7F));

    const Signal s = AnalyzeSignal(pc->card());
    ASSERT_TRUE(Finite(s)) << "round " << round;
    // The clock select decides alone whether there can be a signal on this card.
    const int select = (pc->card().PeekMisc() >> 2) & 3;
    ASSERT_EQ(s.has_signal(), select < 2) << "round " << round;
    ASSERT_EQ(Mentions(s, "does not exist"), select >= 2) << "round " << round;
    // Register values are bounded, so are the derived positions.
    ASSERT_GE(s.chars_per_line, 5);
    ASSERT_LE(s.chars_per_line, 260);
    ASSERT_LE(s.lines_per_field, 2 * 1025);
    ASSERT_GE(s.h_blank_end_char, s.h_blank_start_char) << "round " << round;
    ASSERT_GE(s.v_sync_end_line, s.v_sync_start_line) << "round " << round;
    // And the Input Status path copes with whatever came out.
    pc->InByte(0x3DA);
  }
}

TEST(Analyzer, GarbageHandBuiltTimingsNeverBreakIt) {
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> any(-100000, 2000000);
  std::uniform_int_distribution<int> small(-3, 40);
  for (int round = 0; round < 20000; ++round) {
    CrtcTiming t;
    t.clock_hz = any(rng) * 100.0;
    t.clock_divisor = small(rng);
    t.dots_per_char = small(rng);
    t.h_units_per_char = small(rng);
    t.h_total = any(rng);
    t.h_display = any(rng);
    t.h_blank_start = any(rng);
    t.h_blank_end = any(rng);
    t.h_blank_end_bits = small(rng);
    t.h_sync_start = any(rng);
    t.h_sync_end = any(rng);
    t.h_sync_end_bits = small(rng);
    t.v_total = any(rng);
    t.v_display = any(rng);
    t.v_blank_start = any(rng);
    t.v_blank_end = any(rng);
    t.v_blank_end_bits = small(rng);
    t.v_sync_start = any(rng);
    t.v_sync_end = any(rng);
    t.v_sync_end_bits = small(rng);
    t.max_scan_line = small(rng);
    t.count_by_two = (round & 1) != 0;
    t.interlaced = (round & 2) != 0;
    t.v_frame_lines = (round & 4) != 0;
    t.double_scan = (round & 8) != 0;
    const Signal s = AnalyzeTiming(t);
    ASSERT_TRUE(Finite(s)) << "round " << round;
    ASSERT_GE(s.memory_rows_per_field, 0) << "round " << round;
    if (t.h_total <= 0) {
      ASSERT_TRUE(Mentions(s, "horizontal total is zero")) << "round " << round;
    }
    if (t.clock_divisor < 1) {
      ASSERT_TRUE(Mentions(s, "divisor")) << "round " << round;
    }
    if (s.has_signal()) {
      const Raster raster(s);
      raster.Status(static_cast<uint64_t>(round) * 977'000'000ULL);
    }
  }
}

}  // namespace
}  // namespace zanvo::virt
