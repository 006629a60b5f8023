// What a new user meets in zanvo-scope: names in any case, the card list for scripts, how many
// moves were made, spans that wrap, where a picture goes, doubts about a register file, and a
// detection that stopped on another adapter than the screen's.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "platform/virtual/card_catalog.h"
#include "scope_run.h"

namespace zanvo::scope {
namespace {

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(ScopeUsability, NamesListsMovesSpansAndNotes) {
  const auto temp = std::filesystem::temp_directory_path();
  const std::string dump = (temp / "zanvo-scope-cirrus-dump.json").string();
  {
    const ScopeRun run = RunScopeWith({"--card", "cirrus-gd5434", "--registers", "--json"});
    std::ofstream(dump) << run.out;
  }
  std::vector<const char*> thirty_left{"--card", "tseng-et4000", "--standard", "pal"};
  for (int i = 0; i < 30; ++i) {
    thirty_left.push_back("--move");
    thirty_left.push_back("left");
  }
  struct Case {
    const char* name;
    std::vector<const char*> args;
    const char* in_out;  // in standard output, or "" for none
    const char* in_err;  // in standard error, or "" for none
  };
  const Case cases[] = {
      {"names in any case", {"--card", "S3-Trio64", "--mode", "640X480"}, "Card: s3-trio64", ""},
      {"one default card", {}, "Card: s3-trio64", ""},
      // 6 of 30 steps left fit before the sync would leave its blanking.
      {"moves counted", thirty_left, "Moves: 30 asked: left 6 made, 24 stopped by the bounds", ""},
      // The SiS 300's 24 kHz line blanks from 80 past its 106-character end, to 5.
      {"a blank that wraps",
       {"--card", "sis-300", "--standard", "24khz", "--no-interlace"},
       "blank 80-5 of the next line",
       ""},
      {"a register file of another card",
       {"--card", "s3-trio64", "--load-registers", dump.c_str()},
       "",
       "holds the registers of cirrus-gd5434"},
      {"detection on another adapter",
       {"--card", "sis-300", "--extra-card", "intel-i740@200", "--detect"},
       "not the one that drives the screen: that is sis-300 (SiS: SiS300) in slot 32. Next",
       ""},
      {"a folder for the picture", {"--standard", "pal", "--png", temp.c_str()}, "", "is a folder"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ScopeRun run = RunScopeWith(c.args);
    EXPECT_EQ(run.status, std::string(c.name) == "a folder for the picture" ? 1 : 0) << run.err;
    EXPECT_TRUE(Has(run.out, c.in_out)) << run.out;
    EXPECT_TRUE(Has(run.err, c.in_err)) << run.err;
  }
  EXPECT_TRUE(RunScopeWith({"--card", "cirrus-gd5434", "--load-registers", dump.c_str()})
                  .err.empty());

  // The JSON beside: the tally, the card list.
  const auto moves = RunJson(thirty_left)["moves_made"];
  EXPECT_EQ(moves["left"], nlohmann::json({{"made", 6}, {"stopped", 24}}));
  const ScopeRun list = RunScopeWith({"--list-cards", "--json"});
  const auto cards = nlohmann::json::parse(list.out);
  ASSERT_EQ(cards.size(), virt::CardNames().size());
  EXPECT_EQ(std::count_if(cards.begin(), cards.end(), [](const auto& c) { return c["default"]; }),
            1);

  // The picture on standard output, the report beside it on standard error; a file is named.
  const ScopeRun to_stdout = RunScopeWith({"--standard", "pal", "--png", "-"});
  EXPECT_EQ(to_stdout.out.substr(0, 8), "\x89PNG\r\n\x1a\n");
  EXPECT_TRUE(Has(to_stdout.err, "Signal now:"));
  const std::string file = (temp / "zanvo-scope-usability.png").string();
  EXPECT_TRUE(Has(RunScopeWith({"--standard", "pal", "--png", file.c_str()}).out,
                  "Picture written to " + file));
  EXPECT_TRUE(std::filesystem::exists(file));
  std::remove(file.c_str());
  std::remove(dump.c_str());
}

}  // namespace
}  // namespace zanvo::scope
