// How long the virtual TV takes to draw one PAL frame, the work of every redraw after a move
// (the goal is well under 5 ms in a release build, so redrawing on each click costs nothing).

#include <benchmark/benchmark.h>

#include "platform/virtual/tv/test_card.h"
#include "platform/virtual/tv/tv_render.h"
#include "scope_session.h"

namespace {

zanvo::scope::ScopeReport PalOnS3() {
  zanvo::scope::ScopeOptions options;
  options.card = "s3-trio64";
  options.standard = 99;  // PAL
  zanvo::scope::ScopeReport report;
  std::string error;
  zanvo::scope::RunScope(options, report, error);
  return report;
}

// The set's screen from the signal, with the desktop's test card already drawn.
void BM_TvFramePal(benchmark::State& state) {
  const auto report = PalOnS3();
  const auto desktop = zanvo::virt::DrawTestCard(report.mode.width, report.mode.height);
  for (auto _ : state) {
    auto picture =
        zanvo::virt::RenderTv(report.signal, report.mode, zanvo::virt::Receiver::kPal, desktop);
    benchmark::DoNotOptimize(picture.screen.pixels.data());
  }
}
BENCHMARK(BM_TvFramePal)->Unit(benchmark::kMillisecond);

// The same with the test card drawn afresh, as after a change of desktop mode.
void BM_TvFramePalWithTestCard(benchmark::State& state) {
  const auto report = PalOnS3();
  for (auto _ : state) {
    const auto desktop = zanvo::virt::DrawTestCard(report.mode.width, report.mode.height);
    auto picture =
        zanvo::virt::RenderTv(report.signal, report.mode, zanvo::virt::Receiver::kPal, desktop);
    benchmark::DoNotOptimize(picture.screen.pixels.data());
  }
}
BENCHMARK(BM_TvFramePalWithTestCard)->Unit(benchmark::kMillisecond);

}  // namespace
