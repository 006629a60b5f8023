// The field check on the virtual PC as a real PC disturbs it: a task switch that stalls one poll
// of the retrace for a time slice, a timer that does not count or counts far too slowly, and a
// retrace status that never toggles or toggles faster than any field. Whatever happens, the
// check ends within 0.2 s of the machine's time.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "engine/engine_port.h"
#include "engine/engine_state.h"
#include "engine/field_check.h"
#include "engine/standards.h"
#include "platform/port_io.h"
#include "platform/virtual/card_catalog.h"
#include "platform/virtual/display_driver.h"
#include "platform/virtual/pit.h"
#include "platform/virtual/signal/signal.h"
#include "platform/virtual/virtual_pc.h"

namespace zanvo {
namespace {

using engine::Eng;

constexpr uint64_t kPsPerMs = 1'000'000'000;
constexpr uint8_t kStatusVRetraceBit = 0x08;

// The virtual PC seen through the disturbances a test asks for; everything else passes through.
class DisturbedPort final : public PortIo {
 public:
  explicit DisturbedPort(virt::VirtualPc& pc) : pc_(pc) {}

  // Once, on the `stall_at`-th status read (from 1), the machine's time jumps by `stall_ps`.
  uint64_t stall_at = 0;
  uint64_t stall_ps = 0;
  // A timer whose input runs this many times slower than the machine's (0: the machine's own).
  uint64_t timer_slowdown = 0;
  // The retrace bit flips every this many status reads, whatever the card does (0: the card's).
  uint64_t retrace_flip_reads = 0;

  uint8_t InByte(uint16_t port) override {
    if (IsStatus(port)) return ReadStatus(port);
    if (timer_slowdown != 0 && IsTimer(port)) {
      pc_.Advance(virt::kBusCyclePs);
      return slow_timer_.Read(port, pc_.now_ps() / timer_slowdown);
    }
    return pc_.InByte(port);
  }
  void OutByte(uint16_t port, uint8_t value) override {
    if (timer_slowdown != 0 && IsTimer(port)) {
      pc_.Advance(virt::kBusCyclePs);
      slow_timer_.Write(port, value, pc_.now_ps() / timer_slowdown);
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
  uint8_t ReadStatus(uint16_t port) {
    ++status_reads_;
    if (status_reads_ == stall_at) pc_.Advance(stall_ps);
    uint8_t value = pc_.InByte(port);
    if (retrace_flip_reads != 0) {
      value = static_cast<uint8_t>(value & ~kStatusVRetraceBit);
      if ((status_reads_ / retrace_flip_reads) % 2 != 0) value |= kStatusVRetraceBit;
    }
    return value;
  }

  virt::VirtualPc& pc_;
  virt::Pit slow_timer_;
  uint64_t status_reads_ = 0;
};

// A card switched to a standard as the window switches it, the engine fitting it on paper.
struct Switched {
  Switched(const char* card, uint16_t width, uint16_t height, uint8_t standard)
      : pc(virt::MakeCard(card)) {
    EXPECT_TRUE(virt::SetDesktopMode(pc.card(), width, height));
    Eng = engine::EngineState{};
    engine::BindPort(pc);
    Eng.ChipFamily = pc.card().family();
    Eng.ChipModel = pc.card().model();
    engine::SetStandard(standard);
    engine::LoadStandardTables(standard);
    engine::ApplyStandard();
    EXPECT_TRUE(engine::StandardFitted());
    field_hz = virt::AnalyzeSignal(pc.card()).field_rate_hz;
    engine::UnbindPort();
  }

  // Runs the check through `port`; returns the machine's time it took, in seconds.
  double Check(DisturbedPort& port) {
    engine::BindPort(port);
    const uint64_t start = pc.now_ps();
    engine::CheckFieldRate();
    engine::UnbindPort();
    return static_cast<double>(pc.now_ps() - start) * 1e-12;
  }

  virt::VirtualPc pc;
  double field_hz = 0;
};

TEST(FieldCheckDisturbed, OneStallNeitherPassesAWrongFieldNorRefusesARightOne) {
  struct Case {
    const char* name;
    const char* card;
    uint16_t width, height;
    double field_hz;  // what the analyzer says the switch sends
    bool passes;
  };
  const Case cases[] = {
      {"PAL as it should be", "s3-trio64", 640, 480, 49.97, true},
      // SR07 bit 0 without bit 6 divides nothing: the clock is doubled.
      {"PAL with a doubled clock", "tseng-et4000", 640, 480, 99.94, false},
      // The Trio64's clock step halves the clock at 960x600; a period with a stall in it runs
      // past the timer's 16-bit count.
      {"PAL with a halved clock", "s3-trio64", 960, 600, 25.0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Switched sw(c.card, c.width, c.height, engine::vsPAL);
    ASSERT_NEAR(sw.field_hz / c.field_hz, 1.0, 0.01) << sw.field_hz;
    int periods_lost = 0;  // checks in which the stall cost a period
    for (const uint64_t stall_ms : {10, 15, 20}) {
      // A stall anywhere from the line-up to the last period a check can time.
      for (uint64_t at = 1; at < 150'000; at += 4'999) {
        SCOPED_TRACE(std::to_string(stall_ms) + " ms stall at status read " + std::to_string(at));
        DisturbedPort port(sw.pc);
        port.stall_at = at;
        port.stall_ps = stall_ms * kPsPerMs;
        const double seconds = sw.Check(port);
        EXPECT_EQ(Eng.FieldRateInBand, c.passes ? 1 : 0) << Eng.MeasuredFieldRate;
        EXPECT_EQ(Eng.FieldCheckUnmeasurable, 0);
        EXPECT_LT(seconds, 0.2);
        if (c.passes && Eng.FieldMeasurements > 2) ++periods_lost;
      }
    }
    if (c.passes) {
      EXPECT_GT(periods_lost, 0) << "some stall fell inside a timed period";
    }
  }
}

TEST(FieldCheckDisturbed, ATimerThatCannotMeasureLetsTheSwitchGoAhead) {
  struct Case {
    const char* name;
    bool stop_timer;
    uint64_t timer_slowdown;
    int retrace;  // -1: the card's; 0 or 1: stuck at that level
    uint64_t retrace_flip_reads;
    uint8_t unmeasurable;  // 0: the check measured, and refuses
  };
  const Case cases[] = {
      {"timer stopped", true, 0, -1, 0, engine::kUnmeasurableTimerStopped},
      {"timer stopped, retrace stuck clear", true, 0, 0, 0, engine::kUnmeasurableTimerStopped},
      {"timer stopped, retrace stuck set", true, 0, 1, 0, engine::kUnmeasurableTimerStopped},
      // Fifty and ten times too slow: far fewer ticks than the reads take.
      {"timer far too slow", false, 50, -1, 0, engine::kUnmeasurableTimerTooSlow},
      {"timer far too slow, retrace stuck", false, 10, 0, 0, engine::kUnmeasurableTimerTooSlow},
      // A retrace bit that flips every 300 reads: periods of 0.6 ms, which no field has; each
      // is a disturbance, and the check refuses at the end of its budget.
      {"retrace far too fast", false, 0, -1, 300, 0},
      // With the timer counting, a retrace that never comes is a field outside the band.
      {"retrace stuck clear", false, 0, 0, 0, 0},
      {"retrace stuck set", false, 0, 1, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Switched sw("s3-trio64", 640, 480, engine::vsPAL);
    if (c.stop_timer) sw.pc.StopTimer();
    if (c.retrace >= 0) sw.pc.card().FreezeRetrace(true, c.retrace != 0);
    DisturbedPort port(sw.pc);
    port.timer_slowdown = c.timer_slowdown;
    port.retrace_flip_reads = c.retrace_flip_reads;
    const double seconds = sw.Check(port);
    EXPECT_EQ(Eng.FieldCheckUnmeasurable, c.unmeasurable);
    EXPECT_EQ(Eng.FieldRateInBand, c.unmeasurable != 0 ? 1 : 0);
    EXPECT_LT(seconds, 0.2);
  }
}

}  // namespace
}  // namespace zanvo
