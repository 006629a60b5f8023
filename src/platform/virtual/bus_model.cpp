#include "platform/virtual/bus_model.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace zanvo::virt {

namespace {

// SplitMix64: a small generator whose streams, seeded apart, do not follow one another.
uint64_t Draw(uint64_t& state) {
  uint64_t z = (state += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

// Evenly in [low, high].
uint64_t DrawBetween(uint64_t& state, uint64_t low, uint64_t high) {
  if (high <= low) return low;
  const uint64_t span = high - low;
  return low + (span == UINT64_MAX ? Draw(state) : Draw(state) % (span + 1));
}

// The gap to the next of events that come `mean_ps` apart on average, at random (exponential).
uint64_t DrawGap(uint64_t& state, uint64_t mean_ps) {
  const double unit = static_cast<double>(Draw(state) >> 11) / 9007199254740992.0;  // [0, 1)
  const double gap = -std::log1p(-unit) * static_cast<double>(mean_ps);
  return gap >= 1e18 ? uint64_t{1'000'000'000'000'000'000} : static_cast<uint64_t>(gap) + 1;
}

uint64_t After(uint64_t at, uint64_t gap) {
  return at > UINT64_MAX - gap ? UINT64_MAX : at + gap;
}

}  // namespace

BusClock::BusClock(const BusModel& model, uint64_t origin_ps, std::vector<Pause> chosen)
    : read_cost_ps_(std::max<uint64_t>(model.read_cost_ps, 1)),
      jitter_ps_(model.jitter_ps),
      jitter_state_(model.seed ^ 0x6A09E667F3BCC908ull),
      chosen_(std::move(chosen)),
      interrupt_gap_ps_(model.interrupt_gap_ps),
      stall_gap_ps_(model.stall_gap_ps),
      interrupt_state_(model.seed ^ 0xBB67AE8584CAA73Bull),
      stall_state_(model.seed ^ 0x3C6EF372FE94F82Bull) {
  std::stable_sort(chosen_.begin(), chosen_.end(),
                   [](const Pause& a, const Pause& b) { return a.at_ps > b.at_ps; });
  if (interrupt_gap_ps_ != 0) {
    next_interrupt_ps_ = After(origin_ps, DrawGap(interrupt_state_, interrupt_gap_ps_));
  }
  if (stall_gap_ps_ != 0) next_stall_ps_ = After(origin_ps, DrawGap(stall_state_, stall_gap_ps_));
  FindNextPause();
}

uint64_t BusClock::Jitter() {
  return DrawBetween(jitter_state_, 0, jitter_ps_);
}

void BusClock::FindNextPause() {
  next_pause_ps_ = std::min(next_interrupt_ps_, next_stall_ps_);
  if (!chosen_.empty()) next_pause_ps_ = std::min(next_pause_ps_, chosen_.back().at_ps);
}

uint64_t BusClock::TakePause() {
  uint64_t length = 0;
  if (!chosen_.empty() && chosen_.back().at_ps == next_pause_ps_) {
    length = chosen_.back().length_ps;
    chosen_.pop_back();
  } else if (next_stall_ps_ == next_pause_ps_ && next_stall_ps_ != UINT64_MAX) {
    length = DrawBetween(stall_state_, kStallMinPs, kStallMaxPs);
    next_stall_ps_ = After(next_stall_ps_, DrawGap(stall_state_, stall_gap_ps_));
  } else if (next_interrupt_ps_ == next_pause_ps_ && next_interrupt_ps_ != UINT64_MAX) {
    length = DrawBetween(interrupt_state_, kInterruptMinPs, kInterruptMaxPs);
    next_interrupt_ps_ = After(next_interrupt_ps_, DrawGap(interrupt_state_, interrupt_gap_ps_));
  }
  FindNextPause();
  return length;
}

}  // namespace zanvo::virt
