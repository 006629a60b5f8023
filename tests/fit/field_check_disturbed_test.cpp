// The field check on the virtual PC as a real PC disturbs it: a task switch that stalls one poll
// of the retrace for a time slice, a timer that does not count or counts far too slowly, and a
// retrace status that never toggles or toggles faster than any field. Whatever happens, the
// check ends within 0.2 s of the machine's time.

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

// What the sweep below puts on the card after a right switch: the field halved, doubled or 12%
// off through the vertical total alone (the line stays right), or the line doubled with the
// field kept right, as a model that doubles both the clock and the line count does.
enum class Shape { kRight, kHalved, kDoubled, kSlow12, kFast12, kLineDoubled };

void WriteCrtc(virt::VirtualPc& pc, uint8_t index, uint8_t value) {
  pc.OutByte(0x3D4, index);
  pc.OutByte(0x3D5, value);
}
uint8_t ReadCrtc(virt::VirtualPc& pc, uint8_t index) {
  pc.OutByte(0x3D4, index);
  return pc.InByte(0x3D5);
}

// Gives the field `lines` lines; the picture and the retrace move up where they would not fit.
void SetFieldLines(virt::VirtualPc& pc, uint16_t lines) {
  WriteCrtc(pc, 0x11, static_cast<uint8_t>(ReadCrtc(pc, 0x11) & 0x7F));
  const uint8_t overflow = ReadCrtc(pc, 0x07);
  const auto tenbits = [&](uint8_t low, uint8_t bit8, uint8_t bit9) {
    return low | ((overflow & bit8) != 0 ? 256 : 0) | ((overflow & bit9) != 0 ? 512 : 0);
  };
  int sync = tenbits(ReadCrtc(pc, 0x10), 0x04, 0x80);
  int display = tenbits(ReadCrtc(pc, 0x12), 0x02, 0x40);
  if (sync + 12 > lines) sync = lines - 12;
  display = std::min(display, sync - 10);
  const int total = lines - 2;
  WriteCrtc(pc, 0x06, static_cast<uint8_t>(total));
  WriteCrtc(pc, 0x10, static_cast<uint8_t>(sync));
  WriteCrtc(pc, 0x12, static_cast<uint8_t>(display));
  WriteCrtc(pc, 0x11, static_cast<uint8_t>(((sync + 4) & 0x0F) | 0x20));
  WriteCrtc(
      pc, 0x07,
      static_cast<uint8_t>((overflow & 0x18) | (total & 256 ? 0x01 : 0) | (total & 512 ? 0x20 : 0) |
                           (display & 256 ? 0x02 : 0) | (display & 512 ? 0x40 : 0) |
                           (sync & 256 ? 0x04 : 0) | (sync & 512 ? 0x80 : 0)));
}

void Reshape(virt::VirtualPc& pc, Shape shape) {
  const int lines = static_cast<int>(std::lround(virt::AnalyzeSignal(pc.card()).lines_per_field));
  if (shape == Shape::kHalved) SetFieldLines(pc, static_cast<uint16_t>(2 * lines));
  if (shape == Shape::kDoubled) SetFieldLines(pc, static_cast<uint16_t>(lines / 2));
  if (shape == Shape::kSlow12) SetFieldLines(pc, static_cast<uint16_t>(lines / 0.88));
  if (shape == Shape::kFast12) SetFieldLines(pc, static_cast<uint16_t>(lines / 1.12));
  if (shape == Shape::kLineDoubled) {
    pc.OutByte(0x3C4, 0x01);
    pc.OutByte(0x3C5, static_cast<uint8_t>(pc.InByte(0x3C5) & ~0x08));  // no dot clock halving
    SetFieldLines(pc, static_cast<uint16_t>(2 * lines));
  }
}

// Every bus speed, every field shape, and one lost time slice of 1-25 ms placed every 0.05 ms
// across each of the first seven retraces the check sees (retrace i counted from its start),
// and in the middle of fields: no field outside the band passes, no right one is refused, and
// the check ends within 0.2 s of the machine's time. Seven retraces cover the line-up and the
// periods a check with one stall times; the retrace lasts 4 lines (0.16-0.26 ms), so three to
// five moments fall inside each. The lengths 1, 5, 9.5, 14, 19.7 and 25 ms end the stall inside
// and outside a later retrace at every field rate here; to keep the table fast (it runs under
// ASan too) each bus speed takes two of them in turn, so every length meets every field and
// moment on one bus speed or two, and every bus speed every field and moment.
TEST(FieldCheckDisturbed, OneStallNeitherPassesAWrongFieldNorRefusesARightOne) {
  const uint8_t standards[] = {engine::vsPAL, engine::vsNTSC, engine::vs24kHz};
  const Shape shapes[] = {Shape::kRight,  Shape::kHalved, Shape::kDoubled,
                          Shape::kSlow12, Shape::kFast12, Shape::kLineDoubled};
  const double lengths_ms[] = {1, 5, 9.5, 14, 19.7, 25};
  std::vector<double> offsets_ms = {5, 9};
  for (int step = -2; step <= 6; ++step)
    offsets_ms.push_back(0.05 * step);
  const uint64_t buses[] = {300'000, 500'000, 840'000, 1'000'000, 1'500'000};
  int checks = 0;
  for (size_t b = 0; b < std::size(buses); ++b)
    for (const uint8_t standard : standards)
      for (const Shape shape : shapes) {
        // The 24 kHz switch runs the clock whole: there is no halving to undo.
        if (shape == Shape::kLineDoubled && standard == engine::vs24kHz) continue;
        const uint64_t bus = buses[b];
        SCOPED_TRACE("bus " + std::to_string(bus) + " ps, standard " + std::to_string(standard) +
                     ", shape " + std::to_string(static_cast<int>(shape)));
        Switched sw("vga", 640, 480, standard);
        Reshape(sw.pc, shape);
        const virt::Signal signal = virt::AnalyzeSignal(sw.pc.card());
        const bool right = shape == Shape::kRight;
        const virt::StandardRates target = fit::TargetOf(standard);
        ASSERT_EQ(virt::RelativeDeviation(signal.field_rate_hz, target.field_hz) < 0.01,
                  right || shape == Shape::kLineDoubled)
            << signal.field_rate_hz;
        ASSERT_EQ(virt::RelativeDeviation(signal.line_rate_hz, target.line_hz) < 0.01,
                  shape != Shape::kLineDoubled)
            << signal.line_rate_hz;
        for (uint32_t retrace = 1; retrace <= 7; ++retrace)
          for (const double at_ms : offsets_ms)
            for (size_t l = 0; l < std::size(lengths_ms); ++l) {
              if ((l + b) % 3 != 0) continue;
              const double length_ms = lengths_ms[l];
              const virt::Stall stall{static_cast<uint64_t>(length_ms * 1e9),
                                      static_cast<int64_t>(at_ms * 1e9), retrace};
              sw.pc.SetBusModel({bus, 0, {stall}, 0, 0, 0});
              engine::BindPort(sw.pc);
              const uint64_t start = sw.pc.now_ps();
              engine::CheckFieldRate();
              engine::UnbindPort();
              ++checks;
              const double seconds = static_cast<double>(sw.pc.now_ps() - start) * 1e-12;
              if (Eng.FieldRateInBand != (right ? 1 : 0) || seconds >= 0.2 ||
                  Eng.FieldCheckUnmeasurable != 0) {
                ADD_FAILURE() << length_ms << " ms stall at retrace " << retrace << " + " << at_ms
                              << " ms: in band " << int{Eng.FieldRateInBand} << ", field "
                              << Eng.MeasuredFieldRate << ", line " << Eng.MeasuredLineRate << ", "
                              << seconds << " s, unmeasurable " << int{Eng.FieldCheckUnmeasurable};
              }
            }
      }
  EXPECT_EQ(checks, 5 * 17 * 7 * 11 * 2);
}

// On a slow, an ordinary and a fast bus.
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
  for (const uint64_t bus : {300'000, 840'000, 1'500'000})
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.name) + ", bus " + std::to_string(bus) + " ps");
      Switched sw("s3-trio64", 640, 480, engine::vsPAL);
      sw.pc.SetBusModel({bus, 0, {}, 0, 0, 0});
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
