#include "platform/linux/realtime_hold.h"

namespace zanvo::linux_pc {

void RealtimeHold::Hold() {
  old_policy_ = sched_getscheduler(0);
  if (old_policy_ < 0 || sched_getparam(0, &old_param_) != 0) {
    held_ = false;
    return;
  }
  sched_param param{};
  param.sched_priority = kHoldPriority;
  // Refused without the right: the measurement runs as an ordinary task, and the field check's
  // own handling of lost time slices covers it.
  held_ = sched_setscheduler(0, SCHED_FIFO, &param) == 0;
}

void RealtimeHold::Release() {
  if (held_) sched_setscheduler(0, old_policy_, &old_param_);
  held_ = false;
}

}  // namespace zanvo::linux_pc
