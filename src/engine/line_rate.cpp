#include "engine/line_rate.h"

#include <algorithm>
#include <array>

#include "engine/status_wait.h"
#include "engine/vga_regs.h"

namespace zanvo::engine {

namespace {

bool RunStopped(const PeriodRun& run) {
  return run.out_of_time || run.timer_stopped || run.timer_too_slow || run.polls_ran_out;
}

// Waits for the next rise of the display-disabled bit: the end of a line's picture.
bool NextRise(StatusWait& wait) {
  return wait.While(kStatusDisplayDisabled, true) && wait.While(kStatusDisplayDisabled, false);
}

}  // namespace

LineTiming TimeLineRate(PeriodRun& run, uint16_t lines, double& line_hz) {
  line_hz = 0;
  std::array<uint32_t, kLineStretchLines> laps{};
  const size_t count = std::min<size_t>(std::max<uint16_t>(lines, 2), laps.size());
  StartCountdown();
  StatusWait wait(run);
  // From the retrace through the rest of the vertical blanking to the first line's end.
  if (!NextRise(wait)) return RunStopped(run) ? LineTiming::kStopped : LineTiming::kNoEdges;
  wait.Latch();
  uint32_t at = wait.since_start();
  for (size_t i = 0; i < count; ++i) {
    if (!NextRise(wait)) return RunStopped(run) ? LineTiming::kStopped : LineTiming::kNoEdges;
    wait.Latch();
    laps[i] = wait.since_start() - at;
    at = wait.since_start();
  }
  // The typical lap is a line's time; every lap counts as the whole lines it is nearest to.
  std::array<uint32_t, kLineStretchLines> sorted = laps;
  std::nth_element(sorted.begin(), sorted.begin() + count / 2, sorted.begin() + count);
  const uint32_t typical = sorted[count / 2];
  if (typical == 0) return LineTiming::kDisturbed;
  uint64_t ticks = 0;
  uint32_t counted = 0;
  size_t kept = 0;
  for (size_t i = 0; i < count; ++i) {
    const uint32_t whole = (laps[i] + typical / 2) / typical;
    if (whole == 0 || whole > kMaxLinesPerLap) continue;
    ticks += laps[i];
    counted += whole;
    ++kept;
  }
  // Most laps must be a line's time, or the stretch was not the picture's.
  if (kept * 4 < count * 3 || ticks == 0) return LineTiming::kDisturbed;
  line_hz = counted / (static_cast<double>(ticks) * kPitTickSeconds);
  return LineTiming::kMeasured;
}

}  // namespace zanvo::engine
