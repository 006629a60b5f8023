// A switch whose field measured wrong under the model in force is tried under the brand's other
// models that are safe on the chip: the first that measures right stays in force, is shown and
// asked about; when none does, the row's own clock is tried last. The search is bounded in time.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "app/texts.h"
#include "chipset/catalogue.h"
#include "chipset/sibling_models.h"
#include "engine/chip_codes.h"
#include "engine/engine_port.h"
#include "engine/engine_state.h"
#include "platform/port_io.h"
#include "platform/virtual/bus_model.h"
#include "platform/virtual/pit.h"
#include "shell_checks.h"
#include "tv_scenario.h"

namespace zanvo::testing::tv {
namespace {

using engine::Eng;
using shell::StoredDword;
using shell::StoredText;

constexpr int kTsengGeneric = 0;  // index in the Tseng model list
constexpr int kTsengEt4000 = 2;

std::string ShownModel(StartedShell& pc) {
  const int index = pc.w().comboModels.item_index();
  return index < 0 ? "" : pc.w().comboModels.item(index).text;
}

TEST(SiblingSearch, AMissUnderTheDetectedModelIsRecoveredByASibling) {
  struct Case {
    const char* name;
    std::function<void(StartedShell&)> act;  // ends with the keep question answered Yes
  };
  const Case cases[] = {
      {"PAL clicked on the ET4000",
       [](StartedShell& pc) {
         pc.shell.modal.scripts.push_back(AnswerYes);
         pc.w().chkModePAL.UserClick();
       }},
      {"PAL kept under Generic, then the ET4000 model and an option",
       [](StartedShell& pc) {
         pc.w().comboModels.UserSelect(kTsengGeneric);
         pc.shell.modal.scripts.push_back(AnswerYes);
         pc.w().chkModePAL.UserClick();
         pc.w().comboModels.UserSelect(kTsengEt4000);
         pc.shell.modal.scripts.push_back(AnswerYes);
         pc.w().chkOEVSyncSz.UserClick();
       }},
      {"a script asks for PAL",
       [](StartedShell& pc) { EXPECT_TRUE(pc.w().SwitchFromScript(engine::vsPAL)); }},
      // The own clock served one application only: at 640x480 the ET4000 model's clock step is
      // tried again, misses, and Generic takes over as on a first switch there.
      {"PAL kept on the row's own clock at 800x600, then 640x480",
       [](StartedShell& pc) {
         ASSERT_TRUE(pc.shell.display.ChangeResolution(800, 600));
         pc.shell.modal.scripts.push_back(AnswerYes);
         pc.w().chkModePAL.UserClick();
         ASSERT_EQ(Eng.ChipModel, engine::kModelTseng4000) << "kept on the own clock";
         ASSERT_TRUE(pc.shell.display.ChangeResolution(640, 480));
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StartedShell pc("tseng-et4000", 640, 480, engine::cfTseng, engine::kModelTseng4000);
    pc.w().chkExitVGA.UserClick();  // the set stays on PAL at exit
    c.act(pc);

    EXPECT_EQ(pc.shell.boxes.Count(app::texts::kModeUnsupported), 0);
    EXPECT_EQ(Eng.CurrentStandard, engine::vsPAL);
    EXPECT_EQ(Eng.ChipModel, 0) << "Generic in force";
    EXPECT_EQ(ShownModel(pc), "Generic");
    ExpectRates(SignalOf(pc.shell), kPalLineKhz, kPalFieldHz, c.name);
    EXPECT_TRUE(SignalOf(pc.shell).contradictions.empty());
    // The arrows move the picture of the model in force.
    const int sync = SignalOf(pc.shell).crtc.h_sync_start;
    pc.w().btnRight.Click();
    EXPECT_EQ(SignalOf(pc.shell).crtc.h_sync_start, sync - 1);
    pc.w().btnCloseClick();
    EXPECT_EQ(StoredText(pc.machine, app::texts::kValueVideoStandard), app::texts::kStandardPal);
    EXPECT_EQ(StoredDword(pc.machine, app::texts::kValueModel), 0u);
  }
}

TEST(SiblingSearch, AnUnkeptSwitchGivesBackTheUserModelShownAndStored) {
  // PAL on the ET4000 model misses at 640x480 and Generic takes it over; the keep question then
  // ends without a Yes in every way it can. The ET4000 model is in force, shown and stored again.
  struct Case {
    const char* name;
    std::function<void(StartedShell&, toolkit::Form&)> answer;  // while the question is open
  };
  const Case cases[] = {
      {"No", [](StartedShell&, toolkit::Form& form) { AnswerNo(form); }},
      {"the countdown",
       [](StartedShell&, toolkit::Form& form) {
         int ticks = 0;
         LetCountdownRunOut(ticks)(form);
       }},
      {"tray Close", [](StartedShell& pc, toolkit::Form&) { pc.w().Close.Click(); }},
      {"the session ends",
       [](StartedShell& pc, toolkit::Form& form) {
         pc.w().StoreSettingsAtSessionEnd();
         AnswerNo(form);  // the process ends; what was stored is what counts
       }},
      // No row for PAL under either model at 800x600: the switch is refused at the new size,
      // which closes the question.
      {"a resolution change refused at the new size",
       [](StartedShell& pc, toolkit::Form& form) {
         ASSERT_TRUE(pc.shell.display.ChangeResolution(800, 600));
         EXPECT_EQ(form.modal_result(), toolkit::mrCancel) << "the question stayed open";
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StartedShell pc("tseng-et4000", 640, 480, engine::cfTseng, engine::kModelTseng4000);
    pc.shell.modal.scripts.push_back([&pc, &c](toolkit::Form& form) {
      ASSERT_EQ(Eng.ChipModel, 0) << "Generic took the switch over";
      c.answer(pc, form);
    });
    pc.w().chkModePAL.UserClick();

    EXPECT_EQ(Eng.CurrentStandard, engine::vsVGA);
    EXPECT_EQ(Eng.ChipModel, engine::kModelTseng4000);
    EXPECT_EQ(ShownModel(pc), "ET4000");
    if (!pc.shell.application.terminate_requested()) pc.w().btnCloseClick();
    EXPECT_EQ(StoredDword(pc.machine, app::texts::kValueModel), engine::kModelTseng4000);
    EXPECT_EQ(StoredText(pc.machine, app::texts::kValueVideoStandard), app::texts::kStandardVga);
  }
}

// Passes every access to the virtual PC; when the field check opens the timer's gate, the
// machine loses the processor for a time slice inside the retrace that ends the second period.
class StallInTheCheck final : public PortIo {
 public:
  StallInTheCheck(virt::VirtualPc& pc, uint64_t stall_ps) : pc_(pc), stall_ps_(stall_ps) {}
  uint8_t InByte(uint16_t port) override { return pc_.InByte(port); }
  uint16_t InWord(uint16_t port) override { return pc_.InWord(port); }
  uint32_t InDword(uint16_t port) override { return pc_.InDword(port); }
  void OutByte(uint16_t port, uint8_t value) override {
    if (port == virt::kPortSystemControlB && (value & 1) != 0 && !stalled_) {
      stalled_ = true;  // the first check only
      virt::BusModel bus;
      bus.stalls.push_back({stall_ps_, 100 * virt::kPsPerUs, 3});
      pc_.SetBusModel(bus);
    }
    pc_.OutByte(port, value);
  }
  void OutWord(uint16_t port, uint16_t value) override { pc_.OutWord(port, value); }
  void OutDword(uint16_t port, uint32_t value) override { pc_.OutDword(port, value); }
  uint32_t InByteWhile(uint16_t port, uint8_t mask, uint8_t unchanged, uint32_t max_reads,
                       uint8_t& last) override {
    return pc_.InByteWhile(port, mask, unchanged, max_reads, last);
  }

 private:
  virt::VirtualPc& pc_;
  uint64_t stall_ps_;
  bool stalled_ = false;
};

TEST(SiblingSearch, ADisturbedMeasurementNeverChangesTheModel) {
  // PAL fits the Trio64 at 640x480 as detected. A lost time slice lengthens one period and
  // shortens the next: whatever the check makes of that, no sibling takes the model over.
  for (const int stall_ms : {5, 10, 15, 20}) {
    SCOPED_TRACE(std::to_string(stall_ms) + " ms stall");
    StartedShell pc("s3-trio64", 640, 480, engine::cfS3, engine::kModelS3Trio64);
    StallInTheCheck port(pc.shell.pc, static_cast<uint64_t>(stall_ms) * virt::kPsPerMs);
    engine::BindPort(port);
    pc.shell.modal.scripts.push_back(AnswerYes);
    pc.w().chkModePAL.UserClick();
    engine::BindPort(pc.shell.pc);

    EXPECT_EQ(Eng.ChipModel, engine::kModelS3Trio64);
    EXPECT_EQ(ShownModel(pc), "Trio32/64");
    const virt::Signal now = SignalOf(pc.shell);
    if (Eng.CurrentStandard == engine::vsPAL) {
      ExpectRates(now, kPalLineKhz, kPalFieldHz, "PAL kept");
    } else {
      EXPECT_NEAR(now.line_rate_hz / 1000.0, kVgaLineKhz, 0.3) << "refused: the monitor timings";
    }
    pc.w().btnCloseClick();
    EXPECT_EQ(StoredDword(pc.machine, app::texts::kValueModel), engine::kModelS3Trio64);
  }
}

TEST(SiblingSearch, AKeptStandardAfterAResolutionChangeIsRecoveredAndShown) {
  // The Trio64's clock step halves the clock at 960x600; the Vision864/964 model, tried after
  // Generic and Trio3D, leaves SR15 alone and measures right.
  StartedShell pc("s3-trio64", 640, 480);
  pc.shell.modal.scripts.push_back(AnswerYes);
  pc.w().chkModePAL.UserClick();
  ASSERT_EQ(Eng.ChipModel, engine::kModelS3Trio64) << "640x480 PAL holds as detected";
  const int resets = pc.shell.display.resets;
  ASSERT_TRUE(pc.shell.display.ChangeResolution(960, 600));

  EXPECT_EQ(pc.shell.boxes.Count(app::texts::kModeUnsupported), 0);
  EXPECT_EQ(Eng.CurrentStandard, engine::vsPAL);
  EXPECT_EQ(Eng.ChipModel, engine::kModelS3VisionFirst);
  EXPECT_EQ(ShownModel(pc), "Vision864/964");
  EXPECT_EQ(pc.shell.display.resets - resets, 3) << "one re-set before each sibling tried";
  ExpectRates(SignalOf(pc.shell), kPalLineKhz, kPalFieldHz, "PAL under Vision864/964");
}

TEST(SiblingSearch, AMissNoSiblingRecoversTakesTheRowsOwnClockWithinTheBound) {
  // At 800x600 PAL misses under the ET4000 model and under Generic alike; the row's own clock,
  // clock 1 halved by the sequencer with SR07 cleared, measures right.
  StartedShell pc("tseng-et4000", 800, 600, engine::cfTseng, engine::kModelTseng4000);

  const uint64_t start_ps = pc.shell.pc.now_ps();
  const int resets = pc.shell.display.resets;
  pc.shell.modal.scripts.push_back(AnswerYes);
  pc.w().chkModePAL.UserClick();
  const double seconds = static_cast<double>(pc.shell.pc.now_ps() - start_ps) * 1e-12;

  EXPECT_EQ(pc.shell.boxes.Count(app::texts::kModeUnsupported), 0);
  EXPECT_EQ(pc.shell.modal.shown_captions.size(), 1u) << "the keep question, once";
  EXPECT_EQ(Eng.CurrentStandard, engine::vsPAL);
  EXPECT_EQ(Eng.ChipModel, engine::kModelTseng4000) << "the model in force stays";
  EXPECT_EQ(ShownModel(pc), "ET4000");
  ExpectRates(SignalOf(pc.shell), kPalLineKhz, kPalFieldHz, "PAL with the row's own clock");
  // The switch's re-set, one for the Generic try, one for the own clock.
  EXPECT_EQ(pc.shell.display.resets - resets, 3);
  EXPECT_LT(seconds, 1.0) << "the search took " << seconds << " s of the PC's time";
}

TEST(SiblingSearch, TheWorstCaseSearchStaysUnderASecond) {
  // The 0xF3 chip has the most siblings to try (Generic, 8800BR, 9000i); at 960x600 PAL the
  // field misses under all of them, so every one is tried and timed to the end, and the row's
  // own clock after them.
  StartedShell pc("trident-blade3d", 960, 600, engine::cfTrident, engine::kModelTridentBlade3D);
  ASSERT_EQ(chipset::SiblingModelsToTry(engine::cfTrident, engine::kModelTridentBlade3D).size(),
            3u);

  const uint64_t start_ps = pc.shell.pc.now_ps();
  const int resets = pc.shell.display.resets;
  pc.shell.modal.scripts.push_back(AnswerYes);
  pc.w().chkModePAL.UserClick();
  const double seconds = static_cast<double>(pc.shell.pc.now_ps() - start_ps) * 1e-12;

  EXPECT_EQ(pc.shell.boxes.Count(app::texts::kModeUnsupported), 0);
  EXPECT_EQ(Eng.CurrentStandard, engine::vsPAL);
  EXPECT_EQ(Eng.ChipModel, engine::kModelTridentBlade3D);
  ExpectRates(SignalOf(pc.shell), kPalLineKhz, kPalFieldHz, "PAL with the row's own clock");
  // The switch's re-set, one before each of the three tries and one before the own clock.
  EXPECT_EQ(pc.shell.display.resets - resets, 5);
  EXPECT_LT(seconds, 1.0) << "the switch and its search took " << seconds << " s of the PC's time";
}

}  // namespace
}  // namespace zanvo::testing::tv
