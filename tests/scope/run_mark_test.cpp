// A single zanvo-scope run carries the compatibility matrix's mark for its card, mode and
// standard, in the text and the JSON, the same as the matrix's cell.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/chip_codes.h"
#include "matrix.h"
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
};

const MatrixCell* FindCell(const Matrix& matrix, const MarkCase& c) {
  for (const MatrixCell& cell : matrix.cells) {
    const std::string mode = std::to_string(cell.width) + "x" + std::to_string(cell.height);
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
      {"vga", "1024x768", engine::vsPAL, false, "refused", "refused"},
  };
  for (const MarkCase& c : cases) {
    SCOPED_TRACE(std::string(c.card) + " " + c.mode + " " + StandardName(c.standard));
    std::vector<const char*> args = {"--card", c.card,       "--mode",
                                     c.mode,   "--standard", StandardName(c.standard)};
    if (c.no_interlace) args.push_back("--no-interlace");

    const auto j = RunJson(args);
    EXPECT_EQ(j["mark"]["outcome"], c.outcome);
    EXPECT_EQ(j["mark"]["final"], c.final_outcome);

    const std::vector<std::string> one{c.card};
    const Matrix matrix = RunMatrix(one);
    const MatrixCell* cell = FindCell(matrix, c);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(j["mark"]["outcome"], OutcomeName(cell->outcome));
    EXPECT_EQ(j["mark"]["final"], OutcomeName(cell->final_outcome));
    EXPECT_EQ(j["mark"]["reason"], cell->reason);

    const ScopeRun text = RunScopeWith(args);
    ASSERT_EQ(text.status, 0) << text.err;
    const std::string line =
        "Mark (as in the compatibility matrix): " +
        MarkText(cell->outcome, cell->final_outcome, cell->sibling_caption, cell->own_clock) +
        (cell->reason.empty() ? "\n" : " (" + cell->reason + ")\n");
    EXPECT_NE(text.out.find(line), std::string::npos) << text.out;
  }
}

TEST(ScopeMark, MonitorTimingsHaveNoMark) {
  EXPECT_TRUE(RunJson({"--standard", "vga"})["mark"].is_null());
  const ScopeRun text = RunScopeWith({"--standard", "vga"});
  EXPECT_EQ(text.out.find("Mark"), std::string::npos) << text.out;
}

}  // namespace
}  // namespace zanvo::scope
