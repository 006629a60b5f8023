// A program polling the virtual PC must read exactly the same whether the card answers repeated
// status reads from the raster's steady stretch, and whether whole runs of reads go through at
// once: every byte, every timer count, at the same simulated time, and the same clock at the end,
// on the kind bus and on unkind ones (other read costs, jitter, interrupts and stalls).

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/engine_port.h"
#include "engine/engine_state.h"
#include "engine/field_check.h"
#include "engine/readout.h"
#include "engine/standards.h"
#include "fit_check.h"
#include "platform/virtual/card_catalog.h"
#include "platform/virtual/display_driver.h"

namespace zanvo::fit {
namespace {

// One read the program got back: the port, how many reads it stood for (1, or a run's length),
// the byte or count, and the clock after it.
struct Reading {
  uint16_t port;
  uint32_t reads;
  uint32_t value;
  uint64_t after_ps;
  bool operator==(const Reading&) const = default;
};

enum class Path {
  kEveryRead,    // the card looks at the raster on every read; runs read one by one
  kSteadyReads,  // repeated status reads answered from the steady stretch; runs one by one
  kWholeRuns,    // as above, and the virtual PC takes each run at once
};

// Passes every access on to the virtual PC and writes down what came back: `program` what the
// program saw, `bus` every single read the PC answered (runs read one by one only).
class ReadLog final : public PortIo {
 public:
  ReadLog(virt::VirtualPc& pc, Path path) : pc_(pc), whole_runs_(path == Path::kWholeRuns) {
    pc_.card().SetSteadyStatusReuse(path != Path::kEveryRead);
  }

  uint8_t InByte(uint16_t port) override {
    const uint8_t value = pc_.InByte(port);
    Note(port, value);
    return value;
  }
  uint16_t InWord(uint16_t port) override {
    const uint16_t value = pc_.InWord(port);
    Note(port, value);
    return value;
  }
  uint32_t InDword(uint16_t port) override {
    const uint32_t value = pc_.InDword(port);
    Note(port, value);
    return value;
  }
  void OutByte(uint16_t port, uint8_t value) override { pc_.OutByte(port, value); }
  void OutWord(uint16_t port, uint16_t value) override { pc_.OutWord(port, value); }
  void OutDword(uint16_t port, uint32_t value) override { pc_.OutDword(port, value); }
  uint32_t InByteWhile(uint16_t port, uint8_t mask, uint8_t unchanged, uint32_t max_reads,
                       uint8_t& last) override {
    in_run_ = true;
    const uint32_t made = whole_runs_
                              ? pc_.InByteWhile(port, mask, unchanged, max_reads, last)
                              : PortIo::InByteWhile(port, mask, unchanged, max_reads, last);
    in_run_ = false;
    program.push_back({port, made, made > 0 ? last : 0u, pc_.now_ps()});
    return made;
  }

  std::vector<Reading> program;
  std::vector<Reading> bus;

 private:
  void Note(uint16_t port, uint32_t value) {
    const Reading reading{port, 1, value, pc_.now_ps()};
    bus.push_back(reading);
    if (!in_run_) program.push_back(reading);
  }

  virt::VirtualPc& pc_;
  bool whole_runs_;
  bool in_run_ = false;
};

// The engine's own polling: the window's readout and the field check after a switch.
void EngineReadout(PortIo& io, virt::VirtualPc&) {
  engine::BindPort(io);
  engine::ScanTexts texts{};
  engine::MeasureScanFrequencies(texts);
  engine::CheckFieldRate();
  engine::UnbindPort();
}

// A busy-wait of another shape: runs on each status bit with the timer latched at an odd
// stride, single reads between, the attribute flip-flop and port 0x61 touched, the clock moved
// off the bus-cycle grid, and the vertical total changed halfway.
void MixedPolling(PortIo& io, virt::VirtualPc& pc) {
  io.OutByte(0x61, 0x01);
  io.OutByte(0x43, 0xB0);
  io.OutByte(0x42, 0x00);
  io.OutByte(0x42, 0x00);
  const uint8_t masks[] = {0x08, 0x01, 0x09, 0x08};
  for (int round = 0; round < 40; ++round) {
    if (round == 20) {
      io.OutByte(0x3D4, 0x11);
      io.OutByte(0x3D5, static_cast<uint8_t>(io.InByte(0x3D5) & 0x7F));
      io.OutByte(0x3D4, 0x06);
      io.OutByte(0x3D5, static_cast<uint8_t>(io.InByte(0x3D5) + 9));
    }
    const uint8_t mask = masks[round % 4];
    const uint8_t first = io.InByte(0x3DA);
    uint8_t last = 0;
    io.InByteWhile(0x3DA, mask, static_cast<uint8_t>(first & mask), 37 + 101 * (round % 7),
                   last);
    io.OutByte(0x43, 0x80);
    io.InByte(0x42);
    io.InByte(0x42);
    if (round % 5 == 0) io.OutByte(0x3C0, 0x30);  // flip-flop to data
    if (round % 3 == 0) io.InByte(0x61);
    if (round % 6 == 0) pc.Advance(1'234'567 * static_cast<uint64_t>(round + 1));
    for (int i = 0; i < 50; ++i) io.InByte(0x3DA);
  }
}

struct PollCase {
  const char* card;
  uint16_t width, height;
  uint8_t standard;  // vsVGA: the driver's monitor mode as it is
  bool interlace_allowed;
  int retrace;  // -1 runs; 0 or 1 frozen at that level
};

std::string Describe(const PollCase& c) {
  return std::string(c.card) + " " + std::to_string(c.width) + "x" + std::to_string(c.height) +
         " standard " + std::to_string(c.standard) + (c.interlace_allowed ? " interlace" : "") +
         (c.retrace >= 0 ? " frozen " + std::to_string(c.retrace) : "");
}

struct Outcome {
  std::vector<Reading> program;
  std::vector<Reading> bus;
  uint64_t end_ps;
  uint64_t accesses;
};

template <typename Program>
Outcome Poll(const PollCase& c, const virt::BusModel& bus, Path path, Program program) {
  virt::VirtualPc pc(virt::MakeCard(c.card));
  pc.SetBusModel(bus);
  EXPECT_TRUE(virt::SetDesktopMode(pc.card(), c.width, c.height));
  if (c.standard != engine::vsVGA) {
    ApplyStandardAs(pc, pc.card().family(), pc.card().model(), c.standard, c.interlace_allowed);
  } else {
    engine::Eng = engine::EngineState{};
    engine::SetStandard(engine::vsVGA);
  }
  if (c.retrace >= 0) pc.card().FreezeRetrace(true, c.retrace == 1);
  ReadLog log(pc, path);
  program(log, pc);
  return {log.program, log.bus, pc.now_ps(), pc.port_accesses()};
}

// `long_runs`: the program's runs last many reads, so taking them whole must save most of them.
template <typename Program>
void CheckEveryPathReadsAlike(const char* name, bool long_runs, Program program) {
  const PollCase cases[] = {
      {"vga", 640, 480, engine::vsVGA, false, -1},
      {"vga", 640, 480, engine::vsPAL, false, -1},
      {"tseng-et4000", 800, 600, engine::vsPAL, true, -1},
      {"s3-trio64", 1024, 768, engine::vs24kHz, false, -1},
      {"cirrus-gd5434", 640, 480, engine::vsNTSC, true, -1},
      {"trident-9000i", 640, 480, engine::vsPAL, true, -1},
      {"vga", 640, 480, engine::vsPAL, false, 1},
  };
  // The kind bus; a fast even one; an uneven one with interrupts and stalls drawn from a seed; a
  // slow one with stalls at a moment and just after a retrace begins.
  const virt::BusModel buses[] = {
      {},
      {300'000, 0, {}, 0, 0, 0},
      {840'000, 90'000, {}, 2 * virt::kPsPerMs, 30 * virt::kPsPerMs, 7},
      {1'500'000,
       0,
       {{9 * virt::kPsPerMs, 12 * virt::kPsPerMs, 0}, {5 * virt::kPsPerMs, 50'000'000, 2}},
       0,
       0,
       0},
  };
  for (size_t b = 0; b < std::size(buses); ++b)
    for (const PollCase& c : cases) {
      SCOPED_TRACE(std::string(name) + ": " + Describe(c) + ", bus " + std::to_string(b));
      const Outcome every = Poll(c, buses[b], Path::kEveryRead, program);
      const Outcome steady = Poll(c, buses[b], Path::kSteadyReads, program);
      const Outcome runs = Poll(c, buses[b], Path::kWholeRuns, program);
      ASSERT_GT(every.bus.size(), 1000u);
      EXPECT_TRUE(steady.bus == every.bus);
      EXPECT_TRUE(steady.program == every.program);
      EXPECT_TRUE(runs.program == every.program);
      // The runs were taken whole: the PC answered far fewer single reads.
      if (long_runs) {
        EXPECT_LT(runs.bus.size() * 4, every.bus.size());
      }
      EXPECT_EQ(steady.end_ps, every.end_ps);
      EXPECT_EQ(runs.end_ps, every.end_ps);
      EXPECT_EQ(steady.accesses, every.accesses);
      EXPECT_EQ(runs.accesses, every.accesses);
    }
}

TEST(SteadyStatus, EngineReadoutReadsAlikeOnEveryPath) {
  CheckEveryPathReadsAlike("engine readout", true, EngineReadout);
}

TEST(SteadyStatus, MixedPollingReadsAlikeOnEveryPath) {
  CheckEveryPathReadsAlike("mixed polling", false, MixedPolling);
}

// A status bit that changes exactly a whole number of read costs after a read: the run ends on
// the very read that sees the change, at the time plain reads reach it.
TEST(SteadyStatus, ARunEndsOnTheReadThatMeetsAnEdgeOnTheDot) {
  for (const uint64_t cost : {uint64_t{1'000'000}, uint64_t{300'000}, uint64_t{840'000}})
    for (const uint8_t mask : {uint8_t{0x08}, uint8_t{0x01}})
      for (const uint32_t k : {1u, 2u, 3u, 17u}) {
        SCOPED_TRACE(std::to_string(cost) + " ps, mask " + std::to_string(mask) + ", " +
                     std::to_string(k) + " reads");
        virt::VirtualPc pcs[2] = {virt::VirtualPc(virt::MakeCard("vga")),
                                  virt::VirtualPc(virt::MakeCard("vga"))};
        uint64_t edge = 0;
        for (virt::VirtualPc& pc : pcs) {
          ASSERT_TRUE(virt::SetDesktopMode(pc.card(), 640, 480));
          pc.SetBusModel({cost, 0, {}, 0, 0, 0});
          pc.Advance(5 * virt::kPsPerMs);
          // An edge after a stretch long enough for the reads.
          uint64_t from = pc.now_ps();
          edge = pc.card().StatusSteadyUntil(from, mask);
          while (edge - from <= (k + 1) * cost) {
            from = edge;
            edge = pc.card().StatusSteadyUntil(from, mask);
          }
          ASSERT_NE(pc.card().PeekInputStatus1(edge - 1) & mask,
                    pc.card().PeekInputStatus1(edge) & mask);
          pc.Advance(edge - k * cost - pc.now_ps());
        }
        pcs[1].card().SetSteadyStatusReuse(false);
        uint32_t reads[2] = {};
        uint8_t last[2] = {};
        for (int i = 0; i < 2; ++i) {
          const auto unchanged = static_cast<uint8_t>(pcs[i].InByte(0x3DA) & mask);
          reads[i] = i == 0 ? pcs[i].InByteWhile(0x3DA, mask, unchanged, 1000, last[i])
                            : pcs[i].PortIo::InByteWhile(0x3DA, mask, unchanged, 1000, last[i]);
        }
        EXPECT_EQ(reads[0], k);
        EXPECT_EQ(reads[1], k);
        EXPECT_EQ(last[0], last[1]);
        EXPECT_EQ(pcs[0].now_ps(), edge + cost);
        EXPECT_EQ(pcs[1].now_ps(), edge + cost);
      }
}

}  // namespace
}  // namespace zanvo::fit
