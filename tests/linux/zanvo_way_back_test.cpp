// The way back under what goes wrong: a death in the middle of a switch, a second copy, a saved
// set from another chip, a set that cannot be stored, unsafe settings, a stopped program.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <nlohmann/json.hpp>

#include "app/texts.h"
#include "card_snapshot.h"
#include "console_settings.h"
#include "engine/chip_codes.h"
#include "platform/linux/lock_file.h"
#include "platform/linux/settings_file.h"
#include "zanvo_pc.h"

namespace zanvo::console {
namespace {

using testing::Snapshot;
using namespace runs;

std::string Contents(const std::string& path) {
  std::ifstream file(path);
  return std::string((std::istreambuf_iterator<char>(file)), {});
}

// The process dies in the field check, with the TV standard already on the card: every
// register it wrote is on disk with its old value, and `zanvo vga` brings the monitor back.
TEST(ZanvoWayBack, DeathInTheFieldCheckLeavesTheSavedSetOnDisk) {
  for (const char* card : {"s3-trio64", "oak-oti087", "intel-i740", "vga"}) {
    ZanvoPc z(card);
    const auto before = Snapshot(z.pc.card());
    z.ports.die_at_timer_after_writes = true;
    EXPECT_THROW(z.Run({"pal"}), Death) << card;
    z.ports.die_at_timer_after_writes = false;
    ASSERT_NE(Snapshot(z.pc.card()), before) << card << ": the switch had written the card";
    ASSERT_TRUE(z.Exists(z.SavedSet())) << card;
    EXPECT_EQ(z.Run({"vga", "--json"}), 0) << card << z.err.str();
    EXPECT_EQ(Snapshot(z.pc.card()), before) << card;
    EXPECT_EQ(nlohmann::json::parse(z.out.str())["in_force"], "vga") << card;
  }
}

// `vga` with nothing saved measures what the card sends: monitor timings are done, a TV
// standard whose set was lost is said and is a failure.
TEST(ZanvoWayBack, VgaWithNothingSavedSaysWhatTheCardSends) {
  struct Case {
    const char* standard;  // kept before the saved set was lost ("" none)
    int exit_code;
    const char* in_force;
    const char* message;
  };
  const Case cases[] = {
      {"", 0, "vga", "the card holds monitor timings"},
      {"pal", 1, "unknown", "does not send monitor timings (line rate 15"},
      {"24khz", 1, "unknown", "does not send monitor timings (line rate 24"},
  };
  for (const Case& c : cases) {
    ZanvoPc z;
    if (*c.standard) {
      z.answers.script = {AnswerSource::Answer::kYes};
      ASSERT_EQ(z.Run({c.standard}), 0) << z.err.str();
      unlink(z.SavedSet().c_str());
    }
    const auto held = Snapshot(z.pc.card());
    EXPECT_EQ(z.Run({"vga"}), c.exit_code) << c.standard;
    EXPECT_NE(z.out.str().find(std::string("Message: no saved registers") + (c.exit_code ? ", and" : ":")),
              std::string::npos) << z.out.str();
    EXPECT_NE(z.out.str().find(c.message), std::string::npos) << z.out.str();
    EXPECT_NE(z.out.str().find(std::string("In force: ") + c.in_force), std::string::npos) << z.out.str();
    EXPECT_EQ(Snapshot(z.pc.card()), held) << "nothing written to the card";
  }
}

// A second copy finds the lock before it touches the card: not one port read or written.
TEST(ZanvoWayBack, SecondCopyTouchesNoPort) {
  for (const char* standard : {"pal", "vga"}) {
    ZanvoPc z;
    mkdir(z.run_dir.c_str(), 0700);
    linux_pc::LockFile first(z.run_dir);
    ASSERT_EQ(first.Acquire(kLockName), InstanceResult::kFirst);
    EXPECT_EQ(z.Run({standard}), 1);
    EXPECT_NE(z.err.str().find("ZANVO was already running!"), std::string::npos) << z.err.str();
    EXPECT_EQ(z.ports.writes, 0u) << standard;
    EXPECT_EQ(z.ports.reads, 0u) << standard;
  }
}

// A saved set naming a family's own ports is written back only on a chip of that family.
TEST(ZanvoWayBack, SavedSetOfAnotherFamilyIsRefused) {
  const std::string head = "zanvo-saved-registers 1\n";
  struct Case {
    const char* card;
    std::string set;
    bool refused;
  };
  const Case cases[] = {
      {"vga", head + "family 60\n43c8 - 12\n43c9 - 34\n", true},
      {"s3-trio64", head + "family 20\n03de 21 07\n", true},
      {"oak-oti087", head + "family 9\n03d6 0d 01\n", true},
      {"oak-oti087", head + "family 20\n03de 21 07\n", false},
      {"vga", head + "family 60\n03d4 13 50\n", false},  // the VGA's own registers only
  };
  for (const Case& c : cases) {
    ZanvoPc z(c.card);
    mkdir(z.run_dir.c_str(), 0700);
    std::ofstream(z.SavedSet()) << c.set;
    chmod(z.SavedSet().c_str(), 0600);
    EXPECT_EQ(z.Run({"vga", "--json"}), c.refused ? 1 : 0) << c.card << ": " << z.err.str();
    const auto report = nlohmann::json::parse(z.out.str());
    EXPECT_EQ(report["restored"], !c.refused) << c.card;
    EXPECT_EQ(z.Exists(z.SavedSet()), c.refused) << c.card << ": a refused set stays for its PC";
    if (c.refused) {
      EXPECT_NE(report["refusal"].dump().find("and the chip detected on this PC is"), std::string::npos)
          << report.dump();
    }
  }
  // Trident's clock ports are not written on a plain VGA (its detection does not touch them).
  ZanvoPc z("vga");
  mkdir(z.run_dir.c_str(), 0700);
  std::ofstream(z.SavedSet()) << cases[0].set;
  chmod(z.SavedSet().c_str(), 0600);
  EXPECT_EQ(z.Run({"vga"}), 1);
  EXPECT_EQ(z.ports.written_ports.count(0x43C8), 0u);
}

// A switch whose saved set cannot be stored is not made: refused before the first write.
TEST(ZanvoWayBack, SwitchWithoutAStoredSetGoesBack) {
  for (const char* standard : {"pal", "ntsc", "24khz"}) {
    ZanvoPc z;
    const auto before = Snapshot(z.pc.card());
    mkdir(z.run_dir.c_str(), 0700);
    // Something in the way of the new file that the program does not remove.
    mkdir((z.SavedSet() + ".new").c_str(), 0700);
    mkdir((z.SavedSet() + ".new/in-the-way").c_str(), 0700);
    z.answers.script = {AnswerSource::Answer::kYes};
    z.ports.writes = 0;
    EXPECT_EQ(z.Run({standard, "--json"}), 1) << standard;
    EXPECT_EQ(z.ports.writes, 3u) << "only the VGA check's index writes";
    EXPECT_EQ(Snapshot(z.pc.card()), before) << standard;
    const auto report = nlohmann::json::parse(z.out.str());
    EXPECT_NE(report["refusal"].dump().find("could not be stored"), std::string::npos) << report.dump();
    EXPECT_EQ(Contents(z.settings_dir + "/settings").find("Chipset="), std::string::npos);
  }
}

// The chipset is stored with a kept switch only: one chosen by hand for a refused or declined
// switch does not steer the next run.
TEST(ZanvoWayBack, ChipsetIsStoredOnlyWithAKeptSwitch) {
  struct Case {
    std::vector<const char*> args;
    AnswerSource::Answer answer;
    const char* stored;  // the Chipset line afterwards ("" none)
  };
  const Case cases[] = {
      {{"pal", "--chipset", "tseng:et4000"}, AnswerSource::Answer::kYes, ""},  // refused by measurement
      {{"pal", "--chipset", "s3"}, AnswerSource::Answer::kNo, ""},
      {{"pal", "--chipset", "s3"}, AnswerSource::Answer::kYes, "Chipset=3\n"},
      {{"pal"}, AnswerSource::Answer::kYes, "Chipset=3\n"},
  };
  for (const Case& c : cases) {
    ZanvoPc z;
    z.answers.script = {c.answer};
    z.Run(c.args);
    const std::string settings = Contents(z.settings_dir + "/settings");
    if (*c.stored) {
      EXPECT_NE(settings.find(c.stored), std::string::npos) << c.args[2 % c.args.size()] << settings;
    } else {
      EXPECT_EQ(settings.find("Chipset="), std::string::npos) << settings;
      z.answers.script = {AnswerSource::Answer::kYes};
      EXPECT_EQ(z.Run({"pal"}), 0) << "the next plain run detects: " << z.err.str();
      EXPECT_NE(z.out.str().find("(detected)"), std::string::npos) << z.out.str();
    }
  }
}

// The settings' chipset values are dropped until the run says its switch was kept; the
// options and the standard's own filtering are unchanged.
TEST(ZanvoWayBack, ConsoleSettingsWriteTheChipsetOnlyOnceAllowed) {
  ZanvoPc z;
  mkdir(z.settings_dir.c_str(), 0700);
  linux_pc::SettingsFile file(z.settings_dir + "/settings", geteuid());
  ConsoleSettings settings(file);
  for (const bool allowed : {false, true}) {
    if (allowed) settings.store_chipset = true;  // dropped by default
    auto key = settings.OpenOrCreate(app::texts::kRegistryKey);
    ASSERT_TRUE(key);
    EXPECT_TRUE(key->WriteDword(app::texts::kValueChipset, 7));
    EXPECT_TRUE(key->WriteDword(app::texts::kValueModel, 2));
    EXPECT_TRUE(key->WriteDword(app::texts::kValuePolarity, 1));
    const std::string stored = Contents(z.settings_dir + "/settings");
    EXPECT_EQ(stored.find("Chipset=7") != std::string::npos, allowed) << stored;
    EXPECT_EQ(stored.find("Model=2") != std::string::npos, allowed) << stored;
    EXPECT_NE(stored.find("=1"), std::string::npos) << "the option is stored either way: " << stored;
  }
}

// The way back needs only the saved set: unsafe settings are said and it still goes back.
TEST(ZanvoWayBack, UnsafeSettingsDoNotBlockTheWayBack) {
  ZanvoPc z;
  const auto before = Snapshot(z.pc.card());
  z.answers.script = {AnswerSource::Answer::kYes};
  ASSERT_EQ(z.Run({"pal"}), 0) << z.err.str();
  chmod((z.settings_dir + "/settings").c_str(), 0666);
  EXPECT_EQ(z.Run({"vga"}), 0) << z.err.str();
  EXPECT_EQ(Snapshot(z.pc.card()), before);
  EXPECT_NE(z.err.str().find("writable by others; refused (not needed to go back)"), std::string::npos)
      << z.err.str();
  EXPECT_NE(z.out.str().find("Message: "), std::string::npos) << z.out.str();
  EXPECT_NE(z.out.str().find("In force: vga"), std::string::npos) << z.out.str();
}

// The countdown runs on the clock: a program stopped past the question's 15 seconds goes back
// when it resumes, even if a Yes was waiting.
TEST(ZanvoWayBack, KeepQuestionCountsTheTimeTheProgramWasStopped) {
  struct Case {
    double stopped_s;
    int exit_code;
    const char* keep_answer;
  };
  const Case cases[] = {{20.0, 1, "no answer"}, {15.0, 1, "no answer"}, {5.0, 0, "yes"}};
  for (const Case& c : cases) {
    ZanvoPc z;
    const auto before = Snapshot(z.pc.card());
    z.answers.script = {AnswerSource::Answer::kYes};
    z.answers.while_waiting = [&z, &c] { z.stopped_s += c.stopped_s; };
    EXPECT_EQ(z.Run({"pal", "--json"}), c.exit_code) << c.stopped_s;
    EXPECT_EQ(nlohmann::json::parse(z.out.str())["keep_answer"], c.keep_answer) << c.stopped_s;
    EXPECT_EQ(z.answers.waits, 1) << c.stopped_s;
    if (c.exit_code != 0) {
      EXPECT_EQ(Snapshot(z.pc.card()), before) << c.stopped_s;
    }
  }
}

}  // namespace
}  // namespace zanvo::console
