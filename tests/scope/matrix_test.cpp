// The compatibility matrix: what a user of each card gets, its printed forms, and the checked-in
// page that must never go stale.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "engine/chip_codes.h"
#include "engine/field_check.h"
#include "matrix.h"
#include "matrix_report.h"
#include "scope_main.h"
#include "scope_session.h"
#include "standard_targets.h"

namespace zanvo::scope {
namespace {

const MatrixCell* FindCell(const Matrix& m, const std::string& card, uint16_t width,
                           uint16_t height, uint8_t standard, bool interlace_allowed) {
  for (const MatrixCell& c : m.cells) {
    if (c.card == card && c.width == width && c.height == height && c.standard == standard &&
        c.interlace_allowed == interlace_allowed) {
      return &c;
    }
  }
  return nullptr;
}

TEST(Matrix, CellsGiveTheOutcomeTheProgramLeaves) {
  const std::vector<std::string> cards{"vga", "s3-trio64", "tseng-et3000"};
  const Matrix m = RunMatrix(cards);
  struct Case {
    const char* card;
    uint16_t width, height;
    uint8_t standard;
    bool interlace_allowed;
    MatrixOutcome outcome;
    double line_khz, field_hz;  // what the card sends afterwards; 0: the monitor mode's rates
    int lines;
    const char* reason_part;
  };
  const Case cases[] = {
      {"vga", 640, 480, engine::vsPAL, true, MatrixOutcome::kExact, 15.63, 50.0, 240, ""},
      {"s3-trio64", 800, 600, engine::vsNTSC, false, MatrixOutcome::kExact, 15.73, 59.9, 257, ""},
      // Refused after the line timings were written: the monitor's 800x600 is back.
      {"s3-trio64", 800, 600, engine::vsNTSC, true, MatrixOutcome::kRefused, 0, 0, 600,
       "line count"},
      {"s3-trio64", 512, 384, engine::vs24kHz, true, MatrixOutcome::kRefused, 0, 0, 384, "width"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.card) + " " + std::to_string(c.width) + "x" +
                 std::to_string(c.height) + " " + std::to_string(c.standard));
    const MatrixCell* cell =
        FindCell(m, c.card, c.width, c.height, c.standard, c.interlace_allowed);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->outcome, c.outcome) << OutcomeName(cell->outcome);
    if (c.line_khz > 0) {
      EXPECT_NEAR(cell->line_hz / 1000.0, c.line_khz, 0.1);
      EXPECT_NEAR(cell->field_hz, c.field_hz, 0.5);
    } else {
      ScopeOptions vga;
      vga.card = c.card;
      vga.width = c.width;
      vga.height = c.height;
      ScopeReport monitor;
      std::string error;
      ASSERT_TRUE(RunScope(vga, monitor, error)) << error;
      EXPECT_DOUBLE_EQ(cell->line_hz, monitor.monitor.line_rate_hz);
      EXPECT_DOUBLE_EQ(cell->field_hz, monitor.monitor.field_rate_hz);
    }
    EXPECT_EQ(cell->lines, c.lines);
    EXPECT_NE(cell->reason.find(c.reason_part), std::string::npos) << cell->reason;
  }

  // Every card offers its modes under three standards, interlace allowed and not; the summary
  // counts every cell once.
  for (const CardSummary& s : m.cards) {
    const auto cells = std::count_if(m.cells.begin(), m.cells.end(),
                                     [&](const MatrixCell& c) { return c.card == s.card; });
    EXPECT_EQ(s.exact + s.locks + s.off + s.refused, cells) << s.card;
    EXPECT_EQ(cells % 6, 0) << s.card;
  }
  // An off cell is one whose rates miss the standard, or whose registers contradict themselves
  // (a sync past the total or outside its blank, which the reason then names).
  for (const MatrixCell& c : m.cells) {
    if (c.outcome != MatrixOutcome::kOff) continue;
    const virt::StandardRates target = RatesOfStandard(c.standard);
    const bool rates_miss = std::abs(c.line_hz / target.line_hz - 1) > virt::kLockLineTolerance ||
                            std::abs(c.field_hz / target.field_hz - 1) > virt::kLockFieldTolerance;
    const bool contradicted = c.reason.find("past total") != std::string::npos ||
                              c.reason.find("outside blank") != std::string::npos;
    EXPECT_TRUE(rates_miss || contradicted)
        << c.card << " " << c.width << "x" << c.height << " " << c.line_hz << " Hz: " << c.reason;
  }
}

// No run is left half-switched: whatever is not exact, locks or refused misses the standard for
// a reason the chip's registers give, which the matrix names.
TEST(Matrix, EveryOffCellNamesItsCause) {
  const Matrix m = RunMatrix({});
  for (const MatrixCell& c : m.cells) {
    if (c.outcome != MatrixOutcome::kOff) continue;
    EXPECT_FALSE(c.reason.empty()) << c.card << " " << c.width << "x" << c.height << " "
                                   << int{c.standard} << (c.interlace_allowed ? "" : " ni");
  }
}

// The final outcome is the program's: a cell whose field the check timed outside the guard band,
// or whose vertical retrace never came, is refused; every other cell keeps the engine's outcome,
// and what the check timed is what the analyzer says the switch sent.
TEST(Matrix, FinalOutcomesFollowTheMeasuredField) {
  const std::vector<std::string> cards{"s3-trio64", "tseng-et3000", "ati-mach64", "intel-i740"};
  const Matrix m = RunMatrix(cards);
  int refused_measured = 0, kept_off = 0, no_retrace = 0;
  for (const MatrixCell& c : m.cells) {
    SCOPED_TRACE(c.card + " " + std::to_string(c.width) + "x" + std::to_string(c.height) + " " +
                 std::to_string(c.standard) + (c.interlace_allowed ? "" : " ni"));
    if (c.outcome == MatrixOutcome::kRefused) {
      EXPECT_EQ(c.final_outcome, MatrixOutcome::kRefused);
      EXPECT_EQ(c.measured_field_hz, 0.0) << "no check after a refusal for want of a row";
      continue;
    }
    if (c.final_outcome == MatrixOutcome::kRefusedMeasured) ++refused_measured;
    if (c.measured_field_hz == 0) {
      // A vertical sync past the field's total: no retrace to time.
      EXPECT_EQ(c.final_outcome, MatrixOutcome::kRefusedMeasured);
      ++no_retrace;
      continue;
    }
    EXPECT_NEAR(c.measured_field_hz / c.field_hz, 1.0, 0.01) << c.measured_field_hz;
    const double target = c.standard == engine::vsPAL    ? 50.0
                          : c.standard == engine::vsNTSC ? 59.94
                                                         : 57.53;
    if (std::abs(c.field_hz / target - 1) > engine::kFieldGuardBand) {
      EXPECT_EQ(c.outcome, MatrixOutcome::kOff) << "a field outside the band never locks";
      EXPECT_EQ(c.final_outcome, MatrixOutcome::kRefusedMeasured);
    } else {
      EXPECT_EQ(c.final_outcome, c.outcome) << OutcomeName(c.final_outcome);
      if (c.outcome == MatrixOutcome::kOff) ++kept_off;
    }
  }
  // Halved clocks on the Trio64, doubled on the ET3000, the Mach64's fixed clock 12% too fast
  // for the 24 kHz rows; none is left off, and every retrace came.
  EXPECT_GT(refused_measured, 40);
  EXPECT_EQ(no_retrace, 0);
  EXPECT_EQ(kept_off, 0);
  int summed = 0;
  for (const CardSummary& s : m.cards)
    summed += s.refused_measured;
  EXPECT_EQ(summed, refused_measured);
}

// What reaches the set either locks or is the monitor mode back after a refusal: no cell of any
// card ends off, and the field check refuses nothing that locks.
TEST(Matrix, NoOffCellReachesTheSet) {
  const Matrix m = RunMatrix({});
  for (const MatrixCell& c : m.cells) {
    SCOPED_TRACE(c.card + " " + std::to_string(c.width) + "x" + std::to_string(c.height) + " " +
                 std::to_string(c.standard) + (c.interlace_allowed ? "" : " ni") + ": " +
                 c.reason);
    EXPECT_NE(c.final_outcome, MatrixOutcome::kOff) << c.line_hz << " Hz / " << c.field_hz;
    if (c.outcome == MatrixOutcome::kExact || c.outcome == MatrixOutcome::kLocks) {
      EXPECT_EQ(c.final_outcome, c.outcome) << "measured " << c.measured_field_hz << " Hz";
    }
  }
}

TEST(Matrix, PrintedFormsCarryEveryCell) {
  const std::vector<std::string> cards{"s3-trio64"};
  const Matrix m = RunMatrix(cards);

  std::ostringstream csv;
  PrintMatrixCsv(m, csv);
  const std::string text = csv.str();
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), static_cast<long>(m.cells.size()) + 1);
  EXPECT_EQ(text.rfind("card,width,height,standard,interlace_allowed,outcome", 0), 0u);
  EXPECT_NE(text.find("s3-trio64,800,600,ntsc,1,refused,"), std::string::npos);
  // The engine's off beside the program's refusal, with the field the check timed.
  EXPECT_NE(text.find("s3-trio64,1024,768,pal,1,off,"), std::string::npos);
  EXPECT_NE(text.find("refused (measured),24.9"), std::string::npos);

  const nlohmann::json j = MatrixToJson(m);
  ASSERT_EQ(j["cells"].size(), m.cells.size());
  EXPECT_EQ(j["cards"][0]["card"], "s3-trio64");
  EXPECT_EQ(j["cards"][0]["exact"].get<int>() + j["cards"][0]["locks"].get<int>() +
                j["cards"][0]["off"].get<int>() + j["cards"][0]["refused"].get<int>(),
            static_cast<int>(m.cells.size()));
}

// docs/compatibility.md is what `zanvo-scope --matrix --markdown` prints, byte for byte.
TEST(Matrix, CheckedInPageIsWhatTheToolGenerates) {
  std::ifstream file(std::string(ZANVO_SOURCE_DIR) + "/docs/compatibility.md");
  ASSERT_TRUE(file) << "docs/compatibility.md is missing";
  std::stringstream checked_in;
  checked_in << file.rdbuf();

  std::vector<const char*> args{"zanvo-scope", "--matrix", "--markdown"};
  std::ostringstream out, err;
  ASSERT_EQ(ScopeMain(static_cast<int>(args.size()), args.data(), out, err), 0) << err.str();
  EXPECT_TRUE(checked_in.str() == out.str())
      << "docs/compatibility.md is stale: regenerate it with zanvo-scope --matrix --markdown";
}

}  // namespace
}  // namespace zanvo::scope
