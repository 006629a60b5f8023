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
  uint32_t elapsed = 0;
  uint32_t polls = 0;
  while (polls < kRetraceWaitMaxPolls) {
    if (run_.spent_polls >= run_.budget_polls) {
      run_.polls_ran_out = true;
      return false;
    }
    const uint32_t run =
        std::min({kPollsPerTimerLatch - polls % kPollsPerTimerLatch, kRetraceWaitMaxPolls - polls,
                  run_.budget_polls - run_.spent_polls});
    uint8_t status = unchanged;
    const uint32_t made = Port().InByteWhile(run_.status_port, bit, unchanged, run, status);
    run_.spent_polls += made;
    if ((status & bit) != unchanged) return true;
    if (made != run) return false;  // a port that stops short answers nothing more
    polls += made;
    if (polls % kPollsPerTimerLatch == 0) {
      const uint16_t lap = Latch();
      if (TimerImpossible(lap)) return false;
      elapsed += lap;
      if (run_.spent_ticks > run_.budget_ticks) {
        run_.out_of_time = true;
        return false;
      }
      if (elapsed > run_.wait_max_ticks) return false;
    }
  }
  return false;
}

bool StatusWait::TimerImpossible(uint16_t lap) {
  if (lap == 0) {
    run_.timer_stopped = true;
    return true;
  }
  // One slow lap may be the counter's wrap over a stall of a multiple of 55 ms; two in a row
  // are the timer.
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
  const uint16_t count = LatchCount();
  const auto lap = static_cast<uint16_t>(last_count_ - count);
  last_count_ = count;
  run_.spent_ticks += lap;
  since_start_ += lap;
  return lap;
}

}  // namespace zanvo::engine
