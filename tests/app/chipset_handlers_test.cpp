// The "Video Chipset" group: the lists over the stored chipset, the user's choices, detection and
// Next on machines with one or two adapters, and the ATI path with its PCI search and ROM clock.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/texts.h"
#include "engine/chip_codes.h"
#include "engine/engine_state.h"
#include "platform/virtual/cards/ati_mach64_card.h"
#include "platform/virtual/card_catalog.h"
#include "tv_scenario.h"

namespace zanvo::testing::tv {
namespace {

using engine::Eng;

// What a list shows in its box: the selected entry's text, or nothing.
std::string Shown(const toolkit::ComboBox& list) {
  const int i = list.item_index();
  return i < 0 ? std::string{} : list.item(i).text;
}

std::vector<std::string> Entries(const toolkit::ComboBox& list) {
  std::vector<std::string> texts;
  for (const auto& item : list.items())
    texts.push_back(item.text);
  return texts;
}

constexpr int kBrandAti = 1;
constexpr int kBrandWesternDigital = 11;
constexpr uint16_t kAtiBase = 0xE800;
const char* const kAtiEntry = "Generic (I/O: E800h)";

TEST(ChipsetLists, StoredChipsetIsShown) {
  struct Case {
    uint8_t family;
    uint16_t model;
    const char* brand;  // "" : no brand shown
    const char* model_shown;
    uint8_t family_after;
  };
  const Case cases[] = {
      {0, 0, "Standard IBM VGA", "", engine::cfStandardVGA},  // first run
      {engine::cfTrident, 243, "Trident", "3D (3Dimage, Blade3D, etc)", engine::cfTrident},
      {engine::cfS3, 200, "S3", "Vision864/964", engine::cfS3},
      {engine::cfOak, 2, "Oak Technologies", "Generic", engine::cfOak},
      {engine::cfOak, 0, "Oak Technologies", "OTI037", engine::cfOak},
      {engine::cfWD, 0x3330, "Western Digital", "WD90C30", engine::cfWD},
      {engine::cfSiS, 0x0300, "SiS", "SiS300", engine::cfSiS},
      {engine::cfTseng, 3000, "Tseng Labs", "ET3000", engine::cfTseng},
      {engine::cfCode7, 0, "", "", engine::cfCode7},  // no brand entry: the code stays
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "family " << int{c.family} << " model " << c.model);
    StartedShell pc("vga", 640, 480, c.family, c.model);
    EXPECT_EQ(Shown(pc.w().comboChipsets), c.brand);
    EXPECT_EQ(Shown(pc.w().comboModels), c.model_shown);
    EXPECT_EQ(Eng.ChipFamily, c.family_after);
    EXPECT_EQ(Eng.ChipModel, c.model) << "the stored model stays in force";
    EXPECT_TRUE(pc.shell.boxes.shown.empty());
  }
}

TEST(ChipsetLists, ABrandKeepsTheModelUntilTheUserPicksOne) {
  StartedShell pc("vga", 640, 480, engine::cfS3, engine::kModelS3Trio64);
  auto& w = pc.w();
  w.comboChipsets.UserSelect(kBrandWesternDigital);
  EXPECT_EQ(Eng.ChipFamily, engine::cfWD);
  EXPECT_EQ(Entries(w.comboModels), (std::vector<std::string>{"WD90C00", "WD90C30"}));
  EXPECT_EQ(Shown(w.comboModels), "WD90C00");
  EXPECT_EQ(Eng.ChipModel, engine::kModelS3Trio64);

  w.comboModels.UserSelect(1);
  EXPECT_EQ(Eng.ChipModel, engine::kModelWD90C30);
}

TEST(Detection, DetectShowsTheInstalledChip) {
  struct Case {
    const char* card;
    uint8_t family;
    uint16_t model;
    const char* brand;
    const char* model_shown;
  };
  const Case cases[] = {
      {"s3-trio64", engine::cfS3, 0x11, "S3", "Trio32/64"},
      {"sis-300", engine::cfSiS, 0x0300, "SiS", "SiS300"},
      {"tseng-et4000", engine::cfTseng, 4000, "Tseng Labs", "ET4000"},
      {"oak-oti087", engine::cfOak, 83, "Oak Technologies", "OTI083/87"},
      {"cirrus-gd5434", engine::cfCirrus, 0, "Cirrus Logic", ""},
      {"ati-mach64", engine::cfATI, virt::kPciDeviceMach64Gt, "ATI Technology", kAtiEntry},
      {"vga", engine::cfStandardVGA, 0, "Standard IBM VGA", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.card);
    // The settings name another chipset; detection replaces it.
    StartedShell pc(c.card, 640, 480, engine::cfTrident, 1);
    ASSERT_FALSE(pc.w().btnDetectNext.enabled);
    pc.w().btnDetect.Click();
    EXPECT_EQ(Eng.ChipFamily, c.family);
    EXPECT_EQ(Eng.ChipModel, c.model) << std::hex << Eng.ChipModel;
    EXPECT_EQ(Shown(pc.w().comboChipsets), c.brand);
    EXPECT_EQ(Shown(pc.w().comboModels), c.model_shown);
    EXPECT_TRUE(pc.w().btnDetectNext.enabled);
    EXPECT_TRUE(pc.shell.boxes.shown.empty());
  }
}

// An ATI card in its usual slot (bus 1) and a SiS 300 on bus 2; the host bridge answers at
// slot 0. Detection reports the highest slot first and Next walks down from there.
TEST(Detection, NextWalksDownToTheSecondAdapterAndStopsAtTheBottom) {
  StartedShell pc("ati-mach64", 640, 480, engine::cfStandardVGA, 0, [](StartedShell& s) {
    s.shell.pc.AddExtraCard(64, virt::MakeCard("sis-300"));
    s.shell.pc.AddPciDevice(0, {true, 0x8086, 0x1237, 0x0600, 0});
  });
  auto& w = pc.w();

  w.btnDetect.Click();
  EXPECT_EQ(Shown(w.comboChipsets), "SiS");
  EXPECT_EQ(Shown(w.comboModels), "SiS300");
  EXPECT_EQ(Eng.PciCursor, 64u);

  w.btnDetectNext.Click();
  EXPECT_EQ(Shown(w.comboChipsets), "ATI Technology");
  EXPECT_EQ(Entries(w.comboModels), std::vector<std::string>{kAtiEntry});
  EXPECT_EQ(Eng.ExtIoBase, kAtiBase);
  EXPECT_EQ(Eng.PciCursor, 32u);
  EXPECT_TRUE(w.btnDetectNext.enabled);

  // Nothing supported below: the button is disabled, the lists show the ATI card again and the
  // next detection starts from the top.
  w.btnDetectNext.Click();
  EXPECT_FALSE(w.btnDetectNext.enabled);
  EXPECT_EQ(Shown(w.comboChipsets), "ATI Technology");
  EXPECT_EQ(Eng.ChipFamily, engine::cfATI);
  EXPECT_EQ(Eng.PciCursor, 512u);
  EXPECT_TRUE(pc.shell.boxes.shown.empty());

  w.btnDetect.Click();
  EXPECT_EQ(Shown(w.comboChipsets), "SiS");
  EXPECT_TRUE(w.btnDetectNext.enabled);
}

TEST(AtiBrand, ChoosingAtiSearchesThePciBusAndReadsTheRomClock) {
  struct Clock {
    uint16_t ref_freq, ref_div, mem_clock;
    uint8_t post, feedback;
  };
  const Clock load_values{1432, 31, 6300, 0, 0};
  struct Case {
    const char* name;
    const char* card;
    const char* extra_ati;  // slot 64, seen on PCI only
    bool found;
    // The Mach64's ROM: 1432 x 10 kHz reference, divider 33: x = 33 * 2832.2 / 2864 = 32.63,
    // post divider 4, feedback 4 * 32.63 = 130.5 -> 131.
    Clock clock;
  };
  const Case cases[] = {
      {"ATI card", "ati-mach64", nullptr, true, {1432, 33, 6300, 4, 131}},
      // The primary card's ROM has no ATI clock table (all ones): refused, the values stay.
      {"ATI card beside a plain VGA", "vga", "ati-mach64", true, load_values},
      {"no ATI card", "s3-trio64", nullptr, false, load_values},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StartedShell pc(c.card, 640, 480, engine::cfStandardVGA, 0, [&](StartedShell& s) {
      if (c.extra_ati) s.shell.pc.AddExtraCard(64, virt::MakeCard(c.extra_ati));
    });
    auto& w = pc.w();
    w.comboChipsets.UserSelect(kBrandAti);

    if (c.found) {
      EXPECT_TRUE(pc.shell.boxes.shown.empty());
      EXPECT_EQ(Eng.ChipFamily, engine::cfATI);
      EXPECT_EQ(Eng.ChipModel, virt::kPciDeviceMach64Gt);
      EXPECT_EQ(Eng.ExtIoBase, kAtiBase);
      EXPECT_EQ(Shown(w.comboChipsets), "ATI Technology");
      EXPECT_EQ(Entries(w.comboModels), std::vector<std::string>{kAtiEntry});
      EXPECT_EQ(Shown(w.comboModels), kAtiEntry);
    } else {
      ASSERT_EQ(pc.shell.boxes.shown.size(), 1u);
      EXPECT_EQ(pc.shell.boxes.shown[0].kind, MessageKind::kErrorOk);
      EXPECT_EQ(pc.shell.boxes.shown[0].text, app::texts::kChipsetNotFound);
      EXPECT_EQ(Eng.ChipFamily, engine::cfStandardVGA);
      EXPECT_EQ(Eng.ExtIoBase, 0);
      EXPECT_EQ(Shown(w.comboChipsets), "Standard IBM VGA");
      EXPECT_EQ(Entries(w.comboModels), std::vector<std::string>{"Generic"});
    }
    EXPECT_EQ(Eng.PllRefFreq, c.clock.ref_freq);
    EXPECT_EQ(Eng.PllRefDiv, c.clock.ref_div);
    EXPECT_EQ(Eng.MemClock, c.clock.mem_clock);
    EXPECT_EQ(Eng.VclkPostDiv, c.clock.post);
    EXPECT_EQ(Eng.VclkFbDiv, c.clock.feedback);
  }
}

TEST(AtiBrand, PickingTheAtiModelRepeatsTheSearch) {
  StartedShell pc("ati-mach64", 640, 480, engine::cfStandardVGA, 0);
  auto& w = pc.w();
  w.comboChipsets.UserSelect(kBrandAti);
  ASSERT_EQ(Eng.ChipModel, virt::kPciDeviceMach64Gt);
  Eng.ExtIoBase = 0;  // forget the base: only a new search can bring it back

  w.comboModels.UserSelect(0);
  EXPECT_EQ(Eng.ExtIoBase, kAtiBase);
  EXPECT_EQ(Eng.ChipFamily, engine::cfATI);
  EXPECT_EQ(Eng.ChipModel, virt::kPciDeviceMach64Gt);
  EXPECT_TRUE(pc.shell.boxes.shown.empty());
}

}  // namespace
}  // namespace zanvo::testing::tv
