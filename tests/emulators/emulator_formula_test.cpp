// The emulators' own field-rate arithmetic, worked by hand from their sources for a few
// register sets, and the rules that judge a replay against it.

#include <gtest/gtest.h>

#include <cmath>

#include "comparison.h"
#include "emulator_formula.h"
#include "emulator_target.h"

namespace zanvo::emu {
namespace {

// BIOS mode 12h: 25.175 MHz, 8-dot characters, 100 characters by 525 lines.
scope::RegisterDump Mode12h() {
  scope::RegisterDump d;
  d.misc = 0xE3;
  d.seq[0x00] = 0x03;
  d.seq[0x01] = 0x01;
  d.crtc[0x00] = 95;
  d.crtc[0x06] = 11;
  d.crtc[0x07] = 0x3E;
  // Bochs's Cirrus VCLK0 after reset.
  d.seq[0x0B] = 0x66;
  d.seq[0x1B] = 0x3B;
  return d;
}

const EmulatorTarget& Target(const char* name) {
  const EmulatorTarget* target = FindTarget(name);
  EXPECT_NE(target, nullptr) << name;
  return *target;
}

TEST(EmulatorFormula, WorkedExamples) {
  struct Row {
    const char* target;
    void (*edit)(scope::RegisterDump&);
    double clock_hz;
    int h_total, v_total;
    double rate_hz;
  } const rows[] = {
      // 3146875 characters a second (25175000 / 8, whole characters) over 100 x 525.
      {"dosbox-vgaonly", [](scope::RegisterDump&) {}, 25175000, 100, 525, 3146875.0 / 52500},
      // Clock 2 on the plain VGA: DOSBox runs every clock but 0 at 28.322 MHz.
      {"dosbox-vgaonly", [](scope::RegisterDump& d) { d.misc = 0xEB; }, 28322000, 100, 525,
       3540250.0 / 52500},
      // SR01 bit 3 doubles the character count, 9-dot characters divide the clock by 9.
      {"dosbox-paradise", [](scope::RegisterDump& d) { d.seq[0x01] = 0x08; d.misc = 0xEF; },
       35900000, 200, 525, 3988888.0 / 105000},
      // S3 PLL M=0x3A, N=0x0C, R=1: 14318 * 60 / (14 * 2) = 30681 kHz (whole kHz), SR15 bit 4
      // halves it; CR5D and CR5E add horizontal bit 8 and vertical bit 10.
      {"dosbox-s3",
       [](scope::RegisterDump& d) {
         d.misc = 0xEF;
         d.seq[0x12] = 0x2C;
         d.seq[0x13] = 0x3A;
         d.seq[0x15] = 0x10;
         d.crtc[0x5D] = 0x01;
         d.crtc[0x5E] = 0x01;
       },
       15340500, 356, 1549, 1917562.0 / (356.0 * 1549)},
      // ET4000 clock 3 | CR34 bit 1 (4) | CR31 bit 6 (8) = 15: 74.8 MHz; CR35 bit 1 = bit 10.
      {"dosbox-et4000",
       [](scope::RegisterDump& d) {
         d.misc = 0xEF;
         d.crtc[0x34] = 0x02;
         d.crtc[0x31] = 0x40;
         d.crtc[0x35] = 0x02;
         d.crtc[0x3F] = 0x01;
       },
       74800000, 356, 1549, 9350000.0 / (356.0 * 1549)},
      // ET3000 clock 1 | CR24 bit 1 (4) = 5: 44.7 MHz.
      {"dosbox-et3000",
       [](scope::RegisterDump& d) {
         d.misc = 0xE7;
         d.crtc[0x24] = 0x02;
       },
       44700000, 100, 525, 5587500.0 / 52500},
      // Bochs: 14318180 * 102 / 58 = 25180247 Hz; 31475 lines a second, whole; 59 Hz, whole.
      {"bochs-cirrus", [](scope::RegisterDump&) {}, 25180247, 100, 525, 59},
  };
  for (const Row& row : rows) {
    scope::RegisterDump d = Mode12h();
    row.edit(d);
    const auto t = EmulatorFieldTiming(Target(row.target), d);
    ASSERT_TRUE(t.has_value()) << row.target;
    EXPECT_EQ(t->clock_hz, row.clock_hz) << row.target;
    EXPECT_EQ(t->h_total, row.h_total) << row.target;
    EXPECT_EQ(t->v_total, row.v_total) << row.target;
    EXPECT_NEAR(t->field_rate_hz, row.rate_hz, 1e-9) << row.target;
  }
}

TEST(EmulatorFormula, BochsTimesTheFieldInWholeMicroseconds) {
  const auto t = EmulatorFieldTiming(Target("bochs-cirrus"), Mode12h());
  ASSERT_TRUE(t.has_value());
  EXPECT_DOUBLE_EQ(t->field_period_s, 16949e-6);  // 1000000 / 59, whole
}

TEST(EmulatorFormula, NoFieldRateWhereTheEmulatorHasNone) {
  scope::RegisterDump no_divisor = Mode12h();
  no_divisor.seq[0x1B] = 0x01;  // VCLK0 denominator 0: Bochs keeps its previous clock
  EXPECT_FALSE(EmulatorFieldTiming(Target("bochs-cirrus"), no_divisor).has_value());
  scope::RegisterDump clock2 = Mode12h();
  clock2.misc = 0xEB;  // the S3's clock 2 holds what DOSBox's BIOS loaded
  EXPECT_FALSE(EmulatorFieldTiming(Target("dosbox-s3"), clock2).has_value());
}

TEST(EmulatorComparison, ReplayAgainstFormulaThenAnalyzer) {
  EmulatorTiming formula;
  formula.field_rate_hz = 50.0;
  formula.field_period_s = 0.02;
  const double field_ticks = 0.02 * kPitHz;  // 23863.64
  struct Row {
    const char* target;
    double ticks_per_field;
    double analyzer_hz;
    Verdict verdict;
  } const rows[] = {
      {"dosbox-s3", field_ticks + 2, 50.0, Verdict::kAgrees},
      {"dosbox-s3", field_ticks + 6, 50.0, Verdict::kReplayFault},
      {"dosbox-s3", field_ticks, 50.2, Verdict::kDisagrees},   // 0.4 % apart
      {"dosbox-s3", field_ticks, 50.04, Verdict::kAgrees},     // 0.08 % apart
      {"bochs-cirrus", field_ticks, 50.7, Verdict::kAgrees},   // Bochs floors to 50 Hz
      {"bochs-cirrus", field_ticks, 51.2, Verdict::kDisagrees},
      {"bochs-cirrus", field_ticks, 49.5, Verdict::kDisagrees},
      {"bochs-cirrus", field_ticks - 3, 50.0, Verdict::kReplayFault},
  };
  for (const Row& row : rows) {
    const auto ticks = static_cast<uint32_t>(std::lround(row.ticks_per_field * kFieldsTimed));
    const Comparison c = Compare(Target(row.target), formula, row.analyzer_hz, ticks, kFieldsTimed);
    EXPECT_EQ(c.verdict, row.verdict) << row.target << " " << row.ticks_per_field << " "
                                      << row.analyzer_hz;
  }
  EXPECT_EQ(Compare(Target("dosbox-s3"), formula, 50, 0xFFFFFFFF, kFieldsTimed).verdict,
            Verdict::kNoReading);
}

}  // namespace
}  // namespace zanvo::emu
