// zanvo-scope as its users see it: exit statuses, messages, the JSON a script reads.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "scope_main.h"
#include "scope_run.h"

namespace zanvo::scope {
namespace {

TEST(ScopeCli, BadOptionsExitWithStatusTwoAndSayWhy) {
  struct Case {
    std::vector<const char*> args;
    const char* message_part;
  };
  const Case cases[] = {
      {{"--card", "matrox"}, "--card"},
      {{"--mode", "640"}, "WIDTHxHEIGHT"},
      {{"--mode", "0x480"}, "WIDTHxHEIGHT"},
      {{"--mode", "640x480x8"}, "WIDTHxHEIGHT"},
      {{"--mode", "641x480"}, "no 641x480 mode"},
      {{"--standard", "secam"}, "--standard"},
      {{"--move", "sideways"}, "--move"},
      {{"--frobnicate"}, "frobnicate"},
      {{"--next"}, "--detect"},
      {{"--extra-card", "vga@512"}, "SLOT from 0 to 511"},
      {{"--extra-card", "vga"}, "NAME@SLOT"},
      {{"--extra-card", "matrox@3"}, "no card named matrox"},
      {{"--extra-card", "vga@32"}, "holds the --card adapter"},
      {{"--as", "matrox"}, "FAMILY"},
      {{"--as", "s3:70000"}, "MODEL"},
      {{"--pci", "3"}, "--pci"},
      {{"--card", "vga", "--card", "s3-trio64"}, "--matrix"},
      {{"--csv"}, "--matrix"},
      {{"--matrix", "--csv", "--json"}, "one of"},
      {{"--matrix", "--load-registers", "mode.json"}, "--load-registers"},
      {{"--matrix", "--stopped-timer"}, "--stopped-timer"},
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
                             "--odd-even-vsync", "--move", "--readout", "--registers", "--json",
                             "--matrix", "--csv", "--markdown", "--load-registers",
                             "--stopped-timer"}) {
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

// The ET4000's PAL at 640x480 runs at twice the field rate, which the field check refuses; on a
// PC whose timer does not count the check cannot measure and the switch goes ahead, as it would
// without a check, and both reports say why.
TEST(ScopeCli, AStoppedTimerCannotMeasureTheField) {
  const std::vector<const char*> pal = {"--card", "tseng-et4000", "--standard", "pal", "--readout"};
  const auto working = RunJson(pal);
  EXPECT_EQ(working["field_check"]["could_measure"], true);
  EXPECT_EQ(working["field_check"]["cannot_measure"], "");
  EXPECT_EQ(working["field_check"]["in_band"], false);
  EXPECT_EQ(working["messages"], nlohmann::json::array({"Video mode unsupported!"}));

  std::vector<const char*> stopped = pal;
  stopped.push_back("--stopped-timer");
  const auto j = RunJson(stopped);
  const auto& check = j["field_check"];
  EXPECT_EQ(check["could_measure"], false);
  EXPECT_EQ(check["cannot_measure"], "the PC timer does not count");
  EXPECT_EQ(check["in_band"], true);
  EXPECT_TRUE(j["messages"].empty()) << j["messages"];
  EXPECT_NEAR(j["signal"]["field_rate_hz"].get<double>(), 100.0, 0.5) << "the switch stands";
  EXPECT_EQ(j["readout"]["measured"], false);

  const ScopeRun text = RunScopeWith(stopped);
  ASSERT_EQ(text.status, 0) << text.err;
  EXPECT_NE(text.out.find("Field check: cannot measure (the PC timer does not count); the switch "
                          "goes ahead unchecked"),
            std::string::npos)
      << text.out;
}

TEST(ScopeCli, DetectionNextAndChoiceByHand) {
  struct Case {
    const char* what;
    std::vector<const char*> args;
    int family;  // in force at the end
    int model;
    int detected_family;  // -1: no detection ran
    int pci_cursor;
    bool not_found_message;
  };
  const Case cases[] = {
      {"ISA card found by the register probes; the cursor rests on the host bridge",
       {"--card", "cirrus-gd5434", "--detect"},
       4,
       0,
       4,
       0,
       false},
      {"the adapter in the highest slot first",
       {"--card", "sis-300", "--extra-card", "intel-i740@200", "--detect"},
       9,
       0x7800,
       9,
       200,
       false},
      {"Next walks down to the primary card",
       {"--card", "sis-300", "--extra-card", "intel-i740@200", "--detect", "--next"},
       14,
       0x0300,
       14,
       32,
       false},
      {"Next past the last adapter restarts from the top and keeps the chip",
       {"--card", "sis-300", "--extra-card", "intel-i740@200", "--detect", "--next", "--next"},
       14,
       0x0300,
       14,
       512,
       false},
      {"mechanism #2 machine",
       {"--card", "sis-6326", "--pci", "2", "--detect"},
       14,
       0x6326,
       14,
       8,
       false},
      {"no PCI mechanism: the SiS card is not found, the probes see a plain VGA",
       {"--card", "sis-6326", "--pci", "none", "--detect"},
       1,
       0,
       1,
       16,
       false},
      {"choice by hand overrides detection",
       {"--card", "s3-trio64", "--detect", "--as", "cirrus"},
       4,
       0,
       3,
       0,
       false},
      {"ATI chosen without an ATI adapter falls back to the standard VGA",
       {"--card", "vga", "--as", "ati"},
       1,
       0,
       -1,
       512,
       true},
      {"ATI detected gives its block base",
       {"--card", "ati-mach64", "--detect"},
       8,
       0x4754,
       8,
       32,
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const auto j = RunJson(c.args);
    EXPECT_EQ(j["chip"]["family"], c.family);
    EXPECT_EQ(j["chip"]["model"], c.model);
    if (c.detected_family < 0) {
      EXPECT_TRUE(j["detected"].is_null());
    } else {
      EXPECT_EQ(j["detected"]["family"], c.detected_family);
    }
    EXPECT_EQ(j["pci_cursor"], c.pci_cursor);
    const bool not_found =
        !j["messages"].empty() && j["messages"][0] == "Video chipset not found!!";
    EXPECT_EQ(not_found, c.not_found_message);
    if (c.family == 8) {
      EXPECT_EQ(j["ext_io_base"], 0xE800);
    }
  }
}

TEST(ScopeCli, BlockIoFamilyDumpsItsRegisterFileAndPll) {
  const auto j = RunJson({"--card", "ati-mach64", "--standard", "pal", "--registers"});
  ASSERT_TRUE(j["registers"].contains("block"));
  EXPECT_EQ(j["registers"]["block"].size(), 64u);
  EXPECT_EQ(j["registers"]["pll"].size(), 64u);
  // The PAL row's horizontal total (113 characters) sits in the low byte of dword 0 as total - 1
  // or total, whichever the card keeps; the display end of 80 columns in bits 16-23.
  const uint32_t h_total_disp = j["registers"]["block"][0];
  EXPECT_EQ((h_total_disp >> 16) & 0xFF, 79u);
  EXPECT_FALSE(RunJson({"--registers"})["registers"].contains("block"));
}

TEST(ScopeCli, ListCardsNamesEveryCardWithItsIdentity) {
  const ScopeRun run = RunScopeWith({"--list-cards"});
  EXPECT_EQ(run.status, 0);
  for (const char* line : {"vga                family   1, model 0x0000",
                           "ati-mach64         family   8, model 0x4754",
                           "wd-90c30           family  13, model 0x3330"}) {
    EXPECT_NE(run.out.find(line), std::string::npos) << line << "\n" << run.out;
  }
}

}  // namespace
}  // namespace zanvo::scope
