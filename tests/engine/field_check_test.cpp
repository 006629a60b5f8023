// The field-rate check against a scripted retrace and timer: which periods it accepts, the full
// count of long periods, and the readings no field can give, which mean it cannot measure.

#include <gtest/gtest.h>

#include "engine/chip_codes.h"
#include "engine/field_check.h"
#include "engine/standards.h"
#include "engine/vga_regs.h"
#include "engine_fixture.h"

namespace zanvo::test {
namespace {

using namespace zanvo::engine;

TEST_F(EngineTest, FieldCheckVerdictsOnScriptedSignals) {
  struct Case {
    const char* name;
    uint32_t period;          // ticks from one retrace end to the next; 0: retrace frozen
    bool frozen_level;        // the retrace bit when frozen
    uint32_t ticks_per_poll;  // the timer's ticks per status read; 0: it does not count
    uint8_t in_band;
    uint8_t unmeasurable;
    double field_hz;  // the last period timed; 0: none
  };
  const Case cases[] = {
      // 23 852 ticks are a PAL field: two agreeing periods pass.
      {"pal field", 23852, false, 2, 1, 0, 49.999},
      // 55 ms and more overflow the 16-bit counter; counted in full, 70 000 ticks are 17 Hz,
      // not the 266 Hz of their low 16 bits.
      {"field longer than the counter", 70000, false, 2, 0, 0, 17.04},
      // 8% above and below the standard: just inside, just outside.
      {"7.5% fast", 22188, false, 2, 1, 0, 53.75},
      {"8.5% slow", 25986, false, 2, 0, 0, 45.89},
      // A retrace that never toggles under a counting timer: outside, within the budget.
      {"retrace stuck clear", 0, false, 2, 0, 0, 0},
      {"retrace stuck set", 0, true, 2, 0, 0, 0},
      // Readings no field gives: a count that never moves, a period under 1 ms.
      {"timer stopped, retrace stuck clear", 0, false, 0, 1, kUnmeasurableTimerStopped, 0},
      {"timer stopped, retrace stuck set", 0, true, 0, 1, kUnmeasurableTimerStopped, 0},
      {"period under 1 ms", 1000, false, 2, 1, kUnmeasurableShortPeriod, 0},
      // A timer that counts too slowly for the polls: the poll budget ends the check first.
      {"timer too slow, retrace stuck", 0, false, 1, 1, kUnmeasurablePollsRanOut, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    port = RecordingPort{};
    port.misc() = 0xE3;
    if (c.period == 0) {
      port.FreezeRetrace(c.frozen_level);
    } else {
      port.SetRetrace(c.period, 40);
    }
    port.SetTicksPerStatusRead(c.ticks_per_poll);
    Eng = EngineState{};
    SetStandard(vsPAL);

    CheckFieldRate();

    EXPECT_EQ(Eng.FieldRateInBand, c.in_band);
    EXPECT_EQ(Eng.FieldCheckUnmeasurable, c.unmeasurable);
    EXPECT_NEAR(Eng.MeasuredFieldRate / 1000.0, c.field_hz, 0.01);
    const size_t polls = port.CountReads(kInputStatus1Color);
    EXPECT_LE(polls, kFieldCheckMaxPolls);
    if (c.ticks_per_poll == 0) {
      EXPECT_LE(polls, kPollsPerTimerLatch + 1) << "a stopped timer is seen at the first latch";
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
  EXPECT_EQ(Eng.FieldMeasurements, kFieldMeasurements);
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
