// The display driver's desktop modes, judged on the signal the card then produces.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>

#include "virtual_test_util.h"

namespace zanvo::virt {
namespace {

using testing::Hex;
using testing::PcWithMode;
using testing::WriteReg;

struct ModeCase {
  uint16_t width, height;
  double line_khz, field_hz;  // worked out from the mode's clock and totals
  int dots, columns, lines, memory_rows;
  bool hsync_positive, vsync_positive;
};

// 25.175 MHz / 800 dots = 31.469 kHz; 28.322 MHz / 900 dots = 31.469 kHz. The derived modes run
// at 28.322 MHz (512x384 at 25.175 MHz) with a quarter of the columns added for blanking and
// 3/32 of the lines for the vertical interval.
const ModeCase kModes[] = {
    {320, 200, 31.469, 70.086, 8, 80, 400, 200, false, true},
    // The game sizes scanned twice: 640x480's and 800x600's timings.
    {320, 240, 31.469, 59.940, 8, 80, 480, 240, false, false},
    {400, 300, 28.322, 43.174, 8, 100, 600, 300, true, true},
    {512, 384, 39.336, 93.657, 8, 64, 384, 384, true, true},
    {640, 400, 31.469, 70.086, 8, 80, 400, 400, false, true},
    {640, 480, 31.469, 59.940, 8, 80, 480, 480, false, false},
    {720, 400, 31.469, 70.087, 9, 80, 400, 400, false, true},
    {768, 576, 29.502, 46.829, 8, 96, 576, 576, true, true},
    {800, 600, 28.322, 43.174, 8, 100, 600, 600, true, true},
    {848, 480, 26.820, 51.086, 8, 106, 480, 480, true, true},
    {960, 600, 23.602, 35.978, 8, 120, 600, 600, true, true},
    {1024, 768, 22.127, 26.341, 8, 128, 768, 768, true, true},
    {1056, 480, 21.456, 40.869, 8, 132, 480, 480, true, true},
    {1152, 864, 19.668, 20.813, 8, 144, 864, 864, true, true},
    {1280, 1024, 17.701, 15.805, 8, 160, 1024, 1024, true, true},
    {1600, 1200, 14.161, 10.793, 8, 200, 1200, 1200, true, true},
};

bool Near(double value, double expected) {
  return std::fabs(value / expected - 1.0) < 2e-4;
}

TEST(DisplayDriver, EachDesktopModeGivesItsMonitorTiming) {
  ASSERT_EQ(DesktopModes().size(), std::size(kModes));
  for (const ModeCase& c : kModes) {
    const std::string label = std::to_string(c.width) + "x" + std::to_string(c.height);
    auto pc = PcWithMode(c.width, c.height);
    const Signal s = AnalyzeSignal(pc->card());
    EXPECT_TRUE(s.has_signal()) << label;
    EXPECT_TRUE(s.contradictions.empty()) << label << ": " << s.contradictions.front();
    EXPECT_TRUE(Near(s.line_rate_hz / 1e3, c.line_khz)) << label << " line " << s.line_rate_hz;
    EXPECT_TRUE(Near(s.field_rate_hz, c.field_hz)) << label << " field " << s.field_rate_hz;
    EXPECT_EQ(s.dots_per_char, c.dots) << label;
    EXPECT_EQ(s.display_chars, c.columns) << label;
    EXPECT_EQ(s.display_lines_per_field, c.lines) << label;
    EXPECT_EQ(s.memory_rows_per_field, c.memory_rows) << label;
    EXPECT_EQ(s.double_scan, c.memory_rows * 2 == c.lines) << label;
    EXPECT_FALSE(s.interlaced) << label;
    EXPECT_EQ(s.hsync_positive, c.hsync_positive) << label;
    EXPECT_EQ(s.vsync_positive, c.vsync_positive) << label;
    // The engine reads the columns from CR01 and the lines from CR12/CR07 (doubled by CR17
    // bit 2): both must describe the desktop.
    const VgaCard& card = pc->card();
    EXPECT_EQ(card.Peek(RegFile::kCrtc, 0x01) + 1, c.columns) << label;
    const uint8_t overflow = card.Peek(RegFile::kCrtc, 0x07);
    int lines =
        card.Peek(RegFile::kCrtc, 0x12) + ((overflow & 0x02) << 7) + ((overflow & 0x40) << 3) + 1;
    if (card.Peek(RegFile::kCrtc, 0x17) & 0x04) lines *= 2;
    EXPECT_EQ(lines, c.lines) << label;
    EXPECT_EQ(card.Peek(RegFile::kCrtc, 0x11) & 0x80, 0x80) << label << ": CR11 protection";
    EXPECT_EQ(card.Peek(RegFile::kCrtc, 0x13), c.width / 8) << label << ": offset";
  }
}

struct BiosRegisterCase {
  uint16_t width, height;
  bool misc;  // the register is the Miscellaneous Output rather than a CRTC index
  uint8_t index;
  uint8_t expected;
};

TEST(DisplayDriver, BiosModesHoldTheBiosRegisterValues) {
  const BiosRegisterCase cases[] = {
      {640, 480, true, 0, 0xE3},       {640, 480, false, 0x00, 0x5F},
      {640, 480, false, 0x03, 0x82},   {640, 480, false, 0x05, 0x80},
      {640, 480, false, 0x06, 0x0B},   {640, 480, false, 0x07, 0x3E},
      {640, 480, false, 0x09, 0x40},   {640, 480, false, 0x10, 0xEA},
      {640, 480, false, 0x11, 0x8C},   {640, 480, false, 0x12, 0xDF},
      {640, 480, false, 0x15, 0xE7},   {640, 480, false, 0x16, 0x04},
      {640, 480, false, 0x17, 0xA3},   {320, 200, true, 0, 0x63},
      {320, 200, false, 0x06, 0xBF},   {320, 200, false, 0x07, 0x1F},
      {320, 200, false, 0x09, 0x41},   {320, 200, false, 0x10, 0x9C},
      {320, 200, false, 0x11, 0x8E},   {320, 200, false, 0x12, 0x8F},
      {320, 200, false, 0x13, 0x28},   {320, 200, false, 0x15, 0x96},
      {320, 200, false, 0x16, 0xB9},   {720, 400, true, 0, 0x67},
      {720, 400, false, 0x04, 0x55},   {720, 400, false, 0x05, 0x81},
      {1280, 1024, false, 0x17, 0xA7}, {1600, 1200, false, 0x17, 0xA7},
      {1152, 864, false, 0x17, 0xA3},
  };
  for (const auto& c : cases) {
    auto pc = PcWithMode(c.width, c.height);
    const uint8_t value = c.misc ? pc->card().PeekMisc() : pc->card().Peek(RegFile::kCrtc, c.index);
    EXPECT_EQ(value, c.expected) << c.width << "x" << c.height << " "
                                 << (c.misc ? std::string("misc") : "CR" + Hex(c.index)) << " is "
                                 << Hex(value);
  }
  // SR01: 8-dot characters except the 720-dot mode.
  EXPECT_EQ(PcWithMode(640, 480)->card().Peek(RegFile::kSequencer, 0x01), 0x01);
  EXPECT_EQ(PcWithMode(720, 400)->card().Peek(RegFile::kSequencer, 0x01), 0x00);
}

TEST(DisplayDriver, ModesTheDriverLacksAreRefusedAndWriteNothing) {
  const DesktopMode missing[] = {{1000, 700}, {640, 350}, {0, 0}, {1600, 1201}};
  for (const auto& mode : missing) {
    auto pc = PcWithMode(640, 480);
    const uint8_t cr00 = pc->card().Peek(RegFile::kCrtc, 0x00);
    EXPECT_FALSE(SetDesktopMode(pc->card(), mode.width, mode.height)) << mode.width;
    EXPECT_EQ(pc->card().Peek(RegFile::kCrtc, 0x00), cr00);
    EXPECT_EQ(pc->card().current_mode().width, 640);
  }
}

struct ResetCase {
  const char* name;
  uint16_t width, height;
  std::function<void(PortIo&)> scribble;
};

TEST(DisplayDriver, ResetCurrentModeUndoesEverythingWrittenSince) {
  const ResetCase cases[] = {
      {"TV horizontal timing", 640, 480,
       [](PortIo& io) {
         testing::Unprotect(io);
         for (uint8_t i = 0; i <= 5; ++i)
           WriteReg(io, 0x3D4, i, 0x11);
       }},
      {"clock, polarity and halving", 640, 480,
       [](PortIo& io) {
         io.OutByte(0x3C2, 0x27);
         io.OutWord(0x3C4, 0x0000);
         io.OutWord(0x3C4, 0x0901);
         io.OutWord(0x3C4, 0x0300);
       }},
      {"double scan removed", 320, 200, [](PortIo& io) { WriteReg(io, 0x3D4, 0x09, 0x40); }},
      {"count by two removed", 1280, 1024, [](PortIo& io) { WriteReg(io, 0x3D4, 0x17, 0xA3); }},
      {"vertical timing and offset", 800, 600,
       [](PortIo& io) {
         for (uint8_t i : {0x06, 0x07, 0x10, 0x11, 0x12, 0x13, 0x15, 0x16}) {
           WriteReg(io, 0x3D4, i, 0x22);
         }
       }},
      {"attribute mode and mono addressing", 720, 400,
       [](PortIo& io) {
         io.InByte(0x3DA);
         io.OutByte(0x3C0, 0x30);
         io.OutByte(0x3C0, 0x04);
         io.OutByte(0x3C2, 0x66);
       }},
  };
  for (const auto& c : cases) {
    auto pc = PcWithMode(c.width, c.height);
    VgaCard& card = pc->card();
    std::array<std::array<uint8_t, 256>, 4> before{};
    for (int f = 0; f < 4; ++f) {
      for (int i = 0; i < 256; ++i) {
        before[f][i] = card.Peek(static_cast<RegFile>(f), static_cast<uint8_t>(i));
      }
    }
    const uint8_t misc_before = card.PeekMisc();
    const Signal signal_before = AnalyzeSignal(card);

    c.scribble(*pc);
    bool changed = card.PeekMisc() != misc_before;
    for (int f = 0; f < 4; ++f) {
      for (int i = 0; i < 256; ++i) {
        changed |= card.Peek(static_cast<RegFile>(f), static_cast<uint8_t>(i)) != before[f][i];
      }
    }
    ASSERT_TRUE(changed) << c.name << ": the writes changed nothing";

    ResetCurrentMode(card);
    EXPECT_EQ(card.PeekMisc(), misc_before) << c.name;
    for (int f = 0; f < 4; ++f) {
      for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(card.Peek(static_cast<RegFile>(f), static_cast<uint8_t>(i)), before[f][i])
            << c.name << ": file " << f << " index " << Hex(i);
      }
    }
    const Signal after = AnalyzeSignal(card);
    EXPECT_DOUBLE_EQ(after.line_rate_hz, signal_before.line_rate_hz) << c.name;
    EXPECT_DOUBLE_EQ(after.field_rate_hz, signal_before.field_rate_hz) << c.name;
  }
}

TEST(CardCatalog, MakesEveryNamedCardAndNothingElse) {
  ASSERT_FALSE(CardNames().empty());
  EXPECT_EQ(CardNames()[0], "vga");
  for (const std::string_view name : CardNames()) {
    auto named = MakeCard(name);
    ASSERT_NE(named, nullptr) << name;
    EXPECT_EQ(named->name(), name);
  }
  auto card = MakeCard("vga");
  ASSERT_NE(card, nullptr);
  EXPECT_EQ(card->family(), 1);
  EXPECT_EQ(card->model(), 0);
  EXPECT_EQ(card->name(), "vga");
  // Power-on: 80x25 text, 9-dot characters 16 lines high, 31.47 kHz / 70 Hz.
  const Signal s = AnalyzeSignal(*card);
  EXPECT_TRUE(s.contradictions.empty());
  EXPECT_TRUE(Near(s.line_rate_hz, 31469.0));
  EXPECT_TRUE(Near(s.field_rate_hz, 70.087));
  EXPECT_EQ(s.display_chars, 80);
  EXPECT_EQ(s.memory_rows_per_field, 25);
  EXPECT_EQ(s.scan_lines_per_row, 16);

  EXPECT_EQ(MakeCard("VGA"), nullptr);
  EXPECT_EQ(MakeCard("s3"), nullptr);
  EXPECT_EQ(MakeCard(""), nullptr);
}

}  // namespace
}  // namespace zanvo::virt
