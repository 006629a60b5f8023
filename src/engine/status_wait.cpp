#include "engine/status_wait.h"

#include <algorithm>

#include "engine/engine_port.h"
#include "engine/vga_regs.h"

namespace zanvo::engine {

namespace {

// Port 0x61:  1 speaker data  0 timer 2 gate
inline constexpr uint8_t kGateTimer2 = 0x01;
inline constexpr uint8_t kSpeakerData = 0x02;
// Channel 2, low then high byte, mode 0 (count down once), binary.
inline constexpr uint8_t kPitCh2Mode0 = 0xB0;
// Counter latch command for channel 2.
inline constexpr uint8_t kPitCh2Latch = 0x80;

uint16_t LatchCount() {
  PortIo& io = Port();
  io.OutByte(kPitCommand, kPitCh2Latch);
  const uint8_t low = io.InByte(kPitChannel2);
  const uint8_t high = io.InByte(kPitChannel2);
  return static_cast<uint16_t>(low | (high << 8));
}

}  // namespace

void StartCountdown() {
  PortIo& io = Port();
  io.OutByte(kPitCommand, kPitCh2Mode0);
  io.OutByte(kPitChannel2, 0x00);
  io.OutByte(kPitChannel2, 0x00);
}

void GateTimer(bool open) {
  PortIo& io = Port();
  const uint8_t port_b = io.InByte(kSystemControlB);
  const auto speaker_off = static_cast<uint8_t>(port_b & ~kSpeakerData);
  io.OutByte(kSystemControlB, open ? static_cast<uint8_t>(speaker_off | kGateTimer2)
                                   : static_cast<uint8_t>(speaker_off & ~kGateTimer2));
}

bool StatusWait::While(uint8_t bit, bool set) {
  const uint8_t unchanged = set ? bit : 0;
  const uint32_t per_latch = std::max<uint32_t>(run_.polls_per_latch, 1);
  // The wait's own bound counts the time the program watched the bit since it last lost the
  // processor: an edge can hide only in time it did not have.
  uint32_t watched = 0;
  uint32_t polls = 0;
  while (polls < kRetraceWaitMaxPolls) {
    if (run_.spent_polls >= run_.budget_polls) {
      run_.polls_ran_out = true;
      return false;
    }
    const uint32_t run = std::min({per_latch - polls % per_latch, kRetraceWaitMaxPolls - polls,
                                   run_.budget_polls - run_.spent_polls});
    uint8_t status = unchanged;
    const uint32_t made = Port().InByteWhile(run_.status_port, bit, unchanged, run, status);
    run_.spent_polls += made;
    if ((status & bit) != unchanged) return true;
    if (made != run) return false;  // a port that stops short answers nothing more
    polls += made;
    if (polls % per_latch == 0) {
      const uint32_t gaps_before = run_.gaps;
      const uint16_t lap = TakeLap(true);
      if (TimerImpossible(lap)) return false;
      watched = run_.gaps != gaps_before ? 0 : watched + lap;
      if (run_.spent_ticks > run_.budget_ticks ||
          run_.processor_ticks > run_.budget_processor_ticks) {
        run_.out_of_time = true;
        return false;
      }
      if (watched > run_.wait_max_ticks) return false;
    }
  }
  return false;
}

bool StatusWait::TimerImpossible(uint16_t lap) {
  // A count that did not move over kPollsPerTimerLatch polls does not count: those polls take
  // tens of ticks on any bus. Over shorter laps a slow timer may stand still for a few.
  if (lap == 0) {
    const uint32_t still_polls = ++run_.still_laps * std::max<uint32_t>(run_.polls_per_latch, 1);
    if (still_polls >= kPollsPerTimerLatch) {
      run_.timer_stopped = true;
      return true;
    }
    return false;
  }
  run_.still_laps = 0;
  // One slow lap may be the counter's wrap over a stall of a multiple of 55 ms; two in a row
  // (laps in which it did not move aside) are the timer.
  if (lap < run_.min_lap_ticks) {
    if (++run_.slow_laps >= 2) {
      run_.timer_too_slow = true;
      return true;
    }
  } else {
    run_.slow_laps = 0;
  }
  return false;
}

uint16_t StatusWait::Latch() {
  return TakeLap(false);
}

uint16_t StatusWait::TakeLap(bool full) {
  const uint16_t count = LatchCount();
  const auto lap = static_cast<uint16_t>(last_count_ - count);
  last_count_ = count;
  run_.spent_ticks += lap;
  since_start_ += lap;
  // Polls take time on any bus: a full lap with fewer ticks than they need wrapped the counter
  // over a lost slice of a multiple of 55 ms.
  const bool lost =
      run_.gap_ticks != 0 && (lap > run_.gap_ticks || (full && lap < run_.min_lap_ticks));
  if (lost) {
    ++run_.gaps;
    last_gap_at_ = since_start_;
  }
  // A lost lap's own polls took less than the bound: counting the bound keeps the processor
  // time a bound of the real one.
  run_.processor_ticks += lost ? std::min<uint32_t>(lap, run_.gap_ticks) : lap;
  return lap;
}

}  // namespace zanvo::engine
