// The arrow buttons on every usable cell of the compatibility matrix (exact or locks, a sibling
// model's included): up to 40 clicks of each arrow never take a sync out of its blanking, past
// its total or change its length, on the analyzed signal. Each click either moves both syncs'
// positions by exactly one count or leaves every register as it was, and once a direction has
// stopped it stays stopped.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "chipset/ati_rom_clock.h"
#include "engine/centering.h"
#include "engine/chip_codes.h"
#include "engine/engine_port.h"
#include "engine/engine_state.h"
#include "engine/pci_scan.h"
#include "engine/standards.h"
#include "matrix.h"
#include "platform/virtual/card_catalog.h"
#include "platform/virtual/display_driver.h"
#include "platform/virtual/signal/signal.h"
#include "platform/virtual/virtual_pc.h"

namespace zanvo::fit {
namespace {

using engine::Eng;

constexpr int kClicks = 40;

bool Usable(const scope::MatrixCell& cell) {
  return cell.final_outcome == scope::MatrixOutcome::kExact ||
         cell.final_outcome == scope::MatrixOutcome::kLocks;
}

struct Arrow {
  const char* name;
  void (*click)();
  bool horizontal;
  int step;  // register counts per click
};
constexpr Arrow kArrows[] = {
    {"right", engine::ShiftOutputRight, true, -1},
    {"left", engine::ShiftOutputLeft, true, +1},
    {"up", engine::ScrollOutputUp, false, +1},
    {"down", engine::ScrollOutputDown, false, -1},
};

// The window's switch on the card's own chipset, or the sibling model the switch kept (the
// block-I/O family finds its adapter and reads its ROM clock first).
void ApplyStandard(virt::VirtualPc& pc, const scope::MatrixCell& s) {
  Eng = engine::EngineState{};
  engine::BindPort(pc);
  Eng.ChipFamily = pc.card().family();
  Eng.ChipModel = s.sibling_model.value_or(pc.card().model());
  if (Eng.ChipFamily == engine::cfATI) {
    Eng.ChipModel = 0;
    engine::FindAdapter();
    ASSERT_NE(Eng.ExtIoBase, 0);
    ASSERT_TRUE(chipset::ReadAtiRomClock(pc));
  }
  Eng.InterlaceEnabled = s.interlace_allowed ? 1 : 0;
  engine::SetStandard(s.standard);
  engine::LoadStandardTables(s.standard);
  engine::ApplyStandard();
  ASSERT_TRUE(engine::StandardFitted());
}

int SyncStart(const virt::CrtcTiming& t, bool horizontal) {
  return horizontal ? t.h_sync_start : t.v_sync_start;
}
int BlankStart(const virt::CrtcTiming& t, bool horizontal) {
  return horizontal ? t.h_blank_start : t.v_blank_start;
}
int SyncLength(const virt::Signal& s, bool horizontal) {
  return horizontal ? s.h_sync_end_char - s.h_sync_start_char
                    : s.v_sync_end_line - s.v_sync_start_line;
}
int BlankLength(const virt::Signal& s, bool horizontal) {
  return horizontal ? s.h_blank_end_char - s.h_blank_start_char
                    : s.v_blank_end_line - s.v_blank_start_line;
}

bool SyncEndsWithBlank(const virt::Signal& s, bool horizontal) {
  return horizontal ? s.h_sync_end_char == s.h_blank_end_char
                    : s.v_sync_end_line == s.v_blank_end_line;
}

struct ArrowRun {
  int moved = 0;         // clicks that moved the picture
  bool stopped = false;  // a click left the registers as they were
  virt::Signal last;     // the signal after the last click
};

// Clicks one arrow up to kClicks times and checks the signal after each.
ArrowRun ClickAndCheck(virt::VirtualPc& pc, const Arrow& arrow, const virt::Signal& start) {
  virt::Signal before = start;
  int moved = 0;
  bool stopped = false;
  for (int click = 1; click <= kClicks; ++click) {
    SCOPED_TRACE("click " + std::to_string(click));
    arrow.click();
    const virt::Signal now = virt::AnalyzeSignal(pc.card());

    // What the registers said before the first click may already be wrong (a chip's stale
    // extension bits); a click adds nothing to it.
    for (const std::string& problem : now.contradictions) {
      EXPECT_NE(std::find(start.contradictions.begin(), start.contradictions.end(), problem),
                start.contradictions.end())
          << problem;
    }
    // Across the line the lengths are compared in time: at two clocks a pixel the characters
    // the signal is told in round half a register count either way.
    EXPECT_DOUBLE_EQ(now.hsync_width_us, start.hsync_width_us) << "line sync length";
    EXPECT_EQ(SyncLength(now, false), SyncLength(start, false)) << "field sync length";
    EXPECT_DOUBLE_EQ(now.h_blank_us, start.h_blank_us) << "line blank length";
    EXPECT_EQ(BlankLength(now, false), BlankLength(start, false)) << "field blank length";
    EXPECT_DOUBLE_EQ(now.line_rate_hz, start.line_rate_hz);
    EXPECT_DOUBLE_EQ(now.field_rate_hz, start.field_rate_hz);

    if (now.crtc == before.crtc) {
      stopped = true;
    } else {
      EXPECT_FALSE(stopped) << "a direction that stopped moved again";
      ++moved;
      const bool h = arrow.horizontal;
      EXPECT_EQ(SyncStart(now.crtc, h), SyncStart(before.crtc, h) + arrow.step);
      // The block-I/O CRTC blanks from the display end to the total: its blank stays put.
      if (pc.card().family() != engine::cfATI) {
        EXPECT_EQ(BlankStart(now.crtc, h), BlankStart(before.crtc, h) + arrow.step);
      }
      EXPECT_EQ(SyncStart(now.crtc, !h), SyncStart(before.crtc, !h)) << "the other axis";
    }
    before = now;
  }
  return {moved, stopped, before};
}

TEST(CenteringBounds, FortyClicksOfEachArrowKeepBothSyncsInsideTheirBlanking) {
  const scope::Matrix matrix = scope::RunMatrix({});
  int cells = 0;
  int block_stops = 0;
  for (const scope::MatrixCell& cell : matrix.cells) {
    if (!Usable(cell)) continue;
    ++cells;
    SCOPED_TRACE(cell.card + " " + std::to_string(cell.width) + "x" + std::to_string(cell.height) +
                 "x" + std::to_string(cell.bits_per_pixel) +
                 " standard " + std::to_string(cell.standard) +
                 (cell.interlace_allowed ? "" : " no interlace"));
    int horizontal_moves = 0, vertical_moves = 0;
    for (const Arrow& arrow : kArrows) {
      SCOPED_TRACE(arrow.name);
      virt::VirtualPc pc(virt::MakeCard(cell.card));
      ASSERT_TRUE(virt::SetDesktopMode(pc.card(), {cell.width, cell.height, cell.bits_per_pixel}));
      ApplyStandard(pc, cell);
      const virt::Signal start = virt::AnalyzeSignal(pc.card());
      ASSERT_TRUE(start.has_signal());
      const ArrowRun run = ClickAndCheck(pc, arrow, start);
      (arrow.horizontal ? horizontal_moves : vertical_moves) += run.moved;
      // The block-I/O CRTC blanks up to its total; a sync moving later stops only once it ends
      // exactly there, not a count before.
      if (pc.card().family() == engine::cfATI && arrow.step > 0 && run.stopped) {
        ++block_stops;
        EXPECT_TRUE(SyncEndsWithBlank(run.last, arrow.horizontal));
      }
      engine::UnbindPort();
    }
    // A sync may already end on the last count before its total (NTSC's field sync at
    // 800x600), so one direction can be closed from the start, never both.
    EXPECT_GT(horizontal_moves, 0);
    EXPECT_GT(vertical_moves, 0);
  }
  EXPECT_GT(cells, 500) << "the usable cells of the matrix";
  EXPECT_GT(block_stops, 0);
}

}  // namespace
}  // namespace zanvo::fit
