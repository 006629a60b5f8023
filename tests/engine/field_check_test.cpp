// The field-rate check against a scripted retrace and timer: which periods it accepts, the full
// count of long periods, the disturbances it times past, and the timer readings that mean it
// cannot measure. The scripted status has no display-enable bit: no line is counted.

#include <gtest/gtest.h>

#include <vector>

#include "engine/chip_codes.h"
#include "engine/engine_port.h"
#include "engine/field_check.h"
#include "engine/standards.h"
#include "engine/vga_regs.h"
#include "engine_fixture.h"

namespace zanvo::test {
namespace {

// Counts the holds of the processor; a hold still open is a fault.
struct CountingHold final : ProcessorHold {
  int holds = 0;
  int releases = 0;
  void Hold() override { ++holds; }
  void Release() override { ++releases; }
};

using namespace zanvo::engine;

TEST_F(EngineTest, FieldCheckVerdictsOnScriptedSignals) {
  struct Case {
    const char* name;
    std::vector<uint32_t> periods;  // ticks from one retrace end to the next, in turn; none: frozen
    bool frozen_level;              // the retrace bit when frozen
    uint32_t ticks_per_poll;        // the timer's ticks per status read; 0: it does not count
    uint8_t in_band;
    uint8_t clean_miss;
    uint8_t unmeasurable;
    double field_hz;  // the last period timed; 0: none; -1: whichever
    uint8_t computed = 0;  // the rows computed: 1 the line, 2 the field
  };
  const Case cases[] = {
      // 23 852 ticks are a PAL field: two agreeing periods pass.
      {"pal field", {23852}, false, 2, 1, 0, 0, 49.999},
      // 55 ms and more overflow the 16-bit counter; counted in full, 70 000 ticks are 17 Hz,
      // not the 266 Hz of their low 16 bits.
      {"field longer than the counter", {70000}, false, 2, 0, 1, 0, 17.04},
      // 8% above and below the standard: just inside, just outside.
      {"7.5% fast", {22188}, false, 2, 1, 0, 0, 53.75},
      {"8.5% slow", {25986}, false, 2, 0, 1, 0, 45.89},
      // A computed row has no table to vouch for it: it passes only inside the set's own hold
      // (5% and 1% for the measurement), whichever axis was computed.
      {"7.5% fast, the field computed", {22188}, false, 2, 0, 1, 0, 53.75, 2},
      {"7.5% fast, the line computed", {22188}, false, 2, 0, 1, 0, 53.75, 1},
      {"7.5% fast, both computed", {22188}, false, 2, 0, 1, 0, 53.75, 3},
      {"pal field, both computed", {23852}, false, 2, 1, 0, 0, 49.999, 3},
      // Inside the band but 3.6% apart: no two agree, refused on no clean measurement.
      {"periods 3.6% apart", {23852, 24710}, false, 2, 0, 0, 0, -1},
      // In, out, in, out: the periods inside are never consecutive.
      {"in, out, in, out", {23852, 29000}, false, 2, 0, 0, 0, -1},
      // A retrace that never toggles under a counting timer: outside, within the budget.
      {"retrace stuck clear", {}, false, 2, 0, 0, 0, 0},
      {"retrace stuck set", {}, true, 2, 0, 0, 0, 0},
      // A count that never moves: the check cannot measure.
      {"timer stopped, retrace stuck clear", {}, false, 0, 1, 0, kUnmeasurableTimerStopped, 0},
      {"timer stopped, retrace stuck set", {}, true, 0, 1, 0, kUnmeasurableTimerStopped, 0},
      // Periods under 1 ms are what a lost time slice leaves, no field: never a verdict.
      {"period under 1 ms", {1000}, false, 2, 0, 0, 0, 1179.0},
      // One tick per read is a 0.84 us bus, an ordinary card, not a timer too slow: the tick
      // budget ends the wait for a retrace that never comes, and the switch is refused.
      {"one tick per read, retrace stuck", {}, false, 1, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    port = RecordingPort{};
    port.misc() = 0xE3;
    if (c.periods.empty()) {
      port.FreezeRetrace(c.frozen_level);
    } else {
      port.SetRetraceCycle(c.periods, 40);
    }
    port.SetTicksPerStatusRead(c.ticks_per_poll);
    Eng = EngineState{};
    SetStandard(vsPAL);
    Eng.HorzRowComputed = static_cast<uint8_t>(c.computed & 1);
    Eng.VertRowComputed = static_cast<uint8_t>((c.computed >> 1) & 1);
    CountingHold hold;
    BindProcessorHold(&hold);

    CheckFieldRate();

    BindProcessorHold(nullptr);
    EXPECT_EQ(hold.holds, 1);
    EXPECT_EQ(hold.releases, 1) << "the processor is given back whatever the verdict";
    EXPECT_EQ(Eng.FieldRateInBand, c.in_band);
    EXPECT_EQ(Eng.MissMeasuredClean, c.clean_miss);
    EXPECT_EQ(Eng.FieldCheckUnmeasurable, c.unmeasurable);
    if (c.field_hz >= 0) {
      EXPECT_NEAR(Eng.MeasuredFieldRate / 1000.0, c.field_hz, 0.01 * (1 + c.field_hz / 100));
    }
    const size_t polls = port.CountReads(kInputStatus1Color);
    EXPECT_LE(polls, kFieldCheckMaxPolls);
    if (c.ticks_per_poll == 0) {
      EXPECT_LE(polls, kPollsPerTimerLatch + 1) << "a stopped timer is seen at the first latch";
    } else {
      EXPECT_LE(polls * c.ticks_per_poll, kCheckMaxTicks + 70000) << "within the tick budget";
    }
    EXPECT_EQ(port.port_b(), 0x00) << "gate closed, speaker off";
  }
}

TEST_F(EngineTest, FieldCheckTimesEveryPeriodOfAWrongField) {
  // A doubled clock: a retrace every 11 926 ticks (100 Hz); all four periods are timed.
  port.misc() = 0xE3;
  port.SetRetrace(11926, 40);
  port.SetTicksPerStatusRead(2);
  SetStandard(vsPAL);
  CheckFieldRate();
  EXPECT_EQ(Eng.FieldRateInBand, 0);
  EXPECT_EQ(Eng.FieldMeasurements, 4);
  EXPECT_EQ(Eng.MissMeasuredClean, 1) << "two agreeing periods outside the band";
  EXPECT_NEAR(Eng.MeasuredFieldRate / 1000.0, 99.95, 0.01);  // 11 938 ticks with the allowance

  // VGA has nothing to check and times nothing.
  port.ClearLog();
  SetStandard(vsVGA);
  CheckFieldRate();
  EXPECT_EQ(Eng.FieldRateInBand, 1);
  EXPECT_EQ(Eng.FieldCheckUnmeasurable, 0);
  EXPECT_EQ(port.CountReads(kInputStatus1Color), 0u);
}

}  // namespace
}  // namespace zanvo::test
