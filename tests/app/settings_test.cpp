// Stored settings that are missing, of the wrong type or hand-edited, and settings surviving a
// restart on the same machine.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "app/texts.h"
#include "engine/chip_codes.h"
#include "shell_checks.h"

namespace zanvo::testing::shell {
namespace {

using engine::Eng;

struct Expected {
  bool exit_vga = true;
  bool save_exit = true;
  uint8_t polarity = 0x33;
  bool isp = false;
  uint8_t interlace = 1;
  bool no_interlace = false;
  uint16_t odd_even = 0;
  bool oe_box = false;
  uint8_t family = 1;  // no stored code: Standard IBM VGA
  uint16_t model = 0;
  uint8_t standard = engine::vsVGA;
  bool visible = true;
};

TEST(Settings, EveryStoredValueReadsAsSomethingTheAdapterCanTake) {
  using Arrange = std::function<void(FakeRegistry&)>;
  auto dword = [](const char* name, uint32_t v) {
    return [=](FakeRegistry& r) { r.SetDword(kKey, name, v); };
  };
  auto text = [](const char* name, const char* v) {
    return [=](FakeRegistry& r) { r.SetText(kKey, name, v); };
  };
  auto binary = [](const char* name) { return [=](FakeRegistry& r) { r.SetBinary(kKey, name); }; };
  auto with = [](Expected e, const std::function<void(Expected&)>& change) {
    change(e);
    return e;
  };
  const Expected defaults;
  struct Case {
    const char* name;
    std::vector<Arrange> arrange;
    Expected expected;
  };
  const Case cases[] = {
      {"every value missing", {}, defaults},
      {"every value of another type",
       {binary("ExitToVGA"), binary("SaveChanges"), binary("Polarity"), binary("Interlaced"),
        binary("OddOrEvenSyncSize"), binary("Chipset"), binary("Model"), binary("Visible"),
        dword("VideoStandard", 99)},
       defaults},
      {"booleans off",
       {dword("ExitToVGA", 0), dword("SaveChanges", 0), dword("Visible", 0)},
       with(defaults, [](Expected& e) { e.exit_vga = e.save_exit = e.visible = false; })},
      {"booleans as any non-zero", {dword("ExitToVGA", 7), dword("Visible", 0x100)}, defaults},
      {"positive polarity",
       {dword("Polarity", 0xF3)},
       with(defaults, [](Expected& e) { e.polarity = 0xF3, e.isp = true; })},
      {"positive polarity in the low byte",
       {dword("Polarity", 0x1F3)},
       with(defaults, [](Expected& e) { e.polarity = 0xF3, e.isp = true; })},
      {"polarity garbage", {dword("Polarity", 0x55)}, defaults},
      {"polarity zero", {dword("Polarity", 0)}, defaults},
      {"interlace off",
       {dword("Interlaced", 0)},
       with(defaults, [](Expected& e) { e.interlace = 0, e.no_interlace = true; })},
      {"interlace 5", {dword("Interlaced", 5)}, defaults},
      {"odd/even 1",
       {dword("OddOrEvenSyncSize", 1)},
       with(defaults, [](Expected& e) { e.odd_even = 1, e.oe_box = true; })},
      {"odd/even out of range",
       {dword("OddOrEvenSyncSize", 0x1234)},
       with(defaults, [](Expected& e) { e.odd_even = 1, e.oe_box = true; })},
      {"chipset and model in their low bits",
       {dword("Chipset", 0x100 + engine::cfTseng), dword("Model", 0x10000 + 4000)},
       with(defaults, [](Expected& e) { e.family = engine::cfTseng, e.model = 4000; })},
      {"chipset of another type skips the model",
       {binary("Chipset"), dword("Model", 4000)},
       defaults},
      {"chipset without a brand stays in force",
       {dword("Chipset", 7)},
       with(defaults, [](Expected& e) { e.family = 7; })},
      {"standard in lower case", {text("VideoStandard", "pal")}, defaults},
      {"standard with a trailing blank", {text("VideoStandard", "NTSC ")}, defaults},
      {"standard unknown", {text("VideoStandard", "SECAM")}, defaults},
      {"PAL with garbage options",
       {text("VideoStandard", "PAL"), dword("Polarity", 0x00), dword("OddOrEvenSyncSize", 9)},
       with(defaults,
            [](Expected& e) { e.standard = engine::vsPAL, e.odd_even = 1, e.oe_box = true; })},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Machine m;
    for (const Arrange& a : c.arrange)
      a(m.registry);
    ShellHarness h(m);
    h.Start();
    auto& w = *h.main;
    const Expected& e = c.expected;

    EXPECT_EQ(w.chkExitVGA.checked(), e.exit_vga);
    EXPECT_EQ(w.chkSaveExit.checked(), e.save_exit);
    EXPECT_EQ(Eng.SyncPolarityMask, e.polarity) << std::hex << int{Eng.SyncPolarityMask};
    EXPECT_EQ(w.chkISP.checked(), e.isp);
    EXPECT_EQ(Eng.InterlaceEnabled, e.interlace);
    EXPECT_EQ(w.chkNoInterlace.checked(), e.no_interlace);
    EXPECT_EQ(Eng.OddEvenVSyncSize, e.odd_even);
    EXPECT_EQ(w.chkOEVSyncSz.checked(), e.oe_box);
    EXPECT_EQ(Eng.ChipFamily, e.family);
    EXPECT_EQ(Eng.ChipModel, e.model);
    EXPECT_EQ(Eng.CurrentStandard, e.standard);
    EXPECT_EQ(w.visible, e.visible);
    // The window always shows one standard, and the one in force.
    EXPECT_EQ(w.chkModeVGA.checked(), e.standard == engine::vsVGA);
    EXPECT_EQ(w.chkModePAL.checked(), e.standard == engine::vsPAL);
    EXPECT_EQ(w.VGAMode.checked, e.standard == engine::vsVGA);
    EXPECT_EQ(w.TVMode.checked, e.standard != engine::vsVGA);
    if (e.family == 7) {
      EXPECT_EQ(w.comboChipsets.item_index(), -1);
    }
    // No stored value blacks out the screen.
    const double khz = e.standard == engine::vsVGA ? kVgaKhz : kPalKhz;
    EXPECT_NEAR(LineKhz(h), khz, kKhzTolerance);
    EXPECT_TRUE(virt::AnalyzeSignal(h.pc.card()).has_signal());
    EXPECT_TRUE(h.boxes.shown.empty());
  }
}

TEST(Settings, ChangesSurviveARestartOnTheSameMachine) {
  Machine m;
  {
    ShellHarness h(m);
    h.Start();
    auto& w = *h.main;
    w.chkISP.UserClick();
    w.chkNoInterlace.UserClick();
    w.chkOEVSyncSz.UserClick();
    w.chkExitVGA.UserClick();  // leave without returning to VGA
    // What detection or the lists leave in the engine.
    Eng.ChipFamily = engine::cfS3;
    Eng.ChipModel = engine::kModelS3Trio64;
    ChooseAndKeep(h, w.chkModeNTSC);
    ASSERT_EQ(Eng.CurrentStandard, engine::vsNTSC);
    int action = 1;
    w.OnClose(action);  // hidden, then closed from the tray
    w.Close.Click();
    ASSERT_TRUE(h.application.terminate_requested());
    h.Stop();
  }
  EXPECT_EQ(StoredText(m, "VideoStandard"), "NTSC");

  ShellHarness h(m);
  h.Start();
  auto& w = *h.main;
  EXPECT_FALSE(h.application.terminate_requested()) << "the first copy has ended";
  EXPECT_EQ(Eng.SyncPolarityMask, 0xF3);
  EXPECT_TRUE(w.chkISP.checked());
  EXPECT_EQ(Eng.InterlaceEnabled, 0);
  EXPECT_TRUE(w.chkNoInterlace.checked());
  EXPECT_EQ(Eng.OddEvenVSyncSize, 1);
  EXPECT_TRUE(w.chkOEVSyncSz.checked());
  EXPECT_FALSE(w.chkExitVGA.checked());
  EXPECT_TRUE(w.chkSaveExit.checked());
  EXPECT_EQ(Eng.ChipFamily, engine::cfS3);
  EXPECT_EQ(Eng.ChipModel, engine::kModelS3Trio64);
  EXPECT_EQ(Eng.CurrentStandard, engine::vsNTSC);
  EXPECT_TRUE(w.chkModeNTSC.checked());
  EXPECT_FALSE(w.visible);
  EXPECT_TRUE(h.modal.shown_captions.empty());
  const virt::Signal s = virt::AnalyzeSignal(h.pc.card());
  EXPECT_NEAR(s.line_rate_hz / 1000.0, kNtscKhz, kKhzTolerance);
  EXPECT_FALSE(s.interlaced) << "No interlace was stored";
  // The stored mask 0xF3 keeps both polarity bits of Miscellaneous Output set.
  EXPECT_FALSE(s.hsync_positive);
  EXPECT_FALSE(s.vsync_positive);
}

}  // namespace
}  // namespace zanvo::testing::shell
