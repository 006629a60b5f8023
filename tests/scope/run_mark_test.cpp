// A single zanvo-scope run carries the compatibility matrix's mark for its card, mode and
// standard, in the text and the JSON, the same as the matrix's cell.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/chip_codes.h"
#include "scope_session.h"
#include "matrix.h"
#include "platform/virtual/card_catalog.h"
#include "platform/virtual/display_driver.h"
#include "platform/virtual/signal/picture.h"
#include "platform/virtual/tv/test_card.h"
#include "platform/virtual/tv/tv_render.h"
#include "platform/virtual/virtual_pc.h"
#include "scope_options.h"
#include "scope_run.h"

namespace zanvo::scope {
namespace {

struct MarkCase {
  const char* card;
  const char* mode;
  uint8_t standard;
  bool no_interlace;
  const char* outcome;
  const char* final_outcome;
  bool computed = false;  // with computed timings on: the cell's computed outcome and reason
  // Refused with them: what the refusal leaves ("the monitor timings stay" where no row was
  // written, "the display mode is re-set" after the line's row was).
  const char* refusal = "";
};

const MatrixCell* FindCell(const Matrix& matrix, const MarkCase& c) {
  for (const MatrixCell& cell : matrix.cells) {
    // A size without a depth is the driver's 256-colour mode.
    const std::string mode = virt::ModeName({cell.width, cell.height, cell.bits_per_pixel}, false);
    if (mode == c.mode && cell.standard == c.standard && cell.interlace_allowed != c.no_interlace)
      return &cell;
  }
  return nullptr;
}

TEST(ScopeMark, ASingleRunCarriesTheMatrixCellsMark) {
  const MarkCase cases[] = {
      {"s3-trio64", "640x480", engine::vsPAL, false, "exact", "exact"},
      {"cirrus-gd5434", "640x480", engine::vsPAL, false, "locks", "locks"},
      // A clock left undivided: off, and the "Generic" model the switch then tries is exact.
      {"tseng-et4000", "640x480", engine::vsPAL, false, "off", "exact"},
      // Twice the field: off, no sibling is safe on the 6326, and the row's own clock is exact.
      {"sis-6326", "640x480", engine::vsNTSC, false, "off", "exact"},
      // The vertical bits 8-11 in CR30-CR33 follow CR07 while the extended CRTC is on.
      {"intel-i740", "800x600", engine::vsNTSC, true, "exact", "exact"},
      // Skipped lines double the offset past CR13's 8 bits: refused before anything is written.
      {"wd-90c00", "1056x480", engine::vsPAL, true, "refused", "refused"},
      // The 8800BR has no CR29; the 6326 takes offset bits 8-11 in SR0A.
      {"trident-8800br", "1024x768x4", engine::vsPAL, false, "refused", "refused"},
      {"sis-6326", "1024x768", engine::vsPAL, false, "exact", "exact"},
      // Refused with computed timings too: the run names the rule as the matrix does, not the
      // missing table row.
      {"s3-trio64", "640x400x16", engine::vs24kHz, false, "refused", "refused", true,
       "the monitor timings stay"},
      {"s3-trio64", "1024x768x4", engine::vsPAL, true, "refused", "refused", true,
       "the display mode is re-set"},
      {"s3-trio64", "1056x480x32", engine::vsPAL, true, "refused", "refused", true,
       "the display mode is re-set"},
  };
  for (const MarkCase& c : cases) {
    SCOPED_TRACE(std::string(c.card) + " " + c.mode + " " + StandardName(c.standard));
    std::vector<const char*> args = {"--card", c.card,       "--mode",
                                     c.mode,   "--standard", StandardName(c.standard)};
    if (c.no_interlace) args.push_back("--no-interlace");
    if (c.computed) args.push_back("--computed");

    const auto j = RunJson(args);
    EXPECT_EQ(j["mark"]["outcome"], c.outcome);
    EXPECT_EQ(j["mark"]["final"], c.final_outcome);

    const std::vector<std::string> one{c.card};
    const Matrix matrix = RunMatrix(one);
    const MatrixCell* cell = FindCell(matrix, c);
    ASSERT_NE(cell, nullptr);
    const ScopeRun text = RunScopeWith(args);
    ASSERT_EQ(text.status, 0) << text.err;
    if (c.computed) {
      ASSERT_TRUE(cell->computed_outcome.has_value());
      EXPECT_EQ(j["mark"]["final"], OutcomeName(*cell->computed_outcome));
      EXPECT_EQ(j["mark"]["reason"], cell->computed_reason);
      EXPECT_NE(text.out.find(": " + cell->computed_reason + "; refused, " + c.refusal + ".\n"),
                std::string::npos)
          << text.out;
      EXPECT_NE(text.out.find("Mark (as in the compatibility matrix): refused (" +
                              cell->computed_reason + ")\n"),
                std::string::npos)
          << text.out;
      continue;
    }
    EXPECT_EQ(j["mark"]["outcome"], OutcomeName(cell->outcome));
    EXPECT_EQ(j["mark"]["final"], OutcomeName(cell->final_outcome));
    EXPECT_EQ(j["mark"]["reason"], cell->reason);

    const std::string line =
        "Mark (as in the compatibility matrix): " +
        MarkText(cell->outcome, cell->final_outcome, cell->sibling_caption, cell->own_clock) +
        (cell->reason.empty() ? "\n" : " (" + cell->reason + ")\n");
    EXPECT_NE(text.out.find(line), std::string::npos) << text.out;
  }
}

// The registers the engine used to leave for an 8-bit offset at 1056x480 PAL: the skipped
// lines' doubled offset, 264, cut to CR13's 8 bits. The set locks; the desktop does not arrive.
TEST(ScopeMark, ACutStrideIsNamedByTheVerdictTheCaptionAndTheMark) {
  virt::VirtualPc pc(virt::MakeCard("umc-85c408"));
  ASSERT_TRUE(virt::SetDesktopMode(pc.card(), 1056, 480));
  ScopeReport report;
  report.monitor = virt::AnalyzeSignal(pc.card());
  report.mode = pc.card().current_mode();
  const uint8_t crtc[] = {0xAE, 0x83, 0x8C, 0x81, 0x91, 0x1E, 0x37, 0x1D, 0x00, 0x40, 0x20, 0x00,
                          0x00, 0x00, 0x00, 0x00, 0x0A, 0x0E, 0xEF, 0x08, 0x40, 0x07, 0x20, 0xA3};
  pc.OutByte(0x3D4, 0x11);
  pc.OutByte(0x3D5, 0x00);  // CR00-CR07 writable
  for (uint8_t i = 0; i < sizeof crtc; ++i) {
    pc.OutByte(0x3D4, i);
    pc.OutByte(0x3D5, crtc[i]);
  }
  pc.OutByte(0x3C2, 0x23);
  pc.OutByte(0x3C4, 0x01);
  pc.OutByte(0x3C5, 0x00);  // 9-dot characters
  report.applied = report.signal = virt::AnalyzeSignal(pc.card());

  const std::string cut = "line offset 8, the desktop needs 264: CRTC 0x13 holds 8 bits";
  const virt::PictureVerdict verdict =
      virt::JudgePicture(report.signal, virt::DesktopOf(report.monitor));
  EXPECT_FALSE(verdict.whole);
  EXPECT_EQ(verdict.reason, cut);
  const virt::TvPicture picture = virt::RenderTv(report.signal, report.mode, virt::Receiver::kPal,
                                                 virt::DrawTestCard(1056, 480));
  EXPECT_TRUE(picture.locked()) << picture.failure;
  EXPECT_EQ(picture.scrambled, cut);
  const RunMark mark = MarkRun(report, engine::vsPAL);
  EXPECT_EQ(OutcomeName(mark.outcome), std::string("off"));
  EXPECT_EQ(mark.reason, "desktop scrambled: " + cut);

  // Today's engine refuses that fit and names the stride it would have cut.
  const auto j = RunJson(
      {"--card", "umc-85c408", "--mode", "1056x480", "--standard", "pal", "--no-interlace"});
  EXPECT_EQ(j["mark"]["reason"], "line offset 264 needs 9 bits, the chip's offset has 8");
  EXPECT_EQ(j["cut_line_offset"], 264);
}

struct FillRunCase {
  const char* card;
  const char* mode;
  const char* standard;
  bool no_interlace;
  bool computed;
  const char* mark;
  int lines;  // per field
  bool interlaced;
  bool double_scanned;
  // The desktop the set gets: the top rows and the pixels across a line (0: nothing is sent).
  int rows_shown;
  int pixels_shown;
};

// What the set shows: every row once and in order (the block-I/O family's double scan removed),
// a band at half the height marked squashed, and with computed timings the progressive field
// that fills the arcade monitor (a doubled desktop keeping its doubling).
TEST(ScopeMark, ThePictureFillsTheSetWithEveryRowInOrder) {
  const FillRunCase cases[] = {
      // Its game modes are a pixel a dot at half the clock: the PAL row's clock, halved once
      // by the post divider, is twice too fast for them until the row's own clock takes over.
      {"ati-mach64", "320x200", "pal", false, false, "off -> exact (own clock)", 200, false, false,
       200, 320},
      {"ati-mach64", "320x200", "pal", true, false, "off -> exact (own clock)", 200, false, false,
       200, 320},
      {"ati-mach64", "320x200", "ntsc", false, false, "off -> locks (own clock)", 200, false,
       false, 200, 320},
      {"ati-mach64", "400x300", "pal", false, false, "off -> exact (own clock)", 294, false, false,
       294, 376},
      {"s3-trio64", "640x400", "24khz", false, false, "squashed", 200, true, false, 400, 640},
      {"s3-trio64", "640x400", "24khz", false, true, "exact (computed)", 400, false, false, 400,
       640},
      {"s3-trio64", "512x384", "24khz", false, true, "exact (computed)", 384, false, false, 384,
       512},
      {"vga", "320x200", "24khz", false, true, "exact (computed)", 400, false, true, 200, 320},
      // Every other row of 600 on 257 lines: the foot (rows 514-599, the taskbar) and 40 pixels
      // at the right edge do not reach the set, and the mark is exact all the same.
      {"s3-trio64", "800x600", "ntsc", true, false, "exact", 257, false, false, 514, 760},
      // Refused, measured or not: the monitor timings stay, no picture of the standard is sent.
      {"cirrus-gd5434", "640x480x24", "24khz", false, false, "off -> refused (measured)", 480,
       false, false, 0, 0},
      {"wd-90c00", "1056x480", "pal", true, false, "refused", 480, false, false, 0, 0},
  };
  for (const FillRunCase& c : cases) {
    SCOPED_TRACE(std::string(c.card) + " " + c.mode + " " + c.standard +
                 (c.no_interlace ? " ni" : "") + (c.computed ? " computed" : ""));
    std::vector<const char*> args = {"--card", c.card, "--mode", c.mode, "--standard",
                                     c.standard};
    if (c.no_interlace) args.push_back("--no-interlace");
    if (c.computed) args.push_back("--computed");
    const ScopeRun text = RunScopeWith(args);
    const bool refused = std::string(c.mark).find("refused") != std::string::npos;
    const std::string mark = std::string("Mark (as in the compatibility matrix): ") + c.mark;
    const size_t at = text.out.find(mark);
    ASSERT_NE(at, std::string::npos) << text.out;
    const std::string after = text.out.substr(at + mark.size(), 16);
    EXPECT_TRUE(std::string(c.mark).find("squashed") == 0 ? after.find(" (picture fills ") == 0
                : refused                                 ? after.find(" (") == 0
                                                          : after[0] == '\n' || after[0] == ' ')
        << text.out;
    EXPECT_EQ(text.out.find("Picture on the set:") == std::string::npos, refused) << text.out;
    const nlohmann::json j = RunJson(args);
    EXPECT_EQ(j["mark"]["shown"]["rows"], c.rows_shown);
    EXPECT_EQ(j["mark"]["shown"]["pixels"], c.pixels_shown);
    EXPECT_EQ(text.out.find("Desktop shown: the top " + std::to_string(c.rows_shown) + " of") ==
                  std::string::npos,
              refused)
        << text.out;
    if (refused) {
      EXPECT_EQ(j["mark"]["fill"]["height"].get<double>(), 0.0);
      EXPECT_EQ(j["mark"]["fill"]["width"].get<double>(), 0.0);
    }
    EXPECT_EQ(j["signal"]["display_lines_per_field"], c.lines);
    EXPECT_EQ(j["signal"]["interlaced"], c.interlaced);
    EXPECT_EQ(j["signal"]["double_scan"], c.double_scanned);
    // A progressive field of 384 lines or more sent to the arcade monitor fills its visible 353.
    if (c.lines >= 384 && !refused) {
      EXPECT_GE(j["mark"]["fill"]["height"].get<double>(), 1.0);
    }
    if (std::string(c.mark) == "squashed") {
      EXPECT_LT(j["mark"]["fill"]["height"].get<double>(), 0.6);
    }
  }
}

TEST(ScopeMark, MonitorTimingsHaveNoMark) {
  EXPECT_TRUE(RunJson({"--standard", "vga"})["mark"].is_null());
  const ScopeRun text = RunScopeWith({"--standard", "vga"});
  EXPECT_EQ(text.out.find("Mark"), std::string::npos) << text.out;
}

}  // namespace
}  // namespace zanvo::scope
