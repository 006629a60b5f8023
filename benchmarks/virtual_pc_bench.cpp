// How fast the virtual PC answers port accesses, and how many complete "apply a standard and
// analyze the signal" runs it manages per second.

#include <benchmark/benchmark.h>

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

}  // namespace

BENCHMARK_MAIN();
