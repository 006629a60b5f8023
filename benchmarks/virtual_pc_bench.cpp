// How fast the virtual PC answers port accesses, and how many complete "apply a standard and
// analyze the signal" runs it manages per second.

#include <benchmark/benchmark.h>

#include "matrix.h"

#include "platform/virtual/card_catalog.h"
#include "platform/virtual/display_driver.h"
#include "platform/virtual/virtual_pc.h"
#include "scope_session.h"

namespace {

using zanvo::virt::VirtualPc;

// The readout's inner loop: polling Input Status 1 while the retrace state follows the clock.
void BM_InputStatusPolls(benchmark::State& state) {
  VirtualPc pc(zanvo::virt::MakeCard("vga"));
  zanvo::virt::SetDesktopMode(pc.card(), 640, 480);
  for (auto _ : state) {
    benchmark::DoNotOptimize(pc.InByte(0x3DA));
  }
  state.counters["accesses/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_InputStatusPolls);

// Index/value writes to the CRTC, the engine's most common access.
void BM_CrtcWordWrites(benchmark::State& state) {
  VirtualPc pc(zanvo::virt::MakeCard("vga"));
  zanvo::virt::SetDesktopMode(pc.card(), 640, 480);
  uint16_t value = 0;
  for (auto _ : state) {
    pc.OutWord(0x3D4, static_cast<uint16_t>(0x0013 | (value++ << 8)));
  }
  state.counters["accesses/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_CrtcWordWrites);

void BM_ApplyPalAndAnalyze(benchmark::State& state) {
  zanvo::scope::ScopeOptions options;
  options.standard = 99;
  for (auto _ : state) {
    zanvo::scope::ScopeReport report;
    std::string error;
    benchmark::DoNotOptimize(zanvo::scope::RunScope(options, report, error));
  }
  state.counters["runs/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ApplyPalAndAnalyze);

// Detection on the S3 card: the PCI walk from slot 511 down, then the register probe chain.
void BM_DetectS3(benchmark::State& state) {
  zanvo::scope::ScopeOptions options;
  options.card = "s3-trio64";
  options.detect = true;
  for (auto _ : state) {
    zanvo::scope::ScopeReport report;
    std::string error;
    benchmark::DoNotOptimize(zanvo::scope::RunScope(options, report, error));
  }
  state.counters["runs/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DetectS3);

// The whole matrix the fit tests walk: every card, every mode and depth its driver offers, TV
// standard and interlace choice.
void BM_FullMatrix(benchmark::State& state) {
  int64_t runs = 0;
  for (auto _ : state) {
    for (const auto name : zanvo::virt::CardNames()) {
      for (const auto& mode : zanvo::virt::DriverModes(*zanvo::virt::MakeCard(name))) {
        for (const uint8_t standard : {99, 100, 101}) {
          for (const bool no_interlace : {false, true}) {
            zanvo::scope::ScopeOptions options;
            options.card = std::string(name);
            options.width = mode.width;
            options.height = mode.height;
            options.bits_per_pixel = mode.bits_per_pixel;
            options.depth_given = true;
            options.standard = standard;
            options.no_interlace = no_interlace;
            zanvo::scope::ScopeReport report;
            std::string error;
            benchmark::DoNotOptimize(zanvo::scope::RunScope(options, report, error));
            ++runs;
          }
        }
      }
    }
  }
  state.counters["runs/s"] =
      benchmark::Counter(static_cast<double>(runs), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FullMatrix)->Unit(benchmark::kMillisecond);

// zanvo-scope --matrix as a user runs it: every card, every mode and depth its driver offers,
// standard and interlace choice with its outcome, computed timings where the tables refuse or
// squash, and every other model of each card's brand tried for a better choice. The goal is
// under 0.3 s in a release build: every application's field check polls the retrace for up to
// three simulated fields, which the virtual PC answers a run of polls at a time.
void BM_CompatibilityMatrix(benchmark::State& state) {
  for (auto _ : state) {
    const zanvo::scope::Matrix matrix = zanvo::scope::RunMatrix({});
    benchmark::DoNotOptimize(matrix.cells.data());
  }
}
BENCHMARK(BM_CompatibilityMatrix)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
