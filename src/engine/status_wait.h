#pragma once
// Polling Input Status 1 against PC timer channel 2: the pieces the readout, the field check and
// the line-rate measurement share. A countdown is started, the status polled in runs between
// timer latches, and every poll and latch charged to the run's budgets (readout.h, PeriodRun).

#include <cstdint>

#include "engine/readout.h"

namespace zanvo::engine {

// Loads 65536 (written as 0) into channel 2; it counts down from there.
void StartCountdown();
// Opens or closes the timer 2 gate, the speaker off either way.
void GateTimer(bool open);

// Polls a status bit on one countdown, giving up on a bound measured on the running timer
// itself. Wrap-arounds of the 16-bit count add up as long as latches come less than 65536 ticks
// apart, which a few hundred polls always are (a stall of longer than 55 ms excepted).
class StatusWait {
 public:
  explicit StatusWait(PeriodRun& run) : run_(run) {}

  // Polls while `bit` reads `set`; false when a bound ran out first or the timer was found not
  // to count or to count impossibly slowly (the run's flags say which, none: the wait's own
  // bound of run.wait_max_ticks). The polls between two latches go to the port as one run.
  bool While(uint8_t bit, bool set);

  // Latches the count; returns the ticks since the previous latch (or the restart).
  uint16_t Latch();
  // The timer's time since the countdown started, over every latch so far.
  uint32_t since_start() const { return since_start_; }

 private:
  // Whether a lap of kPollsPerTimerLatch polls shows a timer that does not count or counts
  // more slowly than any bus reads; sets the run's flag.
  bool TimerImpossible(uint16_t lap);

  PeriodRun& run_;
  uint16_t last_count_ = 0;  // a freshly loaded 65536 reads as 0
  uint32_t since_start_ = 0;
};

}  // namespace zanvo::engine
