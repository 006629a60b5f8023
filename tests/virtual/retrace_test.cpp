// Input Status 1 over simulated time: the retrace bit comes once per field of the analyzed
// signal, the display-disabled bit covers blanking and border, and the PC timer measures it.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <vector>

#include "platform/virtual/cards/standard_vga.h"
#include "platform/virtual/signal/raster.h"
#include "virtual_test_util.h"

namespace zanvo::virt {
namespace {

using testing::PcWithMode;

// A card whose CRTC interlaces: field-line values get a half line per field, frame-line values
// are halved.
class InterlacedTestCard final : public VgaCard {
 public:
  explicit InterlacedTestCard(bool frame_lines) : frame_lines_(frame_lines) {}
  std::string_view name() const override { return "interlaced-test"; }
  uint8_t family() const override { return kFamilyStandardVga; }
  uint16_t model() const override { return 0xFFFF; }

 protected:
  double ClockHz(int select) const override {
    return select == 0 ? kClock25Hz : select == 1 ? kClock28Hz : 0;
  }
  void ApplyExtensions(CrtcTiming& t) const override {
    t.interlaced = true;
    t.v_frame_lines = frame_lines_;
  }

 private:
  bool frame_lines_;
};

// Times (ps) at which bit 3 was first seen set, over `duration_ps` of reading 0x3DA.
std::vector<uint64_t> RetraceStarts(VirtualPc& pc, uint64_t duration_ps) {
  std::vector<uint64_t> starts;
  bool previous = true;  // ignore a retrace already running at the start
  const uint64_t end = pc.now_ps() + duration_ps;
  while (pc.now_ps() < end) {
    const uint64_t at = pc.now_ps();
    const bool retrace = (pc.InByte(0x3DA) & 0x08) != 0;
    if (retrace && !previous) starts.push_back(at);
    previous = retrace;
  }
  return starts;
}

struct PeriodCase {
  const char* name;
  std::function<std::unique_ptr<VirtualPc>()> make;
  double lines_per_field;
};

std::unique_ptr<VirtualPc> InterlacedPc(bool frame_lines) {
  auto pc = std::make_unique<VirtualPc>(std::make_unique<InterlacedTestCard>(frame_lines));
  pc->card().SetMode(*DesktopModeTiming(pc->card(), 640, 480));
  return pc;
}

TEST(Retrace, Bit3ComesOncePerAnalyzedField) {
  const PeriodCase cases[] = {
      {"640x480", [] { return PcWithMode(640, 480); }, 525},
      {"320x200", [] { return PcWithMode(320, 200); }, 449},
      {"720x400", [] { return PcWithMode(720, 400); }, 449},
      {"800x600", [] { return PcWithMode(800, 600); }, 656},
      {"1600x1200", [] { return PcWithMode(1600, 1200); }, 1312},
      {"interlaced, field lines", [] { return InterlacedPc(false); }, 525.5},
      {"interlaced, frame lines", [] { return InterlacedPc(true); }, 262.5},
  };
  for (const auto& c : cases) {
    auto pc = c.make();
    const Signal s = AnalyzeSignal(pc->card());
    ASSERT_DOUBLE_EQ(s.lines_per_field, c.lines_per_field) << c.name;
    const double field_ps = 1e12 / s.field_rate_hz;
    const auto starts = RetraceStarts(*pc, static_cast<uint64_t>(field_ps * 6.5));
    ASSERT_GE(starts.size(), 6u) << c.name;
    ASSERT_LE(starts.size(), 7u) << c.name;
    for (size_t i = 1; i < starts.size(); ++i) {
      // One bus cycle of sampling jitter.
      EXPECT_NEAR(static_cast<double>(starts[i] - starts[i - 1]), field_ps, 1.01e6)
          << c.name << " field " << i;
    }
    // The retrace starts at the programmed sync line of each field.
    const double line_ps = s.line_period_us * 1e6;
    const double offset = std::fmod(static_cast<double>(starts[0]), field_ps);
    EXPECT_NEAR(offset, s.v_sync_start_line * line_ps, 1.01e6) << c.name;
  }
}

TEST(Retrace, DisplayDisabledBitCoversBlankingAndBorder) {
  struct Case {
    uint16_t width, height;
    double active;  // displayed characters / total x displayed lines / total
  };
  const Case cases[] = {
      {640, 480, 80.0 / 100 * 480 / 525},
      {720, 400, 80.0 / 100 * 400 / 449},
      {1024, 768, 128.0 / 160 * 768 / 840},
  };
  for (const auto& c : cases) {
    auto pc = PcWithMode(c.width, c.height);
    int enabled = 0;
    const int samples = 400'000;
    for (int i = 0; i < samples; ++i) {
      if ((pc->InByte(0x3DA) & 0x01) == 0) ++enabled;
      pc->Advance(1'234'567);  // off the line period, so the samples spread over the raster
    }
    EXPECT_NEAR(static_cast<double>(enabled) / samples, c.active, 0.01)
        << c.width << "x" << c.height;
  }
}

TEST(Retrace, FrozenRetraceNeverChanges) {
  for (bool level : {false, true}) {
    auto pc = PcWithMode(640, 480);
    pc->card().FreezeRetrace(true, level);
    int changes = 0;
    for (int i = 0; i < 100'000; ++i) {
      const bool retrace = (pc->InByte(0x3DA) & 0x08) != 0;
      if (retrace != level) ++changes;
    }
    EXPECT_EQ(changes, 0) << "level " << level;
    pc->card().FreezeRetrace(false);
    EXPECT_GE(RetraceStarts(*pc, 50'000'000'000).size(), 2u) << "thawed, level " << level;
  }
}

TEST(Retrace, NoRetraceWithoutAClockOrWithTheCrtcHeld) {
  auto no_clock = PcWithMode(640, 480);
  no_clock->OutByte(0x3C2, 0xEB);  // clock select 2: not on this card
  EXPECT_TRUE(RetraceStarts(*no_clock, 100'000'000'000).empty());

  auto held = PcWithMode(640, 480);
  testing::WriteReg(*held, 0x3D4, 0x17, 0x23);
  EXPECT_TRUE(RetraceStarts(*held, 100'000'000'000).empty());
}

// A program polling the status is answered a stretch at a time: each stretch keeps the bits
// asked about, and where one ends either those bits change at that very picosecond or a field
// (for the display-disabled bit, a line) begins. The retrace bit takes a few stretches a field.
TEST(Retrace, SteadyStretchesEndWhereTheBitsChange) {
  struct Case {
    const char* name;
    std::function<std::unique_ptr<VirtualPc>()> make;
    uint8_t bits;
    int max_stretches_per_field;
  };
  const Case cases[] = {
      {"640x480 retrace", [] { return PcWithMode(640, 480); }, 0x08, 4},
      {"800x600 retrace", [] { return PcWithMode(800, 600); }, 0x08, 4},
      {"interlaced retrace", [] { return InterlacedPc(false); }, 0x08, 4},
      {"640x480 display", [] { return PcWithMode(640, 480); }, 0x01, 3 * 525},
      {"interlaced both", [] { return InterlacedPc(true); }, 0x09, 3 * 263},
  };
  for (const auto& c : cases) {
    auto pc = c.make();
    const Raster raster(AnalyzeSignal(pc->card()));
    const uint64_t field_ps = static_cast<uint64_t>(raster.field_period_ps());
    const uint64_t end = 3 * field_ps + 777;
    int stretches = 0;
    int changes = 0;
    for (uint64_t t = 12'345; t < end; ++stretches) {
      const uint64_t until = raster.SteadyUntil(t, c.bits);
      ASSERT_GT(until, t) << c.name;
      const uint8_t held = raster.Status(t) & c.bits;
      for (const uint64_t inside : {t + (until - t) / 3, t + (until - t) / 2, until - 1}) {
        ASSERT_EQ(raster.Status(inside) & c.bits, held) << c.name << " at " << inside;
      }
      if ((raster.Status(until) & c.bits) != held) ++changes;
      t = until;
    }
    const int fields = 3;
    EXPECT_LE(stretches, fields * c.max_stretches_per_field + 2) << c.name;
    // The retrace rises and falls once a field; the display-disabled bit twice a displayed line.
    if (c.bits == 0x08) {
      EXPECT_NEAR(changes, 2 * fields, 1) << c.name;
    } else if (c.bits == 0x01) {
      EXPECT_NEAR(changes, 2 * 480 * fields, 2) << c.name;
    }
  }
}

// The measurement the PC timer makes: start channel 2 at 65536 in mode 0 at the end of one
// retrace, latch it at the end of the next.
uint32_t TicksPerField(VirtualPc& pc) {
  pc.OutByte(0x61, static_cast<uint8_t>((pc.InByte(0x61) & 0xFD) | 0x01));
  uint32_t ticks = 0;
  for (int pass = 0; pass < 2; ++pass) {
    pc.OutByte(0x43, 0xB0);
    pc.OutByte(0x42, 0x00);
    pc.OutByte(0x42, 0x00);
    for (int i = 0; i < 1'000'000 && (pc.InByte(0x3DA) & 0x08) == 0; ++i) {
    }
    for (int i = 0; i < 1'000'000 && (pc.InByte(0x3DA) & 0x08) != 0; ++i) {
    }
    pc.OutByte(0x43, 0x80);
    const uint8_t low = pc.InByte(0x42);
    const uint8_t high = pc.InByte(0x42);
    ticks = (0x10000 - (low | (high << 8))) & 0xFFFF;
  }
  return ticks;
}

TEST(Retrace, TimerCountsOneFieldBetweenRetraceEnds) {
  struct Case {
    uint16_t width, height;
    double field_hz;
  };
  const Case cases[] = {
      {640, 480, 59.940}, {720, 400, 70.087}, {800, 600, 43.174}, {768, 576, 46.829}};
  for (const auto& c : cases) {
    auto pc = PcWithMode(c.width, c.height);
    const double field_ticks = 14'318'180.0 / 12 / c.field_hz;
    // The count loads five bus cycles after the first pass saw the retrace end (latch, two
    // reads, command, low byte; 6 ticks), and its first clock edge only loads it: seven ticks
    // short of the field, give or take the one-cycle sampling of each retrace end.
    EXPECT_NEAR(TicksPerField(*pc), field_ticks - 7, 2) << c.width << "x" << c.height;
  }
}

// A lost time slice on the bus model: the program's next access comes `length` later, at the
// moment asked (a time, or the n-th retrace's start with an offset), and the timer counted on
// through it; reads before it cost the read cost and nothing else.
TEST(BusModel, AStallComesAtItsMomentAndTheTimerCountsThroughIt) {
  struct Case {
    const char* name;
    uint64_t cost_ps;
    Stall stall;
  };
  const Case cases[] = {
      {"12 ms at 3 ms, 0.3 us reads", 300'000, {12 * kPsPerMs, 3 * kPsPerMs, 0}},
      {"9.5 ms at retrace 2, 1.5 us reads", 1'500'000, {9'500'000'000, 0, 2}},
      {"5 ms 0.4 ms before retrace 2", 840'000, {5 * kPsPerMs, -400'000'000, 2}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto pc = PcWithMode(640, 480);
    pc->Advance(1'234'567);
    const uint64_t origin = pc->now_ps();
    const uint64_t base =
        c.stall.retrace == 0 ? origin : pc->card().RetraceStart(origin, c.stall.retrace);
    const uint64_t moment = base + static_cast<uint64_t>(c.stall.at_ps);
    if (c.stall.retrace != 0) {
      EXPECT_EQ(pc->card().PeekInputStatus1(base - 1) & 0x08, 0);
      EXPECT_NE(pc->card().PeekInputStatus1(base) & 0x08, 0) << "the retrace begins there";
    }
    pc->SetBusModel({c.cost_ps, 0, {c.stall}, 0, 0, 0});
    pc->OutByte(0x61, 0x01);  // timer 2 gate open, counting from 65536
    pc->OutByte(0x43, 0xB0);
    pc->OutByte(0x42, 0x00);
    const uint64_t loaded = pc->now_ps();
    pc->OutByte(0x42, 0x00);
    uint64_t before = 0;
    while (pc->now_ps() < moment) {
      before = pc->now_ps();
      pc->InByte(0x3DA);
      EXPECT_EQ(pc->now_ps() - before, c.cost_ps);
    }
    // The first access at or after the moment waits out the stall.
    const uint64_t at = pc->now_ps();
    pc->OutByte(0x43, 0x80);
    EXPECT_EQ(pc->now_ps(), at + c.stall.length_ps + c.cost_ps);
    const uint16_t count = static_cast<uint16_t>(pc->InByte(0x42) | (pc->InByte(0x42) << 8));
    const double ticks = static_cast<double>(at + c.stall.length_ps - loaded) / 838'095.3;
    ASSERT_LT(ticks, 65536) << "within one lap of the counter";
    EXPECT_NEAR(static_cast<uint16_t>(0 - count), ticks, 2);
  }
}

}  // namespace
}  // namespace zanvo::virt
