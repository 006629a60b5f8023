// The field check on the virtual PC when the PC's timer or the card's status cannot be trusted: a
// timer that does not count, counts far too slowly or too fast or reads as garbage, and a
// retrace status that never toggles or toggles faster than any field.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

#include "engine/engine_port.h"
#include "engine/engine_state.h"
#include "engine/field_check.h"
#include "engine/standards.h"
#include "fit_check.h"
#include "switched_card.h"
#include "platform/port_io.h"
#include "platform/virtual/card_catalog.h"
#include "platform/virtual/display_driver.h"
#include "platform/virtual/pit.h"
#include "platform/virtual/signal/signal.h"
#include "platform/virtual/signal/standard_rates.h"
#include "platform/virtual/virtual_pc.h"

namespace zanvo {
namespace {

using engine::Eng;
using fit::Switched;

constexpr uint8_t kStatusVRetraceBit = 0x08;

// The virtual PC seen through the faults a test asks for; everything else passes through.
class DisturbedPort final : public PortIo {
 public:
  explicit DisturbedPort(virt::VirtualPc& pc) : pc_(pc) {}

  // A timer whose input runs this many times slower than the machine's (0: the machine's own),
  // or this many times faster.
  uint64_t timer_slowdown = 0;
  uint64_t timer_speedup = 0;
  // A timer whose count reads as bytes drawn at random.
  bool timer_garbage = false;
  // The retrace bit flips every this many status reads, whatever the card does (0: the card's).
  uint64_t retrace_flip_reads = 0;

  uint8_t InByte(uint16_t port) override {
    if (IsStatus(port)) return ReadStatus(port);
    if (timer_garbage && port == virt::kPortPitChannel2) {
      pc_.Advance(virt::kBusCyclePs);
      garbage_ = garbage_ * 6364136223846793005ull + 1442695040888963407ull;
      return static_cast<uint8_t>(garbage_ >> 56);
    }
    if (OwnTimer() && IsTimer(port)) {
      pc_.Advance(virt::kBusCyclePs);
      return own_timer_.Read(port, TimerTime());
    }
    return pc_.InByte(port);
  }
  void OutByte(uint16_t port, uint8_t value) override {
    if (OwnTimer() && IsTimer(port)) {
      pc_.Advance(virt::kBusCyclePs);
      own_timer_.Write(port, value, TimerTime());
      return;
    }
    pc_.OutByte(port, value);
  }
  uint16_t InWord(uint16_t port) override { return pc_.InWord(port); }
  uint32_t InDword(uint16_t port) override { return pc_.InDword(port); }
  void OutWord(uint16_t port, uint16_t value) override { pc_.OutWord(port, value); }
  void OutDword(uint16_t port, uint32_t value) override { pc_.OutDword(port, value); }

 private:
  static bool IsStatus(uint16_t port) { return port == 0x3DA || port == 0x3BA; }
  static bool IsTimer(uint16_t port) {
    return port == virt::kPortPitChannel2 || port == virt::kPortPitCommand ||
           port == virt::kPortSystemControlB;
  }
  bool OwnTimer() const { return timer_slowdown != 0 || timer_speedup != 0; }
  uint64_t TimerTime() const {
    return timer_slowdown != 0 ? pc_.now_ps() / timer_slowdown : pc_.now_ps() * timer_speedup;
  }
  uint8_t ReadStatus(uint16_t port) {
    ++status_reads_;
    uint8_t value = pc_.InByte(port);
    if (retrace_flip_reads != 0) {
      value = static_cast<uint8_t>(value & ~kStatusVRetraceBit);
      if ((status_reads_ / retrace_flip_reads) % 2 != 0) value |= kStatusVRetraceBit;
    }
    return value;
  }

  virt::VirtualPc& pc_;
  virt::Pit own_timer_;
  uint64_t status_reads_ = 0;
  uint64_t garbage_ = 0x2545F4914F6CDD1Dull;
};

// A timer that gives no usable reading, and retrace bits no field makes, on a slow, an ordinary
// and a fast bus: the check never waits beyond its bounds, and only a clean measurement refuses.
TEST(FieldCheckDisturbed, ATimerThatCannotMeasureLetsTheSwitchGoAhead) {
  struct Case {
    const char* name;
    bool stop_timer;
    uint64_t timer_slowdown;
    uint64_t timer_speedup;
    bool timer_garbage;
    int retrace;  // -1: the card's; 0 or 1: stuck at that level
    uint64_t retrace_flip_reads;
    uint8_t unmeasurable;  // 0: the check measured, and refuses
    bool clean_miss;
    double max_seconds;  // of the machine's time
  };
  const Case cases[] = {
      {"timer stopped", true, 0, 0, false, -1, 0, engine::kUnmeasurableTimerStopped, false, 0.01},
      {"timer stopped, retrace stuck clear", true, 0, 0, false, 0, 0,
       engine::kUnmeasurableTimerStopped, false, 0.01},
      {"timer stopped, retrace stuck set", true, 0, 0, false, 1, 0,
       engine::kUnmeasurableTimerStopped, false, 0.01},
      // Fifty and ten times too slow: far fewer ticks than the reads take.
      {"timer far too slow", false, 50, 0, false, -1, 0, engine::kUnmeasurableTimerTooSlow, false,
       0.01},
      {"timer far too slow, retrace stuck", false, 10, 0, false, 0, 0,
       engine::kUnmeasurableTimerTooSlow, false, 0.01},
      // A thousand times too fast, or counts at random: every lap looks like time the program
      // lost, and the check gives up at its bound of the timer's time, unable to measure.
      {"timer far too fast", false, 0, 1000, false, -1, 0, engine::kUnmeasurableTooBusy, false,
       0.01},
      {"timer reads garbage", false, 0, 0, true, -1, 0, engine::kUnmeasurableTooBusy, false, 0.01},
      // A retrace bit that flips every 300 reads: periods of 0.2-0.9 ms, agreeing, far outside.
      {"retrace far too fast", false, 0, 0, false, -1, 300, 0, true, 0.01},
      // With the timer counting, a retrace that never comes is refused, but not as measured.
      {"retrace stuck clear", false, 0, 0, false, 0, 0, 0, false, 0.2},
      {"retrace stuck set", false, 0, 0, false, 1, 0, 0, false, 0.2},
  };
  for (const uint64_t bus : {300'000, 840'000, 1'500'000})
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.name) + ", bus " + std::to_string(bus) + " ps");
      Switched sw("s3-trio64", 640, 480, engine::vsPAL);
      sw.pc.SetBusModel({bus, 0, {}, 0, 0, 0});
      if (c.stop_timer) sw.pc.StopTimer();
      if (c.retrace >= 0) sw.pc.card().FreezeRetrace(true, c.retrace != 0);
      DisturbedPort port(sw.pc);
      port.timer_slowdown = c.timer_slowdown;
      port.timer_speedup = c.timer_speedup;
      port.timer_garbage = c.timer_garbage;
      port.retrace_flip_reads = c.retrace_flip_reads;
      const double seconds = sw.Check(port);
      EXPECT_EQ(Eng.FieldCheckUnmeasurable, c.unmeasurable);
      EXPECT_EQ(Eng.FieldRateInBand, c.unmeasurable != 0 ? 1 : 0);
      EXPECT_EQ(Eng.MissMeasuredClean, c.clean_miss ? 1 : 0);
      EXPECT_LT(seconds, c.max_seconds);
    }
}

}  // namespace
}  // namespace zanvo
