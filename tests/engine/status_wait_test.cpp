// The status wait's reading of the timer, lap by lap, on a timer whose every lap is scripted:
// which laps are time the program lost, which show a timer that stands still or counts too
// slowly, how much processor time the run books, and when a wait gives up on its own bound.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "engine/engine_port.h"
#include "engine/readout.h"
#include "engine/status_wait.h"
#include "platform/port_io.h"

namespace zanvo::test {
namespace {

// A retrace bit that never comes and a channel 2 count that moves by the next scripted lap at
// each latch; after the script, every lap is 60 000 ticks.
class ScriptedLaps final : public PortIo {
 public:
  explicit ScriptedLaps(std::vector<uint16_t> laps) : laps_(std::move(laps)) {}
  int latches = 0;

  uint8_t InByte(uint16_t port) override {
    if (port != 0x42) return 0x00;
    const uint8_t byte = high_next_ ? static_cast<uint8_t>(count_ >> 8)
                                    : static_cast<uint8_t>(count_ & 0xFF);
    high_next_ = !high_next_;
    return byte;
  }
  void OutByte(uint16_t port, uint8_t value) override {
    if (port != 0x43 || value != 0x80) return;
    const size_t i = static_cast<size_t>(latches++);
    count_ = static_cast<uint16_t>(count_ - (i < laps_.size() ? laps_[i] : 60000));
  }
  uint16_t InWord(uint16_t) override { return 0; }
  uint32_t InDword(uint16_t) override { return 0; }
  void OutWord(uint16_t, uint16_t) override {}
  void OutDword(uint16_t, uint32_t) override {}

 private:
  std::vector<uint16_t> laps_;
  uint16_t count_ = 0;
  bool high_next_ = false;
};

TEST(StatusWait, ReadsEachLapOfTheTimer) {
  struct Case {
    const char* name;
    std::vector<uint16_t> laps;
    uint32_t wait_max_ticks;
    bool stopped, too_slow, out_of_time;
    uint32_t gaps;
    uint32_t processor_ticks;
    int latches;
  };
  // Laps of 16 polls; fewer than 5 ticks is too slow for them, more than 119 is lost time. The
  // run's timer budget is 100 000 ticks: two laps past the script end it.
  const Case cases[] = {
      {"slow laps apart are wraps over lost slices", {20, 3, 20, 3, 20}, 1'000'000, false, false,
       true, 4, 20 + 3 + 20 + 3 + 20 + 2 * 119, 7},
      {"two slow laps in a row are the timer", {20, 3, 4}, 1'000'000, false, true, false, 2,
       20 + 3 + 4, 3},
      {"a count still for 240 polls may be a slow timer",
       {20, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 20}, 1'000'000, false, false, true, 17,
       20 + 20 + 2 * 119, 19},
      {"a count still for 256 polls does not count",
       {20, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 1'000'000, true, false, false, 16, 20,
       17},
      {"a lap over 0.1 ms is lost time, booked as the bound", {20, 200, 120, 119, 20}, 1'000'000,
       false, false, true, 4, 20 + 119 + 119 + 119 + 20 + 2 * 119, 7},
      // The wait's own bound counts the time watched since the last loss: 6 laps of 20 ticks,
      // after the loss 6 more.
      {"the wait's bound is time watched", {20, 20, 20, 20, 20, 20, 20}, 100, false, false, false,
       0, 120, 6},
      {"a loss restarts the watch", {20, 20, 20, 20, 200, 20, 20, 20, 20, 20, 20}, 100, false,
       false, false, 1, 80 + 119 + 120, 11},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedLaps port(c.laps);
    engine::BindPort(port);
    engine::PeriodRun run;
    run.status_port = 0x3DA;
    run.budget_ticks = 100'000;
    run.budget_polls = UINT32_MAX;
    run.polls_per_latch = 16;
    run.min_lap_ticks = 5;
    run.gap_ticks = 119;
    run.wait_max_ticks = c.wait_max_ticks;
    engine::StatusWait wait(run);
    EXPECT_FALSE(wait.While(0x08, false));
    engine::UnbindPort();
    EXPECT_EQ(run.timer_stopped, c.stopped);
    EXPECT_EQ(run.timer_too_slow, c.too_slow);
    EXPECT_EQ(run.out_of_time, c.out_of_time);
    EXPECT_EQ(run.gaps, c.gaps);
    EXPECT_EQ(run.processor_ticks, c.processor_ticks);
    EXPECT_EQ(port.latches, c.latches);
  }
}

}  // namespace
}  // namespace zanvo::test
