// The compatibility matrix: what a user of each card gets, its printed forms, and the checked-in
// page that must never go stale.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <fstream>
#include <map>
#include <optional>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "chip_facts.h"
#include "chipset/sibling_models.h"
#include "engine/chip_codes.h"
#include "engine/field_check.h"
#include "matrix.h"
#include "matrix_report.h"
#include "matrix_summary.h"
#include "platform/virtual/card_catalog.h"
#include "platform/virtual/display_driver.h"
#include "scope_main.h"
#include "scope_session.h"
#include "standard_targets.h"
#include "text_format.h"

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
    EXPECT_EQ(s.exact + s.locks + s.squashed + s.off + s.refused, cells) << s.card;
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
  int refused_measured = 0, kept_off = 0, no_retrace = 0, own_clock = 0;
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
      // Refused, unless a sibling model the switch tried measured right (the Trio64's), or
      // after the siblings the row's own clock did.
      // (A recovered signal may still squash the picture into a band: not usable then.)
      if (c.sibling_model || c.own_clock) {
        EXPECT_TRUE(IsUsable(c.final_outcome) || c.final_outcome == MatrixOutcome::kSquashed);
        own_clock += c.own_clock && IsUsable(c.final_outcome) ? 1 : 0;
      } else {
        EXPECT_EQ(c.final_outcome, MatrixOutcome::kRefusedMeasured);
      }
    } else {
      EXPECT_EQ(c.final_outcome, c.outcome) << OutcomeName(c.final_outcome);
      if (c.outcome == MatrixOutcome::kOff) ++kept_off;
    }
  }
  // Doubled clocks on the ET3000, the Mach64's fixed clock 12% too fast for the 24 kHz rows:
  // the row's own clock recovers them (the Trio64's misses are recovered by a sibling); none is
  // left off, and every retrace came. (Fits whose doubled line offset the chip cannot hold
  // are refused before any field is measured.)
  EXPECT_GT(own_clock, 20);
  int summed_own_clock = 0;
  for (const CardSummary& s : m.cards)
    summed_own_clock += s.own_clock;
  EXPECT_EQ(summed_own_clock, own_clock);
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
                 std::to_string(c.standard) + (c.interlace_allowed ? "" : " ni") + ": " + c.reason);
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
  EXPECT_NE(text.find("s3-trio64,800,600,8,ntsc,1,refused,"), std::string::npos);
  // The engine's off beside the program's final outcome, with the field the check timed, and
  // the sibling model that measured right and stays in force, with its field.
  EXPECT_NE(text.find("s3-trio64,1024,768,8,pal,1,off,"), std::string::npos);
  EXPECT_NE(text.find("exact,24.9"), std::string::npos);
  EXPECT_NE(text.find(",\"Vision864/964\",49.9"), std::string::npos);
  EXPECT_EQ(text.rfind("card,width,height,bits_per_pixel,standard,interlace_allowed,outcome,"
                       "line_hz,field_hz,interlaced,lines,reason,final,measured_field_hz,"
                       "kept_model,kept_field_hz,own_clock,own_clock_field_hz,final_line_hz,"
                       "final_field_hz,final_interlaced,final_lines,fill_height,fill_width,shape,"
                       "computed,computed_mark,computed_line_hz,computed_field_hz,"
                       "computed_lines,computed_reason\n",
                       0),
            0u);

  const nlohmann::json j = MatrixToJson(m);
  ASSERT_EQ(j["cells"].size(), m.cells.size());
  EXPECT_EQ(j["cards"][0]["card"], "s3-trio64");
  EXPECT_EQ(j["cards"][0]["exact"].get<int>() + j["cards"][0]["locks"].get<int>() +
                j["cards"][0]["squashed"].get<int>() + j["cards"][0]["off"].get<int>() +
                j["cards"][0]["refused"].get<int>(),
            static_cast<int>(m.cells.size()));
}

// Each cell gives the signal the user ends with and how it got there: after a sibling model or
// the row's own clock took over, that signal's rates, not the missed ones; the same for the
// computed column, whose mark names the recovery.
TEST(Matrix, EveryCellGivesTheFinalSignalAndHowItGotThere) {
  const std::vector<std::string> cards{"s3-trio64", "sis-6326", "tseng-et4000"};
  const Matrix m = RunMatrix(cards);
  const nlohmann::json j = MatrixToJson(m);
  std::ostringstream csv_out;
  PrintMatrixCsv(m, csv_out);
  const std::string csv = csv_out.str();
  int recovered = 0, own_clock = 0, computed_recovered = 0;
  for (size_t i = 0; i < m.cells.size(); ++i) {
    const MatrixCell& c = m.cells[i];
    SCOPED_TRACE(c.card + " " + ModeText(c) + " " + std::to_string(c.standard) +
                 (c.interlace_allowed ? "" : " ni"));
    for (const bool computed : {false, true}) {
      if (computed && !c.computed_outcome) continue;
      ScopeOptions options;
      options.card = c.card;
      options.width = c.width;
      options.height = c.height;
      options.bits_per_pixel = c.bits_per_pixel;
      options.depth_given = true;
      options.standard = c.standard;
      options.no_interlace = !c.interlace_allowed;
      options.computed = computed;
      options.dump_registers = false;
      ScopeReport report;
      std::string error;
      ASSERT_TRUE(RunScope(options, report, error)) << error;
      const RunMark mark = MarkRun(report, c.standard);
      const std::string path = MarkText(mark.outcome, mark.final_outcome, mark.sibling_caption,
                                        mark.own_clock, mark.computed);
      if (computed) {
        EXPECT_DOUBLE_EQ(c.computed_line_hz, report.signal.line_rate_hz);
        EXPECT_DOUBLE_EQ(c.computed_field_hz, report.signal.field_rate_hz);
        EXPECT_EQ(c.computed_mark, path);
        EXPECT_EQ(j["cells"][i]["computed"]["mark"], path);
        computed_recovered += path.find(" -> ") != std::string::npos ? 1 : 0;
      } else {
        EXPECT_DOUBLE_EQ(c.final_line_hz, report.signal.line_rate_hz);
        EXPECT_DOUBLE_EQ(c.final_field_hz, report.signal.field_rate_hz);
        EXPECT_EQ(c.final_lines, report.signal.display_lines_per_field);
        EXPECT_EQ(j["cells"][i]["final_signal"]["field_hz"], c.final_field_hz);
        EXPECT_EQ(c.path, path);
        EXPECT_EQ(j["cells"][i]["path"], path);
        EXPECT_DOUBLE_EQ(c.fill.height, mark.fill.height);
        EXPECT_EQ(j["cells"][i]["fill"]["shape"], mark.fill.shape);
        EXPECT_EQ(c.shown, mark.shown);
        EXPECT_EQ(j["cells"][i]["shown"], ShownJson(mark.shown));
        EXPECT_EQ(report.mode.bits_per_pixel, c.bits_per_pixel);
      }
    }
    if (c.sibling_model || c.own_clock) {
      ++recovered;
      // The engine's signal is the missed one; the final one is what the check passed.
      EXPECT_NE(c.final_field_hz, c.field_hz);
    }
    if (c.own_clock) {
      ++own_clock;
      EXPECT_EQ(j["cells"][i]["own_clock_field_hz"], c.own_clock_field_hz);
      // The CSV's own_clock column and its field, then the final signal's rates.
      EXPECT_NE(csv.find(Format(",1,%.3f,%.1f,%.3f,", c.own_clock_field_hz, c.final_line_hz,
                                c.final_field_hz)),
                std::string::npos);
      EXPECT_NEAR(c.final_field_hz, c.own_clock_field_hz, 0.5);
    } else {
      EXPECT_TRUE(j["cells"][i]["own_clock_field_hz"].is_null());
    }
  }
  EXPECT_GT(recovered, 0);
  EXPECT_GT(own_clock, 0);
  EXPECT_GT(computed_recovered, 0);
  // The rows are the driver's modes, every depth, each under three standards twice.
  for (const std::string& card : cards) {
    std::vector<std::string> offered, run;
    for (const virt::DesktopMode& mode : virt::DriverModes(*virt::MakeCard(card))) {
      for (int i = 0; i < 6; ++i)
        offered.push_back(virt::ModeName(mode));
    }
    for (const MatrixCell& c : m.cells) {
      if (c.card == card) run.push_back(ModeText(c));
    }
    EXPECT_EQ(run, offered) << card;
  }
}

// The page's marks in the cards' tables, in the matrix's cell order, and the cells each list under
// a card's table names ("320x240x8 24 kHz ni" after the card's name) with their text, by the
// list's heading.
struct PageCells {
  std::vector<std::string> marks;
  std::map<std::string, std::map<std::string, std::string>> listed;
};

PageCells ReadPageCells(const std::string& page) {
  PageCells cells;
  std::istringstream in(page);
  std::string line, card, heading;
  while (std::getline(in, line)) {
    if (line.starts_with("### ")) {
      card = line.substr(4, line.find(' ', 4) - 4);
      heading.clear();
    } else if (card.empty()) {
      continue;
    } else if (line.starts_with("| ") && !line.starts_with("| mode")) {
      std::istringstream row(line.substr(line.find('|', 1) + 1));
      std::string mark;
      while (std::getline(row, mark, '|')) {
        if (mark.size() > 2) cells.marks.push_back(mark.substr(1, mark.size() - 2));
      }
    } else if (line.ends_with(":")) {
      heading = line;
    } else if (line.starts_with("- ")) {
      const size_t colon = line.find(": ");
      cells.listed[heading][card + " " + line.substr(2, colon - 2)] = line.substr(colon + 2);
    }
  }
  return cells;
}

// The page shows each cell's whole path: the tables' final path, recovery included, before what
// computed timings make of it; and it lists each cell under the heading of what computed
// timings make of it (refused, or squashed too).
TEST(Matrix, PageShowsEachCellsPathAndListsItUnderItsOutcome) {
  const Matrix m =
      RunMatrix(std::vector<std::string>{"ati-mach64", "tseng-et4000", "s3-trio64", "vga"});
  std::ostringstream page;
  PrintMatrixMarkdown(m, page);
  const PageCells shown = ReadPageCells(page.str());
  ASSERT_EQ(shown.marks.size(), m.cells.size());
  // The text a list gives the cell, or nothing when it does not list it.
  const auto listed = [&](const std::string& heading,
                          const std::string& key) -> std::optional<std::string> {
    const auto list = shown.listed.find(heading);
    if (list == shown.listed.end() || !list->second.contains(key)) return std::nullopt;
    return list->second.at(key);
  };
  int squashed_after_recovery = 0, squashed_too = 0, rows_cut = 0;
  for (size_t i = 0; i < m.cells.size(); ++i) {
    const MatrixCell& c = m.cells[i];
    const std::string key = c.card + " " + ModeText(c) + " " +
                            (c.standard == engine::vsPAL    ? "PAL"
                             : c.standard == engine::vsNTSC ? "NTSC"
                                                            : "24 kHz") +
                            (c.interlace_allowed ? "" : " ni");
    SCOPED_TRACE(key + ": " + shown.marks[i]);
    const bool computed_usable = c.computed_outcome && IsUsable(*c.computed_outcome);
    if (!computed_usable || c.final_outcome != MatrixOutcome::kRefused) {
      EXPECT_TRUE(shown.marks[i].starts_with(c.path));
    }
    if (computed_usable) {
      EXPECT_TRUE(shown.marks[i].ends_with(c.computed_mark));
    }
    const bool computed_squashed = c.computed_outcome == MatrixOutcome::kSquashed;
    EXPECT_EQ(listed("Refused with computed timings too:", key).has_value(),
              c.computed_outcome && !computed_usable && !computed_squashed);
    // A squash, a sibling model's or the own clock's after a miss too, names the picture's size.
    const auto squashed_text = listed("Squashed with computed timings too:", key);
    EXPECT_EQ(squashed_text.has_value(), computed_squashed);
    if (squashed_text) {
      EXPECT_TRUE(squashed_text->starts_with("picture fills")) << *squashed_text;
    }
    squashed_too += computed_squashed ? 1 : 0;
    if (IsUsable(c.final_outcome) && c.shown.rows < c.shown.desktop_rows) ++rows_cut;
    if (computed_usable && c.final_outcome == MatrixOutcome::kSquashed &&
        c.path.find(" -> ") != std::string::npos) {
      ++squashed_after_recovery;
    }
  }
  // The Mach64's and the ET4000's 640x400x8 at 24 kHz; the VGA's 320x240x8 at 24 kHz, the
  // Trio64's 960x600x8 at PAL (squashed as the Vision864/964).
  EXPECT_GE(squashed_after_recovery, 2);
  EXPECT_GE(squashed_too, 3);
  // Whole is from the top: the page owns up to the usable cells whose foot is cut.
  EXPECT_GT(rows_cut, 0);
  EXPECT_NE(page.str().find(Format("Of the usable cells, %d show fewer rows", rows_cut)),
            std::string::npos);
}

// The desktop the summary tells a user to set for each standard is the best the card offers
// there by the page's order: usable with the tables before computed timings only, exact before
// locks, every row shown, a 4:3 desktop, the larger, the deeper; interlace allowed unless only "No interlace"
// gets it.
TEST(Matrix, TheDesktopToSetIsTheBestTheCardOffers) {
  const Matrix m = RunMatrix({});
  int named = 0;
  for (const CardSummary& s : m.cards) {
    for (const uint8_t standard : {engine::vsPAL, engine::vsNTSC, engine::vs24kHz}) {
      SCOPED_TRACE(s.card + " " + std::to_string(standard));
      const std::string chosen = DesktopToSet(m, s.card, standard);
      // Ranks a cell as the order says; higher is better.
      struct Rank {
        bool tables, exact, rows, square;
        long area;
        int depth;
        auto operator<=>(const Rank&) const = default;
      };
      std::optional<Rank> best;
      std::string best_text;
      for (const MatrixCell& c : m.cells) {
        if (c.card != s.card || c.standard != standard) continue;
        const bool tables = IsUsable(c.final_outcome);
        if (!tables && !(c.computed_outcome && IsUsable(*c.computed_outcome))) continue;
        const MatrixOutcome outcome = tables ? c.final_outcome : *c.computed_outcome;
        const int lines = tables ? c.final_lines : c.computed_lines;
        const bool interlaced = tables ? c.final_interlaced : c.computed_interlaced;
        const Rank rank{tables, outcome == MatrixOutcome::kExact,
                        lines * (interlaced ? 2 : 1) >= c.height,
                        std::abs(c.width * 3.0 / (c.height * 4.0) - 1) <= 0.25,
                        static_cast<long>(c.width) * c.height, c.bits_per_pixel};
        if (best && !(*best < rank)) continue;
        best = rank;
        best_text = ModeText(c) + (rank.exact ? " exact" : " locks") +
                    (c.interlace_allowed ? "" : ", no interlace") +
                    (tables ? "" : ", computed timings");
      }
      EXPECT_EQ(chosen, best ? best_text : "-");
      named += best ? 1 : 0;
    }
  }
  EXPECT_GT(named, 0);
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

// The summary ranks the cards by what a user gets, with the model to pick by hand; the chip
// facts it names come with the rating chips.md gives them.
TEST(Matrix, SummaryRanksTheCardsByTheUsableCellsAUserGets) {
  const std::vector<std::string> cards{"vga", "tseng-et4000", "s3-trio64", "s3-vision864"};
  const Matrix m = RunMatrix(cards);
  std::ostringstream page;
  PrintMatrixMarkdown(m, page);
  const std::string text = page.str();
  const size_t start = text.find("## Summary");
  ASSERT_NE(start, std::string::npos);
  std::istringstream table(text.substr(start, text.find("\n## ", start + 1) - start));
  std::vector<std::string> rows;
  for (std::string line; std::getline(table, line);) {
    if (line.rfind("| ", 0) == 0 && line.find("| rank |") != 0) rows.push_back(line);
  }
  ASSERT_EQ(rows.size(), cards.size());
  int last_best = 1 << 30;
  for (size_t i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE(rows[i]);
    const CardSummary* s = nullptr;
    for (const CardSummary& card : m.cards) {
      if (rows[i].find("| " + card.card + " |") != std::string::npos) s = &card;
    }
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(rows[i].rfind("| " + std::to_string(i + 1) + " | ", 0), 0u);
    // Measured misses a sibling model or the row's own clock recovered by itself count as usable.
    const int usable = s->exact + s->locks + s->recovered + s->own_clock;
    EXPECT_NE(rows[i].find(" | " + std::to_string(usable) + " of "), std::string::npos);
    const int best = s->better ? std::max(usable, s->better->usable) : usable;
    EXPECT_LE(best, last_best) << "ranked by the usable cells with the model to pick";
    last_best = best;
    EXPECT_EQ(s->off == 0, rows[i].find("no off cell") != std::string::npos);
  }
  // The ET4000's off cells rest on a state no document describes, the Trio64's on a low one;
  // the sibling search recovers their misses, so no model is left to pick by hand.
  for (const auto& [card, parts] : std::vector<std::pair<std::string, std::vector<std::string>>>{
           {"tseng-et4000",
            {"Tseng Labs: ET4000", "| - | - |",
             "ET4000 SR07 bit 0 alone divides nothing (undefined)"}},
           {"s3-trio64",
            {"S3: Trio32/64", "| - | - |",
             "Trio64 SR15 bit 4 halves the fixed clocks too (low)"}}}) {
    const auto row = std::find_if(rows.begin(), rows.end(), [&](const std::string& r) {
      return r.find("| " + card + " |") != std::string::npos;
    });
    ASSERT_NE(row, rows.end()) << card;
    for (const std::string& part : parts)
      EXPECT_NE(row->find(part), std::string::npos) << part << "\n" << *row;
  }
}

// A measured miss tries the brand's safe siblings: a cell usable under the model in force
// stays as it was, and a miss a sibling recovers ends usable under that sibling, counted in
// the card's summary.
TEST(Matrix, SiblingModelsRecoverMissesAndLoseNothing) {
  const Matrix m = RunMatrix({});
  std::map<std::string, int> recovered;
  for (const MatrixCell& c : m.cells) {
    SCOPED_TRACE(c.card + " " + std::to_string(c.width) + "x" + std::to_string(c.height) + " " +
                 std::to_string(c.standard) + (c.interlace_allowed ? "" : " ni"));
    const bool usable = c.outcome == MatrixOutcome::kExact || c.outcome == MatrixOutcome::kLocks;
    if (usable) {
      EXPECT_EQ(c.final_outcome, c.outcome) << "a usable cell stays as it was";
      EXPECT_FALSE(c.sibling_model);
      continue;
    }
    if (!c.sibling_model) continue;
    const auto card = virt::MakeCard(c.card);
    const auto tried = chipset::SiblingModelsToTry(card->family(), card->model());
    EXPECT_NE(std::find(tried.begin(), tried.end(), *c.sibling_model), tried.end());
    EXPECT_EQ(c.outcome, MatrixOutcome::kOff);
    EXPECT_GT(c.measured_field_hz, 0.0);
    EXPECT_GT(c.sibling_field_hz, 0.0);
    EXPECT_FALSE(c.sibling_caption.empty());
    EXPECT_TRUE(IsUsable(c.final_outcome) || c.final_outcome == MatrixOutcome::kSquashed)
        << OutcomeName(c.final_outcome);
    if (IsUsable(c.final_outcome)) ++recovered[c.card];
  }
  for (const CardSummary& s : m.cards) {
    SCOPED_TRACE(s.card);
    EXPECT_EQ(s.recovered, recovered[s.card]);
    if (chipset::SiblingModelsToTry(s.family, s.model).empty()) {
      EXPECT_EQ(s.recovered, 0);
    }
  }
  // The ET4000 under Generic, the Trio64 under Vision864/964.
  EXPECT_GT(recovered["tseng-et4000"], 20);
  EXPECT_GT(recovered["s3-trio64"], 5);
}

TEST(ChipFacts, EachCauseInAListFindsItsFactOnce) {
  struct Case {
    std::vector<std::string> causes;
    std::vector<std::string_view> facts;  // their cause prefixes, in the table's order
  };
  const Case cases[] = {
      {{"CR24 bit 1: clock select 5 (44.700 MHz) instead of 1; SR07 bit 6: clock halved"},
       {"SR07 bit 6", "CR24 bit 1"}},
      {{"SR07 bits 6 and 0: clock quartered", "SR07 bits 6 and 0: clock quartered"},
       {"SR07 bits 6 and 0"}},
      {{"GR0C bit 5: clock select 5; GR0B bits 0-1 = 1: clock divided by 1.5"},
       {"GR0C bit 5", "GR0B bits 0-1"}},
      {{"vertical sync outside blank", ""}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.causes[0]);
    std::vector<std::string_view> found;
    for (const ChipFact* fact : FactsBehind(c.causes))
      found.push_back(fact->cause);
    EXPECT_EQ(found, c.facts);
  }
}

// A rating the summary prints is the one chips.md gives in the fact's own section, and that
// section names the register.
TEST(ChipFacts, RatingsAreTheOnesChipsMdGives) {
  std::ifstream file(std::string(ZANVO_SOURCE_DIR) + "/docs/chips.md");
  ASSERT_TRUE(file);
  std::stringstream read;
  read << file.rdbuf();
  std::string doc;
  for (const char c : read.str())  // one line, one space between words, lower case
    if (!std::isspace(static_cast<unsigned char>(c)) || (!doc.empty() && doc.back() != ' '))
      doc += std::isspace(static_cast<unsigned char>(c)) ? ' ' : static_cast<char>(std::tolower(c));
  const std::pair<std::string_view, std::string_view> kWords[] = {{"high", "high confidence"},
                                                                  {"low", "low confidence"},
                                                                  {"undefined", "undefined state"},
                                                                  {"checked", "*checked*"}};
  for (const ChipFact& fact : ChipFacts()) {
    SCOPED_TRACE(std::string(fact.cause));
    std::string heading(fact.section);
    std::transform(heading.begin(), heading.end(), heading.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const size_t start = doc.find(" " + heading);
    ASSERT_NE(start, std::string::npos) << heading;
    const std::string section = doc.substr(start, doc.find(" ## ", start + 1) - start);
    std::string reg(fact.cause.substr(0, fact.cause.find_first_of(" :/")));
    std::transform(reg.begin(), reg.end(), reg.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    EXPECT_NE(section.find(reg), std::string::npos) << reg;
    if (fact.confidence == "not rated") continue;
    const auto word = std::find_if(std::begin(kWords), std::end(kWords),
                                   [&](const auto& w) { return w.first == fact.confidence; });
    ASSERT_NE(word, std::end(kWords)) << fact.confidence;
    EXPECT_NE(section.find(word->second), std::string::npos) << word->second;
  }
}

}  // namespace
}  // namespace zanvo::scope
