#include "zanvo_run.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <deque>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "card_snapshot.h"
#include "zanvo_pc.h"
#include "engine/chip_codes.h"
#include "platform/virtual/card_catalog.h"
#include "platform/virtual/display_driver.h"
#include "platform/virtual/signal/signal.h"
#include "platform/virtual/virtual_pc.h"
#include "zanvo_options.h"

namespace zanvo::console {
namespace {

using testing::Snapshot;
using namespace runs;

// The whole way on one card: a switch kept, what the card sends, the saved set on disk, `vga`
// from a later run bringing every register back, and the keep question's other answers.
TEST(ZanvoRun, SwitchKeptThenVgaFromAnotherRunRestoresEveryRegister) {
  struct Case {
    const char* standard;
    double line_hz, field_hz;
  };
  const Case cases[] = {{"pal", 15625, 50}, {"ntsc", 15734, 59.94}, {"24khz", 24390, 57.5}};
  for (const Case& c : cases) {
    ZanvoPc z;
    const auto before = Snapshot(z.pc.card());
    z.answers.script = {AnswerSource::Answer::kYes};
    ASSERT_EQ(z.Run({c.standard, "--readout"}), 0) << c.standard << z.err.str();
    const virt::Signal& signal = z.pc.card().signal();
    EXPECT_NEAR(signal.line_rate_hz, c.line_hz, 0.02 * c.line_hz) << c.standard;
    EXPECT_NEAR(signal.field_rate_hz, c.field_hz, 0.05 * c.field_hz) << c.standard;
    EXPECT_NE(z.out.str().find("In force: " + std::string(c.standard)), std::string::npos) << z.out.str();
    EXPECT_NE(z.out.str().find("Readout: H.Frequency :"), std::string::npos) << z.out.str();
    EXPECT_NE(z.out.str().find("Chipset: S3: Trio32/64 (detected)"), std::string::npos) << z.out.str();
    EXPECT_NE(z.err.str().find("Do you want to keep these settings? [y/N]"), std::string::npos);
    // The command line is the confirmation; the settings were stored.
    EXPECT_EQ(z.err.str().find("ZANVO will now apply"), std::string::npos) << z.err.str();
    EXPECT_EQ(z.err.str().find("could not be saved"), std::string::npos) << z.err.str();
    EXPECT_TRUE(z.Exists(z.SavedSet())) << c.standard;
    std::ifstream settings(z.settings_dir + "/settings");
    std::string stored((std::istreambuf_iterator<char>(settings)), {});
    EXPECT_NE(stored.find("Chipset=3"), std::string::npos) << stored;
    EXPECT_EQ(stored.find("VideoStandard"), std::string::npos) << "no standard comes back by itself";

    EXPECT_EQ(z.Run({"vga"}), 0);
    EXPECT_EQ(Snapshot(z.pc.card()), before) << c.standard;
    EXPECT_FALSE(z.Exists(z.SavedSet()));
    EXPECT_EQ(z.Run({"vga"}), 0) << "nothing saved: nothing to do";
  }
}

TEST(ZanvoRun, NoOrNoAnswerGoesBack) {
  struct Case {
    const char* what;
    std::deque<AnswerSource::Answer> script;
    int waits;  // one a second
  };
  const Case cases[] = {
      {"no", {AnswerSource::Answer::kNo}, 1},
      {"no answer", {}, 15},
      {"closed", {AnswerSource::Answer::kNone, AnswerSource::Answer::kClosed}, 2},
  };
  for (const Case& c : cases) {
    ZanvoPc z;
    const auto before = Snapshot(z.pc.card());
    z.answers.script = c.script;
    EXPECT_EQ(z.Run({"pal", "--json"}), 1) << c.what;
    EXPECT_EQ(z.answers.waits, c.waits) << c.what;
    EXPECT_EQ(Snapshot(z.pc.card()), before) << c.what;
    EXPECT_FALSE(z.Exists(z.SavedSet())) << c.what;
    const auto report = nlohmann::json::parse(z.out.str());
    EXPECT_EQ(report["in_force"], "vga") << c.what;
    EXPECT_EQ(report["keep_answer"], c.what);
    if (c.waits == 15) {
      EXPECT_NE(z.err.str().find("Reverting in 1 seconds."), std::string::npos);
    }
  }
}

// A switch no row fits says so, as the window's box does, and leaves the monitor timings.
TEST(ZanvoRun, UnsupportedModeIsSaidAndLeavesTheMonitorTimings) {
  ZanvoPc z("s3-trio64", 800, 600);
  const auto before = Snapshot(z.pc.card());
  EXPECT_EQ(z.Run({"ntsc"}), 1);
  EXPECT_NE(z.err.str().find("zanvo: Video mode unsupported!"), std::string::npos) << z.err.str();
  EXPECT_EQ(z.answers.waits, 0) << "nothing to keep, nothing asked";
  EXPECT_EQ(Snapshot(z.pc.card()), before);
  EXPECT_FALSE(z.Exists(z.SavedSet()));
}

TEST(ZanvoOptions, FlagsAreOffUnlessGiven) {
  const char* plain[] = {"zanvo", "PAL"};
  const ParsedCommandLine a = ParseZanvoCommandLine(2, plain);
  ASSERT_FALSE(a.exit_code.has_value());
  EXPECT_EQ(a.options.standard, engine::vsPAL);
  EXPECT_FALSE(a.options.computed || a.options.no_interlace || a.options.positive_sync ||
               a.options.odd_even_vsync || a.options.detect || a.options.readout || a.options.json);
  EXPECT_FALSE(a.options.chipset.has_value());
  const char* all[] = {"zanvo", "24khz", "--computed", "--no-interlace", "--positive-sync",
                       "--odd-even-vsync", "--detect", "--readout", "--json", "--move", "Down",
                       "--move", "right", "--chipset", "cirrus"};
  const ParsedCommandLine b = ParseZanvoCommandLine(15, all);
  ASSERT_FALSE(b.exit_code.has_value()) << b.error;
  EXPECT_EQ(b.options.standard, engine::vs24kHz);
  EXPECT_TRUE(b.options.computed && b.options.no_interlace && b.options.positive_sync &&
              b.options.odd_even_vsync && b.options.detect && b.options.readout && b.options.json);
  EXPECT_EQ(b.options.moves, (std::vector<Move>{Move::kDown, Move::kRight}));
  EXPECT_EQ(b.options.chipset.value_or(""), "cirrus");
  // A refused command line says what it did not understand.
  const char* sideways[] = {"zanvo", "pal", "--move", "sideways"};
  const ParsedCommandLine c = ParseZanvoCommandLine(4, sideways);
  EXPECT_EQ(c.exit_code.value_or(0), 2);
  EXPECT_EQ(c.error, "zanvo: --move sideways not understood; up, down, left or right");
}

// What zanvo reads as root is refused unless it is safe, and then nothing is written: not to
// the card (beyond the VGA check's index register), not to disk.
TEST(ZanvoRun, UnsafeFilesAndNoVgaAreRefusedWithNothingWritten) {
  const std::string head = "zanvo-saved-registers 1\nfamily 3\n";
  struct Case {
    const char* what;
    std::string saved;  // the saved set's text (empty: none)
    mode_t mode;
    bool foreign_owner;
    const char* refusal;
  };
  const Case cases[] = {
      {"a saved set writable by others", head + "03d4 11 8e\n", 0666, false, "writable by others"},
      {"a saved set of another user", head + "03d4 11 8e\n", 0600, true, "belongs to another user"},
      {"a saved set naming port 0x80", head + "0080 - 00\n", 0600, false, "port 0x0080"},
      {"a saved set naming the PCI address port", head + "0cf8 - 00\n", 0600, false, "port 0x0cf8"},
  };
  for (const Case& c : cases) {
    ZanvoPc z;
    mkdir(z.run_dir.c_str(), 0700);
    std::ofstream(z.SavedSet()) << c.saved;
    chmod(z.SavedSet().c_str(), c.mode);
    // Only root can give a file away; the program runs as root.
    if (c.foreign_owner && chown(z.SavedSet().c_str(), geteuid() + 1, static_cast<gid_t>(-1)) != 0) {
      continue;
    }
    const auto before = Snapshot(z.pc.card());
    for (const char* standard : {"pal", "vga"}) {
      z.ports.writes = 0;
      EXPECT_EQ(z.Run({standard}), 1) << c.what;
      EXPECT_NE(z.err.str().find(c.refusal), std::string::npos) << c.what << ": " << z.err.str();
      EXPECT_EQ(z.ports.writes, 3u) << c.what << ": only the VGA check's index writes";
      EXPECT_EQ(Snapshot(z.pc.card()), before) << c.what;
      EXPECT_FALSE(z.Exists(z.settings_dir + "/settings")) << c.what;
    }
  }

  // A machine whose ports read all ones: not a single write, not even a directory.
  ZanvoPc none;
  struct NoVga final : public PortIo {
    uint32_t writes = 0;
    uint8_t InByte(uint16_t) override { return 0xFF; }
    uint16_t InWord(uint16_t) override { return 0xFFFF; }
    uint32_t InDword(uint16_t) override { return 0xFFFFFFFF; }
    void OutByte(uint16_t, uint8_t) override { ++writes; }
    void OutWord(uint16_t, uint16_t) override { ++writes; }
    void OutDword(uint16_t, uint32_t) override { ++writes; }
  } server;
  std::ostringstream out, err;
  ZanvoOptions pal;
  pal.standard = engine::vsPAL;
  pal.standard_name = "pal";
  ZanvoMachine machine{server, none.pc, nullptr, true, "", [] { return 0.0; }, none.run_dir,
                       none.settings_dir, geteuid(), none.answers, out, err};
  EXPECT_EQ(RunZanvo(pal, machine), 1);
  EXPECT_EQ(server.writes, 0u);
  EXPECT_NE(err.str().find("no VGA answers at the standard ports"), std::string::npos) << err.str();
  EXPECT_FALSE(none.Exists(none.run_dir));
  EXPECT_FALSE(none.Exists(none.settings_dir));

  // No port access (not root): said, nothing touched.
  machine.port_access = false;
  machine.port_access_failure = "port access needs root (run it with sudo)";
  EXPECT_EQ(RunZanvo(pal, machine), 1);
  EXPECT_NE(err.str().find("needs root"), std::string::npos);
  EXPECT_EQ(server.writes, 0u);
}

// A second copy is turned away in zanvo_way_back_test.cpp (not one port touched); a chipset
// nobody has in ZanvoOptions below.
TEST(ZanvoRun, BadCommandLinesAreTurnedAway) {
  ZanvoPc z;
  struct Case {
    std::vector<const char*> args;
    int exit_code;
  };
  const Case cases[] = {
      {{}, 2}, {{"secam"}, 2}, {{"pal", "--move", "sideways"}, 2}, {{"pal", "--colour"}, 2},
      {{"--help"}, 0}, {{"--version"}, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(z.Run(c.args), c.exit_code) << (c.args.empty() ? "" : c.args[0]);
}

// A chipset nobody has is a command line error for every standard, said while parsing: the
// card, the run directory and the settings are left alone.
TEST(ZanvoOptions, ChipsetNobodyHasIsRefusedWhileParsing) {
  for (const char* standard : {"pal", "ntsc", "24khz", "vga"}) {
    const char* args[] = {"zanvo", standard, "--chipset", "nosuchchip"};
    const ParsedCommandLine parsed = ParseZanvoCommandLine(4, args);
    EXPECT_EQ(parsed.exit_code.value_or(0), 2) << standard;
    EXPECT_NE(parsed.error.find("nosuchchip"), std::string::npos) << standard << ": " << parsed.error;
  }
  const char* named[] = {"zanvo", "pal", "--chipset", "tseng:et4000"};
  const ParsedCommandLine parsed = ParseZanvoCommandLine(4, named);
  ASSERT_FALSE(parsed.exit_code.has_value()) << parsed.error;
  EXPECT_EQ(parsed.options.chip.family, engine::cfTseng);
}

// The window's options and moves on the command line, and a chipset chosen by hand.
TEST(ZanvoRun, OptionsMovesAndChipsetReachTheCard) {
  ZanvoPc z;
  z.answers.script = {AnswerSource::Answer::kYes};
  ASSERT_EQ(z.Run({"pal"}), 0) << z.err.str();
  const virt::Signal plain = z.pc.card().signal();
  ASSERT_TRUE(plain.interlaced) << "PAL at 640x480 on the Trio64 interlaces";
  z.answers.script = {AnswerSource::Answer::kYes};
  ASSERT_EQ(z.Run({"pal", "--no-interlace", "--positive-sync", "--chipset", "s3", "--move", "up",
                   "--move", "left", "--json"}), 0) << z.err.str();
  const virt::Signal& signal = z.pc.card().signal();
  EXPECT_FALSE(signal.interlaced);
  EXPECT_NE(signal.hsync_positive, plain.hsync_positive);
  EXPECT_NE(signal.vsync_positive, plain.vsync_positive);
  const auto report = nlohmann::json::parse(z.out.str());
  EXPECT_EQ(report["moves_made"], 2);
  EXPECT_EQ(report["chip"]["detected"], false);
  EXPECT_EQ(report["keep_answer"], "yes");
  // What the check measured is what the card sends.
  EXPECT_NEAR(report["field_check"]["field_hz"].get<double>(), signal.field_rate_hz, 0.02 * signal.field_rate_hz);
  EXPECT_NEAR(report["field_check"]["line_hz"].get<double>(), signal.line_rate_hz, 0.05 * signal.line_rate_hz);
  EXPECT_EQ(report["field_check"]["passed"], true);
}

}  // namespace
}  // namespace zanvo::console
