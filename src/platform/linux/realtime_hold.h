#pragma once
// Holding the processor during a measurement under Linux: the thread runs under SCHED_FIFO
// for the hold, so that ordinary tasks cannot take its time slice, and gets its own policy back
// on release. Below the top priority, so that the kernel's own real-time threads still run.

#include <sched.h>

#include "platform/processor_hold.h"

namespace zanvo::linux_pc {

inline constexpr int kHoldPriority = 50;

class RealtimeHold final : public ProcessorHold {
 public:
  void Hold() override;
  void Release() override;
  // Whether the last Hold() got the real-time policy (not as root: it did not).
  bool held() const { return held_; }

 private:
  int old_policy_ = SCHED_OTHER;
  sched_param old_param_{};
  bool held_ = false;
};

}  // namespace zanvo::linux_pc
