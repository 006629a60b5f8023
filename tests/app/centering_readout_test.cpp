// The arrow buttons and the scan-frequency readout of the main window.

#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <string>
#include <string_view>

#include "engine/chip_codes.h"
#include "engine/engine_state.h"
#include "platform/virtual/card_catalog.h"
#include "tv_scenario.h"

namespace zanvo::testing::tv {
namespace {

using engine::Eng;

struct SyncPositions {
  int h_blank_start, h_sync_start, v_blank_start, v_sync_start;
  int h_total, v_total;
};

SyncPositions PositionsOf(ShellHarness& shell) {
  const virt::CrtcTiming t = SignalOf(shell).crtc;
  return {t.h_blank_start, t.h_sync_start, t.v_blank_start, t.v_sync_start, t.h_total, t.v_total};
}

struct ArrowCase {
  const char* name;
  toolkit::Button app::TMain::*button;
  int dh;  // character clocks
  int dv;  // vertical counter units
};

constexpr ArrowCase kArrows[] = {
    {"right", &app::TMain::btnRight, -1, 0},
    {"left", &app::TMain::btnLeft, +1, 0},
    {"up", &app::TMain::btnUp, 0, +1},
    {"down", &app::TMain::btnDown, 0, -1},
};

TEST(Centering, ArrowsMoveTheSyncUnderPalOnly) {
  for (const ArrowCase& c : kArrows) {
    SCOPED_TRACE(c.name);
    StartedShell pc;
    const SyncPositions vga = PositionsOf(pc.shell);
    (pc.w().*c.button).Click();
    const SyncPositions vga_after = PositionsOf(pc.shell);
    EXPECT_EQ(vga_after.h_sync_start, vga.h_sync_start) << "VGA belongs to the driver";
    EXPECT_EQ(vga_after.v_sync_start, vga.v_sync_start);
    EXPECT_EQ(vga_after.h_blank_start, vga.h_blank_start);
    EXPECT_EQ(vga_after.v_blank_start, vga.v_blank_start);

    pc.shell.modal.scripts.push_back(AnswerYes);
    pc.w().chkModePAL.UserClick();
    ASSERT_EQ(Eng.CurrentStandard, engine::vsPAL);
    const SyncPositions pal = PositionsOf(pc.shell);
    (pc.w().*c.button).Click();
    (pc.w().*c.button).Click();
    const SyncPositions moved = PositionsOf(pc.shell);
    EXPECT_EQ(moved.h_sync_start, pal.h_sync_start + 2 * c.dh);
    EXPECT_EQ(moved.h_blank_start, pal.h_blank_start + 2 * c.dh);
    EXPECT_EQ(moved.v_sync_start, pal.v_sync_start + 2 * c.dv);
    EXPECT_EQ(moved.v_blank_start, pal.v_blank_start + 2 * c.dv);
    EXPECT_EQ(moved.h_total, pal.h_total) << "the picture moves, its size stays";
    EXPECT_EQ(moved.v_total, pal.v_total);
    ExpectRates(SignalOf(pc.shell), kPalLineKhz, kPalFieldHz, c.name);

    // A display change re-applies PAL from its tables: the picture is back in place.
    ASSERT_TRUE(pc.shell.display.ChangeResolution(640, 480));
    const SyncPositions again = PositionsOf(pc.shell);
    EXPECT_EQ(again.h_sync_start, pal.h_sync_start);
    EXPECT_EQ(again.v_sync_start, pal.v_sync_start);
  }
}

// "%5.1f Khz" and "%4.0f Hz": the number, right-aligned, then the unit.
double NumberIn(const std::string& text, const std::regex& format) {
  std::smatch m;
  if (!std::regex_match(text, m, format)) return -1.0;
  return std::strtod(m[1].str().c_str(), nullptr);
}

// Every card, on its monitor timings and on a TV standard, shows the line rate it sends: from
// the CRTC's total where that describes the line, counted on the status register where it does
// not (the ATI's block-I/O timing, the interlacing chips that count frame lines in the total).
TEST(Readout, IdleShowsTheRatesTheCardSends) {
  const std::regex h_format(R"( *([0-9]+\.[0-9]) Khz)");
  const std::regex v_format(R"( *([0-9]+) Hz)");
  struct Case {
    const char* name;
    toolkit::RadioButton app::TMain::*standard;  // kept before the readout (none: the monitor)
  };
  const Case cases[] = {
      {"monitor", nullptr}, {"PAL", &app::TMain::chkModePAL}, {"NTSC", &app::TMain::chkModeNTSC}};
  for (const std::string_view card : virt::CardNames()) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(card) + " " + c.name);
      Machine machine;
      ShellHarness shell(machine, std::string(card), 640, 480);
      shell.Start();
      shell.main->btnDetect.Click();
      if (c.standard) {
        shell.modal.scripts.push_back(AnswerYes);
        (shell.main.get()->*c.standard).UserClick();
      }
      shell.Idle();
      const std::string& h = shell.main->editHFreq.text;
      const std::string& v = shell.main->editVFreq.text;
      const virt::Signal s = SignalOf(shell);

      EXPECT_GE(v.size(), 7u) << "'" << v << "' is at least four digits wide";
      EXPECT_NEAR(NumberIn(v, v_format), s.field_rate_hz, 1.0) << "'" << v << "'";
      EXPECT_GE(h.size(), 9u) << "'" << h << "' is at least five characters wide";
      EXPECT_NEAR(NumberIn(h, h_format), s.line_rate_hz / 1000.0, 0.15) << "'" << h << "'";
    }
  }
}

TEST(Readout, ACardWhoseRetraceStoppedLeavesTheLastTexts) {
  StartedShell pc;
  pc.shell.Idle();
  const std::string h = pc.w().editHFreq.text;
  const std::string v = pc.w().editVFreq.text;
  ASSERT_FALSE(h.empty());

  pc.shell.modal.scripts.push_back(AnswerYes);
  pc.w().chkModePAL.UserClick();
  pc.shell.pc.card().FreezeRetrace(true, false);
  pc.shell.Idle();

  EXPECT_EQ(pc.w().editHFreq.text, h) << "the VGA figures stay shown";
  EXPECT_EQ(pc.w().editVFreq.text, v);
}

}  // namespace
}  // namespace zanvo::testing::tv
