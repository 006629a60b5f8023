// Switches the engine fits on paper whose clock step misses on the card: the field the PC timer
// measures is far from the standard's, no sibling model mends it, and the row is applied once
// more with its own clock, which holds. A card whose switch fits is left alone, and a card whose
// retrace never comes is refused within the check's time bound, with the monitor timings back.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

#include "app/texts.h"
#include "engine/chip_codes.h"
#include "engine/engine_port.h"
#include "engine/engine_state.h"
#include "engine/field_check.h"
#include "engine/standards.h"
#include "shell_checks.h"
#include "tv_scenario.h"

namespace zanvo::testing::tv {
namespace {

using engine::Eng;

struct Card {
  const char* name;
  uint8_t family;
  uint16_t model;
};
constexpr Card kEt4000{"tseng-et4000", engine::cfTseng, engine::kModelTseng4000};
constexpr Card kSis6326{"sis-6326", engine::cfSiS, 0};  // the window's "Generic" SiS entry
constexpr Card kTrio64{"s3-trio64", engine::cfS3, engine::kModelS3Trio64};
constexpr Card kTrident9000i{"trident-9000i", engine::cfTrident, engine::kModelTrident9000i};

// What the engine's application of `standard` sends on a fresh machine, by the analyzer: the
// signal the check must have timed.
double AppliedFieldRate(const Card& card, uint16_t width, uint16_t height, uint8_t standard) {
  virt::VirtualPc pc(virt::MakeCard(card.name));
  EXPECT_TRUE(virt::SetDesktopMode(pc.card(), width, height));
  Eng = engine::EngineState{};
  engine::BindPort(pc);
  Eng.ChipFamily = card.family;
  Eng.ChipModel = card.model;
  engine::SetStandard(standard);
  engine::LoadStandardTables(standard);
  engine::ApplyStandard();
  EXPECT_TRUE(engine::StandardFitted()) << "the engine fits this switch on paper";
  const double field = virt::AnalyzeSignal(pc.card()).field_rate_hz;
  engine::UnbindPort();
  return field;
}

bool OutsideBand(double field_hz, uint8_t standard) {
  const double target = engine::StandardFieldRate(standard) / 1000.0;
  return std::abs(field_hz / target - 1.0) > engine::kFieldGuardBand;
}

TEST(MeasuredRefusal, AClockStepThatMissesIsMeasuredAndTheRowsOwnClockHolds) {
  struct Case {
    const char* name;
    Card card;
    uint16_t start_width, start_height;  // the desktop the program starts on
    uint16_t width, height;              // the mode the switch meets, and ends on
    uint8_t standard;
    double line_khz, field_hz;           // the standard's
    size_t questions;                    // keep questions the act brings
    std::function<void(Machine&)> before_start;
    std::function<void(StartedShell&)> arrange, act;
  };
  const auto none = [](Machine&) {};
  const auto nothing = [](StartedShell&) {};
  const auto store_pal = [](Machine& m) {
    m.registry.SetText(app::texts::kRegistryKey, app::texts::kValueVideoStandard,
                       app::texts::kStandardPal);
  };
  const Case cases[] = {
      {"SiS 6326 switched to NTSC at 640x480", kSis6326, 640, 480, 640, 480, engine::vsNTSC,
       kNtscLineKhz, kNtscFieldHz, 1, none, nothing,
       [](StartedShell& pc) {
         pc.shell.modal.scripts.push_back(AnswerYes);
         pc.w().chkModeNTSC.UserClick();
       }},
      // A stored standard is applied at start-up without a question: the check still runs.
      {"SiS 6326 starting with a stored PAL", kSis6326, 640, 480, 640, 480, engine::vsPAL,
       kPalLineKhz, kPalFieldHz, 0, store_pal, nothing, nothing},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const double applied = AppliedFieldRate(c.card, c.width, c.height, c.standard);
    ASSERT_TRUE(OutsideBand(applied, c.standard)) << applied << " Hz: not a case for the check";

    StartedShell pc(c.card.name, c.start_width, c.start_height, c.card.family, c.card.model,
                    [&](StartedShell& s) { c.before_start(s.machine); });
    c.arrange(pc);
    const size_t dialogs = pc.shell.modal.results.size();
    c.act(pc);

    EXPECT_EQ(pc.shell.boxes.Count(app::texts::kModeUnsupported), 0);
    EXPECT_EQ(pc.shell.modal.results.size(), dialogs + c.questions);
    EXPECT_EQ(Eng.CurrentStandard, c.standard);
    EXPECT_EQ(Eng.ChipModel, c.card.model) << "no sibling kept";
    // The last check timed the own clock's field, two agreeing periods inside the band.
    EXPECT_EQ(Eng.FieldRateInBand, 1);
    EXPECT_EQ(Eng.FieldCheckUnmeasurable, 0);
    EXPECT_NEAR(Eng.MeasuredFieldRate / 1000.0, c.field_hz, c.field_hz * 0.01);
    ExpectRates(SignalOf(pc.shell), c.line_khz, c.field_hz, c.name);
  }
}

TEST(MeasuredRefusal, AFittingSwitchIsAskedAboutAndLocks) {
  StartedShell pc("s3-trio64", 640, 480);
  const size_t dialogs = pc.shell.modal.results.size();
  pc.shell.modal.scripts.push_back(AnswerYes);
  pc.w().chkModePAL.UserClick();

  EXPECT_EQ(pc.shell.boxes.Count(app::texts::kModeUnsupported), 0);
  EXPECT_EQ(pc.shell.modal.results.size(), dialogs + 1) << "the keep-settings dialog came";
  EXPECT_EQ(Eng.CurrentStandard, engine::vsPAL);
  EXPECT_EQ(Eng.FieldRateInBand, 1);
  EXPECT_EQ(Eng.FieldMeasurements, 2) << "the first two timed fields agreed: no more taken";
  EXPECT_NEAR(Eng.MeasuredFieldRate / 1000.0, kPalFieldHz, 0.5);
  ExpectRates(SignalOf(pc.shell), kPalLineKhz, kPalFieldHz, "PAL after the check");
}

TEST(MeasuredRefusal, AStuckRetraceIsRefusedWithinTheBound) {
  for (const bool level : {false, true}) {
    SCOPED_TRACE(level ? "retrace stuck set" : "retrace stuck clear");
    const virt::Signal monitor = MonitorSignal(kTrio64.name, 640, 480);
    StartedShell pc("s3-trio64", 640, 480);
    pc.shell.pc.card().FreezeRetrace(true, level);
    const size_t dialogs = pc.shell.modal.results.size();
    const uint64_t start = pc.shell.pc.now_ps();
    pc.shell.modal.scripts.push_back(AnswerYes);
    pc.w().chkModePAL.UserClick();
    const double seconds = static_cast<double>(pc.shell.pc.now_ps() - start) * 1e-12;

    // The check's 0.2 s and the engine's own register writes around it.
    EXPECT_LT(seconds, 0.25);
    EXPECT_EQ(pc.shell.boxes.Count(app::texts::kModeUnsupported), 1);
    EXPECT_EQ(pc.shell.modal.results.size(), dialogs);
    EXPECT_EQ(Eng.CurrentStandard, engine::vsVGA);
    EXPECT_EQ(Eng.FieldMeasurements, 0);
    EXPECT_TRUE(SignalOf(pc.shell).crtc == monitor.crtc);
  }
}

}  // namespace
}  // namespace zanvo::testing::tv
