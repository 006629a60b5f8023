#pragma once
// How kind the virtual PC's bus and processor are to a program that polls the hardware. A real
// PC answers a port access in 0.3 us (a PCI or AGP card) to 1.5 us (an ISA card), a little
// unevenly, and takes the processor away now and then: an interrupt for tens of microseconds, a
// task switch for a time slice of 1-25 ms. While the program waits, the machine's time runs on:
// the PC timer keeps counting and the raster keeps running.
//
// The default is the kind machine every figure of the project was measured on: one microsecond
// per access, no jitter, never a pause.

#include <cstdint>
#include <vector>

namespace zanvo::virt {

inline constexpr uint64_t kPsPerUs = 1'000'000;
inline constexpr uint64_t kPsPerMs = 1'000'000'000;

// One ISA bus cycle, in picoseconds: the default cost of a port access.
inline constexpr uint64_t kBusCyclePs = kPsPerUs;

// The range of read costs a real PC shows.
inline constexpr uint64_t kFastestBusPs = 300'000;
inline constexpr uint64_t kSlowestBusPs = 1'500'000;

// Lengths of the pauses drawn from the seed.
inline constexpr uint64_t kInterruptMinPs = 10 * kPsPerUs;
inline constexpr uint64_t kInterruptMaxPs = 200 * kPsPerUs;
inline constexpr uint64_t kStallMinPs = 1 * kPsPerMs;
inline constexpr uint64_t kStallMaxPs = 25 * kPsPerMs;

// The program loses the processor for `length_ps`, just before its next port access at or after
// the moment. The moment is `at_ps` after the model was set, or, with `retrace` n >= 1, `at_ps`
// from the start of the n-th vertical retrace after that (negative: before it, never before the
// model was set). Retraces are counted on the picture the card sends when the model is set; a
// card without a running retrace never reaches such a moment.
struct Stall {
  uint64_t length_ps = 0;
  int64_t at_ps = 0;
  uint32_t retrace = 0;
};

struct BusModel {
  // Cost of every port access, and up to this much more, drawn evenly for each from the seed.
  uint64_t read_cost_ps = kBusCyclePs;
  uint64_t jitter_ps = 0;
  // Pauses at chosen moments.
  std::vector<Stall> stalls;
  // Pauses drawn from the seed: on average one interrupt (10-200 us) every
  // `interrupt_gap_ps` and one stall (1-25 ms) every `stall_gap_ps` of the machine's time; 0:
  // none.
  uint64_t interrupt_gap_ps = 0;
  uint64_t stall_gap_ps = 0;
  uint64_t seed = 0;
};

// A pause at a moment of the machine's clock.
struct Pause {
  uint64_t at_ps = 0;
  uint64_t length_ps = 0;
};

// The model at work: what each access costs and when the next pause is due, on the machine's
// clock.
class BusClock {
 public:
  BusClock() = default;
  // `origin_ps` is now; `chosen` are the model's stalls placed on the machine's clock.
  BusClock(const BusModel& model, uint64_t origin_ps, std::vector<Pause> chosen);

  // Whether every access costs the same (no jitter): runs of reads can then be counted whole.
  bool even() const { return jitter_ps_ == 0; }
  uint64_t read_cost_ps() const { return read_cost_ps_; }
  // The cost of the next access.
  uint64_t NextCost() { return jitter_ps_ == 0 ? read_cost_ps_ : read_cost_ps_ + Jitter(); }

  // The earliest moment a pause is due (UINT64_MAX: none).
  uint64_t next_pause_ps() const { return next_pause_ps_; }
  // Takes the pause due at next_pause_ps() and returns its length.
  uint64_t TakePause();

 private:
  uint64_t Jitter();
  void FindNextPause();

  uint64_t read_cost_ps_ = kBusCyclePs;
  uint64_t jitter_ps_ = 0;
  uint64_t jitter_state_ = 0;
  // Chosen pauses, latest first so the next is at the back.
  std::vector<Pause> chosen_;
  // The next drawn interrupt and stall, and their generators.
  uint64_t interrupt_gap_ps_ = 0;
  uint64_t stall_gap_ps_ = 0;
  uint64_t interrupt_state_ = 0;
  uint64_t stall_state_ = 0;
  uint64_t next_interrupt_ps_ = UINT64_MAX;
  uint64_t next_stall_ps_ = UINT64_MAX;
  uint64_t next_pause_ps_ = UINT64_MAX;
};

}  // namespace zanvo::virt
