// zanvo-scope as its users see it: exit statuses, messages, the JSON a script reads.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "scope_main.h"

namespace zanvo::scope {
namespace {

struct ScopeRun {
  int status;
  std::string out, err;
};

ScopeRun RunScopeWith(std::vector<const char*> args) {
  args.insert(args.begin(), "zanvo-scope");
  std::ostringstream out, err;
  const int status = ScopeMain(static_cast<int>(args.size()), args.data(), out, err);
  return {status, out.str(), err.str()};
}

nlohmann::json RunJson(std::vector<const char*> args) {
  args.push_back("--json");
  const ScopeRun run = RunScopeWith(args);
  EXPECT_EQ(run.status, 0) << run.err;
  return nlohmann::json::parse(run.out);
}

TEST(ScopeCli, BadOptionsExitWithStatusTwoAndSayWhy) {
  struct Case {
    std::vector<const char*> args;
    const char* message_part;
  };
  const Case cases[] = {
      {{"--card", "matrox"}, "--card"},           {{"--mode", "640"}, "WIDTHxHEIGHT"},
      {{"--mode", "0x480"}, "WIDTHxHEIGHT"},      {{"--mode", "640x480x8"}, "WIDTHxHEIGHT"},
      {{"--mode", "641x480"}, "no 641x480 mode"}, {{"--standard", "secam"}, "--standard"},
      {{"--move", "sideways"}, "--move"},         {{"--frobnicate"}, "frobnicate"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.back());
    const ScopeRun run = RunScopeWith(c.args);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find(c.message_part), std::string::npos) << run.err;
    EXPECT_TRUE(run.out.empty());
  }
}

TEST(ScopeCli, HelpDocumentsEveryOption) {
  const ScopeRun run = RunScopeWith({"--help"});
  EXPECT_EQ(run.status, 0);
  for (const char* option : {"--card", "--mode", "--standard", "--positive-sync", "--no-interlace",
                             "--odd-even-vsync", "--move", "--readout", "--registers", "--json"}) {
    EXPECT_NE(run.out.find(option), std::string::npos) << option;
  }
}

TEST(ScopeCli, JsonReportsThePalSwitchOfA640x480Desktop) {
  const auto j = RunJson({"--mode", "640x480", "--standard", "PAL", "--readout", "--registers"});
  EXPECT_EQ(j["chip"]["family"], 1);
  EXPECT_EQ(j["chip"]["model"], 0);
  EXPECT_EQ(j["mode"]["width"], 640);
  EXPECT_EQ(j["mode"]["height"], 480);
  EXPECT_EQ(j["standard"], "pal");
  EXPECT_EQ(j["row_found"], true);

  const auto& s = j["signal"];
  // Row 80 of the PAL table: 113 characters of 8 dots at 28.322 MHz halved.
  EXPECT_NEAR(s["pixel_clock_hz"].get<double>(), 28.322e6 / 2, 1.0);
  EXPECT_EQ(s["dots_per_char"], 8);
  EXPECT_EQ(s["chars_per_line"], 113);
  EXPECT_NEAR(s["line_rate_hz"].get<double>(), 15665.0, 1.0);
  EXPECT_NEAR(s["lines_per_field"].get<double>(), 313.0, 1e-9);
  EXPECT_NEAR(s["field_rate_hz"].get<double>(), 50.05, 0.01);
  EXPECT_EQ(s["display_lines_per_field"], 240);
  EXPECT_EQ(s["interlaced"], false);
  EXPECT_EQ(s["double_scan"], false);
  EXPECT_EQ(s["hsync_positive"], true);  // mask 0x33 clears both polarity bits
  EXPECT_EQ(s["vsync_positive"], true);
  EXPECT_NEAR(s["hsync_width_us"].get<double>(), 8 * 8 / 14.161e6 * 1e6, 0.01);

  EXPECT_EQ(j["readout"]["h"], " 15.7 Khz");
  EXPECT_EQ(j["readout"]["v"], "  50 Hz");

  const auto& r = j["registers"];
  EXPECT_EQ(r["crtc"].size(), 256u);
  EXPECT_EQ(r["seq"].size(), 256u);
  EXPECT_EQ(r["gc"].size(), 256u);
  EXPECT_EQ(r["attr"].size(), 32u);
  EXPECT_EQ(r["crtc"][0x00], 108);  // total 113 - 5
  EXPECT_EQ(r["crtc"][0x04], 90);
  EXPECT_EQ(r["misc"].get<int>() & 0xCC, 0x04);  // clock 1, both polarity bits clear
}

TEST(ScopeCli, OptionsAndMovesChangeTheSignal) {
  const auto base = RunJson({"--standard", "pal"})["signal"];

  const auto positive = RunJson({"--standard", "pal", "--positive-sync"})["signal"];
  EXPECT_EQ(positive["hsync_positive"], false);  // 0xF3 sets both polarity bits
  EXPECT_EQ(positive["vsync_positive"], false);

  const auto odd_even = RunJson({"--standard", "pal", "--odd-even-vsync"})["signal"];
  EXPECT_EQ(odd_even["v_sync_end_line"].get<int>(), base["v_sync_end_line"].get<int>() - 1);

  // Up moves the vertical sync one line later, left the horizontal sync one character later;
  // applied in order, down then up returns to the table position.
  const auto up = RunJson({"--standard", "pal", "--move", "up", "--move", "up"})["signal"];
  EXPECT_EQ(up["v_sync_start_line"].get<int>(), base["v_sync_start_line"].get<int>() + 2);
  const auto left = RunJson({"--standard", "pal", "--move", "left"})["signal"];
  EXPECT_EQ(left["h_sync_start_char"].get<int>(), base["h_sync_start_char"].get<int>() + 1);
  const auto back = RunJson({"--standard", "pal", "--move", "down", "--move", "up"})["signal"];
  EXPECT_EQ(back["v_sync_start_line"], base["v_sync_start_line"]);

  // On monitor timings the moves do nothing.
  const auto vga = RunJson({"--move", "up"})["signal"];
  EXPECT_EQ(vga, RunJson({})["signal"]);
}

TEST(ScopeCli, TextReportShowsBeforeAndAfter) {
  const ScopeRun run = RunScopeWith({"--standard", "ntsc", "--readout"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("31.469 kHz"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("NTSC TV: timings rewritten"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("[ 15.8 Khz]"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("[  60 Hz]"), std::string::npos) << run.out;
}

}  // namespace
}  // namespace zanvo::scope
