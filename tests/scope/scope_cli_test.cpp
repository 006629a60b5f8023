// zanvo-scope as its users see it: exit statuses, messages, the JSON a script reads.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "engine/chip_codes.h"
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
      {{"--mode", "640x480x7"}, "colour depth is one of 4, 8, 15, 16, 24, 32"},
      {{"--mode", "640x480x"}, "colour depth"},
      {{"--mode", "640xx480"}, "WIDTHxHEIGHT"},
      {{"--mode", "641x480"}, "no 641x480x8 mode"},
      {{"--card", "vga", "--mode", "800x600x16"}, "vga driver has no 800x600x16 mode with 256 KB"},
      {{"--memory", "3M"}, "sold with 1024, 2048, 4096 KB, not 3072"},
      {{"--memory", "12x"}, "in KB, or in MB with M"},
      {{"--memory", "0"}, "in KB, or in MB with M"},
      {{"--standard", "secam"}, "--standard"},
      {{"--move", "sideways"}, "--move"},
      {{"--frobnicate"}, "frobnicate"},
      {{"--next"}, "--detect"},
      {{"--extra-card", "vga@512"}, "SLOT from 0 to 511"},
      {{"--extra-card", "vga"}, "NAME@SLOT"},
      {{"--extra-card", "matrox@3"}, "no card named matrox"},
      {{"--extra-card", "vga@32"}, "holds the --card adapter"},
      {{"--as", "matrox"}, "FAMILY"},
      {{"--as", "s3:70000"}, "S3 has no model \"70000\""},
      {{"--pci", "3"}, "--pci"},
      {{"--card", "vga", "--card", "s3-trio64"}, "--matrix"},
      {{"--csv"}, "--matrix"},
      {{"--matrix", "--csv", "--json"}, "one of"},
      {{"--matrix", "--load-registers", "mode.json"}, "--load-registers"},
      {{"--matrix", "--stopped-timer"}, "--stopped-timer"},
      // Unknown names and options are named, with the nearest known one.
      {{"--card", "et4000"}, "no card named et4000; did you mean tseng-et4000?"},
      {{"--extra-card", "I740@3"}, "did you mean intel-i740?"},
      {{"--standard", "pal", "--standrad", "pal"},
       "option --standrad not understood; did you mean --standard?"},
      {{"--standard", "pal", "ntsc"}, "ntsc not understood: each value follows its option"},
      {{"--png", ""}, "--png needs a file name"},
      {{"--standard", "pall"}, "did you mean pal?"},
      {{"--matrix", "--bus-us", "0.5"}, "bus options"},
      {{"--bus-us", "0.2"}, "0.3 to 1.5"},
      {{"--bus-us", "fast"}, "0.3 to 1.5"},
      {{"--stall", "12ms"}, "LENGTH@MOMENT"},
      {{"--stall", "12@30ms"}, "LENGTH@MOMENT"},
      {{"--stall", "9ms@retrace0"}, "retraceN"},
      {{"--stall", "9ms@retrace2+x"}, "retraceN+TIME"},
      {{"--stall-every", "0.5ms"}, "1ms or more"},
      // Pauses that would take all of the PC's time never let a run end: refused.
      {{"--standard", "pal", "--stall-every", "10ms"}, "more than 90% of the PC's time"},
      {{"--standard", "pal", "--stall-every", "14.4ms"}, "--stall-every 14.5ms or more"},
      {{"--standard", "pal", "--interrupt-every", "100us"}, "more than 90% of the PC's time"},
      {{"--standard", "pal", "--interrupt-every", "116us"}, "--interrupt-every 117us or more"},
      {{"--standard", "pal", "--stall-every", "20ms", "--interrupt-every", "300us"},
       "--stall-every 20ms with --interrupt-every 300us"},
      {{"--bus-seed", "-3"}, "whole number"},
      // The list's memory is one card's.
      {{"--list-cards", "--memory", "512"}, "name it with --card"},
      {{"--list-cards", "--card", "vga", "--memory", "512"}, "vga was sold with 256 KB, not 512"},
      {{"--list-cards", "--card", "vga", "--memory", "512", "--json"}, "sold with 256 KB"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.back());
    const ScopeRun run = RunScopeWith(c.args);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find(c.message_part), std::string::npos) << run.err;
    EXPECT_TRUE(run.out.empty());
  }
}

TEST(ScopeCli, HelpDocumentsEveryOptionByItsNamesAndTheExitStatuses) {
  const ScopeRun run = RunScopeWith({"--help"});
  EXPECT_EQ(run.status, 0);
  const char* const shown[] = {"--card",
                               "--mode",
                               "--standard vga|pal|ntsc|24khz",
                               "--positive-sync",
                               "--no-interlace",
                               "--odd-even-vsync",
                               "--move up|down|left|right",
                               "--readout",
                               "--registers",
                               "--json",
                               "--pci 1|2|none",
                               "--as FAMILY[:MODEL]",
                               "--matrix",
                               "--csv",
                               "--markdown",
                               "--load-registers",
                               "--version",
                               "--stopped-timer",
                               "--modeline",
                               "Exit status:",
                               "1  the --png",
                               "2  a bad option",
                               "Examples:",
                               "tseng-et4000",
                               "--bus-us US",
                               "--bus-jitter-us US",
                               "--stall LENGTH@MOMENT",
                               "--stall-every TIME",
                               "--interrupt-every TIME",
                               "--bus-seed N"};
  for (const char* option : shown) {
    EXPECT_NE(run.out.find(option), std::string::npos) << option;
  }
  // The parser's own notation of types and value maps is no part of what a user types.
  for (const char* internal : {"INT", "ENUM", "TEXT", "->", "{", "}"}) {
    EXPECT_EQ(run.out.find(internal), std::string::npos) << internal << "\n" << run.out;
  }
}

TEST(ScopeCli, VersionIsTheProjects) {
  const ScopeRun run = RunScopeWith({"--version"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, std::string("zanvo-scope ") + ZANVO_VERSION + "\n");
}

// Each option that names a choice takes the names in any case, and nothing else: not the codes
// behind them, not a decimal model number read as a code.
TEST(ScopeCli, ChoicesAreTakenByNameOnly) {
  struct Case {
    std::vector<const char*> args;
    const char* json_key;  // with the expected value below; nullptr for a refusal
    const char* field;
    nlohmann::json value;
    const char* message_part;  // of the refusal
  };
  const Case cases[] = {
      {{"--standard", "PAL"}, "standard", nullptr, "pal", nullptr},
      {{"--standard", "24KHz"}, "standard", nullptr, "24khz", nullptr},
      {{"--standard", "99"}, nullptr, nullptr, {}, "--standard 99: expected vga, pal"},
      {{"--standard", "101"}, nullptr, nullptr, {}, "--standard 101"},
      {{"--standard", "pal", "--move", "UP"}, "moves", nullptr, {"up"}, nullptr},
      {{"--move", "1"}, nullptr, nullptr, {}, "--move 1: expected up, down"},
      {{"--pci", "NONE", "--card", "sis-6326", "--detect"}, "detected", "family", 1, nullptr},
      {{"--pci", "0"}, nullptr, nullptr, {}, "--pci 0: expected 1, 2 or none"},
      {{"--as", "S3"}, "chip", "family", 3, nullptr},
      {{"--as", "Tseng Labs:ET4000"}, "chip", "model", 4000, nullptr},
      {{"--as", "tseng:et4000"}, "chip", "name", "Tseng Labs: ET4000", nullptr},
      {{"--as", "western digital:wd90c30"}, "chip", "model", 0x3330, nullptr},
      {{"--as", "sis:SIS300"}, "chip", "model", 0x0300, nullptr},
      {{"--as", "sis:0x300"}, "chip", "model", 0x0300, nullptr},
      {{"--as", "s3:trio32/64"}, "chip", "model", 0x0011, nullptr},
      {{"--as", "S3:0X11"}, "chip", "name", "S3: Trio32/64", nullptr},
      {{"--as", "oak:OTI083/87"}, "chip", "model", 0x0053, nullptr},
      {{"--as", "trident:3D (3Dimage, Blade3D, etc)"}, "chip", "model", 0x00F3, nullptr},
      {{"--as", "3:0xC0"}, "chip", "name", "S3: Vision864/964", nullptr},
      {{"--as", "sis:300"},
       nullptr,
       nullptr,
       {},
       "--as sis:300: SiS has no model \"300\"; its models, by name (any case) or code: "
       "Generic (0x0000), SiS300 (0x0300)"},
      {{"--as", "s3:0x12"}, nullptr, nullptr, {}, "Vision864/964 (0x00C0)"},
      {{"--as", "tseng:4000"}, nullptr, nullptr, {}, "ET4000 (0x0FA0)"},
      {{"--as", "cirrus:GD5434"},
       nullptr,
       nullptr,
       {},
       "its models, by name (any case) or code: Generic (0x0000)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.args[0]) + " " + c.args[1]);
    if (c.json_key) {
      const auto j = RunJson(c.args);
      const auto& got = c.field ? j[c.json_key][c.field] : j[c.json_key];
      EXPECT_EQ(got, c.value);
    } else {
      const ScopeRun run = RunScopeWith(c.args);
      EXPECT_EQ(run.status, 2);
      EXPECT_NE(run.err.find(c.message_part), std::string::npos) << run.err;
      EXPECT_TRUE(run.out.empty());
    }
  }
}

// The matrix runs each card's own chipset over its driver's modes, every standard, both
// interlace choices: an option for a single run is refused there rather than left unused.
TEST(ScopeCli, MatrixRefusesTheOptionsOfASingleRun) {
  const std::vector<std::vector<const char*>> singles = {
      {"--png", "m.png"}, {"--mode", "800x600"}, {"--standard", "pal"}, {"--as", "s3"},
      {"--detect"},       {"--readout"},         {"--registers"},       {"--move", "up"},
      {"--no-interlace"}, {"--positive-sync"},   {"--pci", "2"},        {"--extra-card", "vga@3"},
  };
  for (const auto& single : singles) {
    SCOPED_TRACE(single[0]);
    std::vector<const char*> args{"--matrix", "--card", "vga"};
    args.insert(args.end(), single.begin(), single.end());
    const ScopeRun run = RunScopeWith(args);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find(std::string("does not take ") + single[0]), std::string::npos)
        << run.err;
    EXPECT_TRUE(run.out.empty());
  }
}

// The report names the chip as the window's lists show it; moves on monitor timings are said
// to be ignored, as the arrow buttons ignore them.
TEST(ScopeCli, ReportsNameTheChipAndIgnoredMoves) {
  const ScopeRun detected = RunScopeWith({"--card", "ati-mach64", "--detect"});
  EXPECT_NE(detected.out.find("chipset in force: ATI Technology: Generic (I/O: E800h) (family 8, "
                              "model 0x4754)"),
            std::string::npos)
      << detected.out;
  EXPECT_NE(detected.out.find("Detected: ATI Technology: Generic (I/O: E800h)"), std::string::npos)
      << detected.out;
  EXPECT_EQ(RunJson({"--card", "wd-90c00", "--detect"})["detected"]["name"],
            "Western Digital: WD90C00");
  EXPECT_EQ(RunJson({"--card", "sis-6326"})["chip"]["name"], "SiS: Generic");
  EXPECT_EQ(RunJson({"--as", "7"})["chip"]["name"], "no brand in the list");

  const ScopeRun vga = RunScopeWith({"--move", "up", "--move", "left"});
  EXPECT_NE(vga.out.find("Moves: 2 asked (ignored: monitor timings are in force"),
            std::string::npos)
      << vga.out;
  EXPECT_EQ(RunJson({"--move", "up"})["moves_ignored"], true);
  // A refused standard leaves monitor timings too: the moves after it do nothing.
  EXPECT_EQ(RunJson({"--card", "s3-trio64", "--mode", "800x600", "--standard", "ntsc", "--move",
                     "up"})["moves_ignored"],
            true);
  EXPECT_EQ(RunJson({"--standard", "pal", "--move", "up"})["moves_ignored"], false);
}

TEST(ScopeCli, JsonReportsThePalSwitchOfA640x480Desktop) {
  const auto j = RunJson(
      {"--card", "vga", "--mode", "640x480", "--standard", "PAL", "--readout", "--registers"});
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
  // The numbers behind the window's texts.
  EXPECT_NEAR(j["readout"]["h_hz"].get<double>(), 15665.0, 80.0);
  EXPECT_NEAR(j["readout"]["v_hz"].get<double>(), 50.05, 0.25);

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

// After a measured miss the report lists the siblings tried, each with its measured field, and
// the one kept, named as the window's lists show it.
TEST(ScopeCli, ReportsTheSiblingModelsTriedAfterAMeasuredMiss) {
  const auto kept = RunJson({"--card", "tseng-et4000", "--standard", "pal"});
  EXPECT_EQ(kept["field_check"]["in_band"], false);
  ASSERT_TRUE(kept["sibling_search"].is_object()) << kept.dump();
  EXPECT_EQ(kept["sibling_search"]["model_in_force"], 4000);
  ASSERT_EQ(kept["sibling_search"]["tried"].size(), 1u);
  EXPECT_EQ(kept["sibling_search"]["tried"][0]["name"], "Tseng Labs: Generic");
  EXPECT_NEAR(kept["sibling_search"]["tried"][0]["field_hz"].get<double>(), 50.0, 1.0);
  EXPECT_EQ(kept["sibling_search"]["kept"]["name"], "Tseng Labs: Generic");
  EXPECT_EQ(kept["chip"]["model"], 0) << "the sibling stays in force";
  EXPECT_TRUE(kept["messages"].empty());
  EXPECT_NEAR(kept["signal"]["field_rate_hz"].get<double>(), 50.0, 1.0);

  const auto none =
      RunJson({"--card", "trident-blade3d", "--mode", "960x600", "--standard", "pal"});
  ASSERT_TRUE(none["sibling_search"].is_object()) << none.dump();
  EXPECT_EQ(none["sibling_search"]["tried"].size(), 3u);
  for (const auto& t : none["sibling_search"]["tried"])
    EXPECT_EQ(t["passed"], false);
  EXPECT_TRUE(none["sibling_search"]["kept"].is_null());
  EXPECT_EQ(none["chip"]["model"], engine::kModelTridentBlade3D);
  // None passed: the row's own clock is tried last, and holds.
  ASSERT_TRUE(none["own_clock"].is_object()) << none.dump();
  EXPECT_EQ(none["own_clock"]["passed"], true);
  EXPECT_NEAR(none["own_clock"]["field_hz"].get<double>(), 50.0, 1.0);
  EXPECT_EQ(none["mark"]["own_clock"], true);
  EXPECT_TRUE(none["messages"].empty()) << none["messages"];
  EXPECT_NE(RunScopeWith({"--card", "trident-blade3d", "--mode", "960x600", "--standard", "pal"})
                .out.find("None passed; the row's own clock (its crystal and the standard "
                          "halving) on a re-set mode: 49.9"),
            std::string::npos);

  const ScopeRun text = RunScopeWith({"--card", "tseng-et4000", "--standard", "pal"});
  EXPECT_NE(text.out.find("Other models of the brand tried, each on a re-set mode:\n"
                          "    Tseng Labs: Generic (model 0x0000): 50."),
            std::string::npos)
      << text.out;
  EXPECT_NE(text.out.find("Kept: Tseng Labs: Generic, now in force"), std::string::npos);
  EXPECT_EQ(RunJson({"--standard", "pal"})["sibling_search"], nullptr) << "nothing missed";
}

TEST(ScopeCli, TextReportShowsBeforeAndAfter) {
  const ScopeRun run = RunScopeWith({"--standard", "ntsc", "--readout"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("31.469 kHz"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("NTSC TV: timings rewritten"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("[ 15.8 Khz]"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("[  60 Hz]"), std::string::npos) << run.out;
}

// The SiS 6326's NTSC at 640x480 runs at twice the field rate, which the field check refuses
// (no sibling model is safe to try on that chip; the row's own clock then holds); on a PC whose
// timer does not count the check cannot measure and the switch goes ahead, as it would without
// a check, and both reports say why.
TEST(ScopeCli, AStoppedTimerCannotMeasureTheField) {
  const std::vector<const char*> pal = {"--card", "sis-6326", "--standard", "ntsc", "--readout"};
  const auto working = RunJson(pal);
  EXPECT_EQ(working["field_check"]["could_measure"], true);
  EXPECT_EQ(working["field_check"]["cannot_measure"], "");
  EXPECT_EQ(working["field_check"]["in_band"], false);
  EXPECT_EQ(working["own_clock"]["passed"], true);
  EXPECT_TRUE(working["messages"].empty());

  std::vector<const char*> stopped = pal;
  stopped.push_back("--stopped-timer");
  const auto j = RunJson(stopped);
  const auto& check = j["field_check"];
  EXPECT_EQ(check["could_measure"], false);
  EXPECT_EQ(check["cannot_measure"], "the PC timer does not count");
  EXPECT_EQ(check["in_band"], true);
  EXPECT_TRUE(j["messages"].empty()) << j["messages"];
  EXPECT_NEAR(j["signal"]["field_rate_hz"].get<double>(), 119.9, 0.5) << "the switch stands";
  EXPECT_EQ(j["readout"]["measured"], false);
  EXPECT_TRUE(j["readout"]["h_hz"].is_null()) << "a line rate nobody measured";

  const ScopeRun text = RunScopeWith(stopped);
  ASSERT_EQ(text.status, 0) << text.err;
  EXPECT_NE(text.out.find("Field check: cannot measure (the PC timer does not count); the switch "
                          "goes ahead unchecked"),
            std::string::npos)
      << text.out;
}

// A user's machine replayed: the Blade3D's halved PAL clock at 960x600 (25 Hz) is measured
// cleanly on a fast bus, and the row's own clock then holds; with a time slice lost in the
// second retrace as well, the budget holds no two clean periods of so long a field, and it is
// refused without one (no search follows). The
// ET4000 model chosen by hand on the ET3000 doubles the line with the field right, and the line
// count refuses it on an ISA bus with time slices lost at random.
TEST(ScopeCli, TheBusOptionsReplayAnUnkindPc) {
  std::vector<const char*> blade = {"--card", "trident-blade3d", "--mode", "960x600",
                                    "--standard", "pal", "--bus-us", "0.5"};
  for (const bool stall : {false, true}) {
    if (stall) {
      blade.push_back("--stall");
      blade.push_back("9.5ms@retrace2+0.1ms");
    }
    const auto j = RunJson(blade);
    EXPECT_EQ(j["field_check"]["in_band"], false);
    EXPECT_EQ(j["field_check"]["clean_miss"], !stall);
    EXPECT_EQ(j["own_clock"].is_object(), !stall);
    EXPECT_EQ(j["messages"],
              stall ? nlohmann::json::array({"Video mode unsupported!"}) : nlohmann::json::array());
  }

  const auto et = RunJson({"--card", "tseng-et3000", "--as", "tseng:et4000", "--standard", "pal",
                           "--bus-us", "1.5", "--stall-every", "40ms", "--bus-seed", "3"});
  const auto& check = et["field_check"];
  EXPECT_NEAR(check["line_hz"].get<double>(), 31330, 150) << check;
  EXPECT_EQ(check["line_in_band"], false);
  EXPECT_EQ(check["in_band"], false);
  EXPECT_EQ(check["clean_miss"], true);

  // Just under the load that would leave the program no time, a run still ends; a refusal
  // after a check that lost time is told as disturbed, not measured, and tries no other model.
  const std::vector<const char*> stalls = {"--standard", "pal", "--stall-every", "14.5ms"};
  const ScopeRun stalled = RunScopeWith(stalls);
  EXPECT_EQ(stalled.status, 0);
  for (const char* told : {"The check was disturbed, not a clean measurement: no other model",
                           "Mark (as in the compatibility matrix): exact -> refused (disturbed)"}) {
    EXPECT_NE(stalled.out.find(told), std::string::npos) << stalled.out;
  }
  EXPECT_EQ(stalled.out.find("safe to try"), std::string::npos) << stalled.out;
  // No retrace seen at all is not told as disturbed: the check cannot tell a retrace every stall
  // hid from none, and the page counts both as measured.
  std::vector<std::string> hidden_texts;
  for (int retrace = 1; retrace <= 11; ++retrace)
    hidden_texts.push_back("3ms@retrace" + std::to_string(retrace));
  std::vector<const char*> hidden = {"--standard", "pal"};
  for (const std::string& stall : hidden_texts) {
    hidden.push_back("--stall");
    hidden.push_back(stall.c_str());
  }
  const ScopeRun unseen = RunScopeWith(hidden);
  EXPECT_NE(unseen.out.find("0 periods timed"), std::string::npos) << unseen.out;
  EXPECT_NE(unseen.out.find("exact -> refused (measured)"), std::string::npos) << unseen.out;
  // A long lost slice on top of pauses near the limit leaves a backlog that is still worked off.
  EXPECT_EQ(RunScopeWith({"--standard", "pal", "--interrupt-every", "117us", "--stall",
                          "1000ms@retrace1", "--bus-seed", "140"})
                .status,
            0);
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

TEST(ScopeCli, ListCardsNamesEveryCardWithItsIdentityAndModes) {
  const ScopeRun run = RunScopeWith({"--list-cards"});
  EXPECT_EQ(run.status, 0);
  for (const char* line :
       {"vga                family   1, model 0x0000  Standard IBM VGA: Generic\n"
        "    memory: 256 KB (default 256)\n"
        "     4 bits: 640x480x4\n"
        "     8 bits: 320x200, 320x240\n",
        "tseng-et4000       family   5, model 0x0FA0  Tseng Labs: ET4000\n"
        "    memory: 256, 512, 1024 KB (default 1024)\n"
        "     4 bits: 640x480x4, 800x600x4, 1024x768x4\n",
        "    15 bits: 640x480x15, 720x400x15, 768x576x15, 800x600x15\n"
        "    16 bits: 512x384x16, 640x400x16, 640x480x16, 720x400x16, 768x576x16, 800x600x16\n",
        "ati-mach64         family   8, model 0x4754  ATI Technology: Generic (I/O: E800h)\n",
        "wd-90c30           family  13, model 0x3330  Western Digital: WD90C30\n"}) {
    EXPECT_NE(run.out.find(line), std::string::npos) << line << "\n" << run.out;
  }
  // Every mode listed is one the card's driver sets, and none past the card's memory: the
  // 8800BR's 512 KB end at 800x600 in 256 colours (1024x768 in 16); with 256 KB, at 640x400.
  for (const char* mode : {"320x200", "800x600", "1024x768"}) {
    EXPECT_EQ(RunScopeWith({"--card", "trident-8800br", "--mode", mode}).status, 0) << mode;
  }
  EXPECT_EQ(RunScopeWith({"--card", "trident-8800br", "--mode", "1024x768x8"}).status, 2);
  EXPECT_EQ(
      RunScopeWith({"--card", "trident-8800br", "--memory", "256", "--mode", "800x600x8"}).status,
      2);
  EXPECT_EQ(
      RunScopeWith({"--card", "trident-8800br", "--memory", "256K", "--mode", "640x400"}).status,
      0);
  EXPECT_EQ(RunScopeWith({"--card", "tseng-et4000", "--mode", "800x600x16"}).status, 0);
  EXPECT_EQ(
      RunScopeWith({"--card", "tseng-et4000", "--memory", "512", "--mode", "800x600x16"}).status,
      2);
  // --card lists that card alone, --memory its modes on that memory: those a run takes.
  const ScopeRun one = RunScopeWith({"--list-cards", "--card", "tseng-et4000", "--memory", "512"});
  EXPECT_EQ(one.status, 0);
  EXPECT_EQ(one.out.find("vga "), std::string::npos) << one.out;
  EXPECT_NE(one.out.find("memory: 256, 512, 1024 KB (default 1024; modes listed for 512)\n"),
            std::string::npos)
      << one.out;
  EXPECT_EQ(one.out.find("800x600x16"), std::string::npos) << one.out;
  const auto json = RunJson({"--list-cards", "--card", "trident-8800br", "--memory", "256"});
  ASSERT_EQ(json.size(), 1u);
  EXPECT_EQ(json[0]["card"], "trident-8800br");
  EXPECT_EQ(json[0]["memory_kib"], 256);
  for (const auto& mode : json[0]["modes"]) {
    const std::string name = std::to_string(mode["width"].get<int>()) + "x" +
                             std::to_string(mode["height"].get<int>()) + "x" +
                             std::to_string(mode["bits_per_pixel"].get<int>());
    EXPECT_EQ(RunScopeWith({"--card", "trident-8800br", "--memory", "256", "--mode",
                            name.c_str()})
                  .status,
              0)
        << name;
  }
}

}  // namespace
}  // namespace zanvo::scope
