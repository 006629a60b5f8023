#include "engine/readout.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "engine/engine_port.h"
#include "engine/engine_state.h"
#include "engine/register_access.h"
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

// CR07 bits 0 and 5: vertical total bits 8 and 9.
inline constexpr uint8_t kCR07VTotal8 = 0x01;
inline constexpr uint8_t kCR07VTotal9 = 0x20;

uint16_t ReadLinesPerField() {
  const uint8_t total_low = ReadCrtcReg(CR06);
  const uint8_t overflow = ReadCrtcReg(CR07);
  uint16_t lines = static_cast<uint16_t>(total_low + 2);
  if ((overflow & kCR07VTotal8) != 0) lines = static_cast<uint16_t>(lines + 256);
  if ((overflow & kCR07VTotal9) != 0) lines = static_cast<uint16_t>(lines + 512);
  return lines;
}

// Loads 65536 (written as 0) into channel 2; it counts down from there.
void StartCountdown() {
  PortIo& io = Port();
  io.OutByte(kPitCommand, kPitCh2Mode0);
  io.OutByte(kPitChannel2, 0x00);
  io.OutByte(kPitChannel2, 0x00);
}

uint16_t LatchCount() {
  PortIo& io = Port();
  io.OutByte(kPitCommand, kPitCh2Latch);
  const uint8_t low = io.InByte(kPitChannel2);
  const uint8_t high = io.InByte(kPitChannel2);
  return static_cast<uint16_t>(low | (high << 8));
}

// Polls the retrace bit of one countdown, giving up on a bound measured on the running timer
// itself. Wrap-arounds of the 16-bit count add up as long as latches come less than 65536
// ticks apart, which a few hundred polls always are. Every poll and latch also charges the run.
class RetraceWait {
 public:
  explicit RetraceWait(PeriodRun& run) : run_(run) {}

  // Polls while the retrace bit equals `in_retrace`; false when a bound ran out first or the
  // timer was found not to count. The polls between two latches go to the port as one run.
  bool While(bool in_retrace) {
    const uint8_t unchanged = in_retrace ? kStatusVRetrace : 0;
    uint32_t elapsed = 0;
    uint32_t polls = 0;
    while (polls < kRetraceWaitMaxPolls) {
      if (run_.spent_polls >= run_.budget_polls) {
        run_.polls_ran_out = true;
        return false;
      }
      const uint32_t run = std::min({kPollsPerTimerLatch - polls % kPollsPerTimerLatch,
                                     kRetraceWaitMaxPolls - polls,
                                     run_.budget_polls - run_.spent_polls});
      uint8_t status = unchanged;
      const uint32_t made =
          Port().InByteWhile(run_.status_port, kStatusVRetrace, unchanged, run, status);
      run_.spent_polls += made;
      if ((status & kStatusVRetrace) != unchanged) return true;
      if (made != run) return false;  // a port that stops short answers nothing more
      polls += made;
      if (polls % kPollsPerTimerLatch == 0) {
        const uint16_t lap = Latch();
        if (lap == 0) {
          run_.timer_stopped = true;
          return false;
        }
        elapsed += lap;
        if (elapsed > kRetraceWaitMaxTicks || run_.spent_ticks > run_.budget_ticks) return false;
      }
    }
    return false;
  }

  // Latches the count; returns the ticks since the previous latch (or the restart).
  uint16_t Latch() {
    const uint16_t count = LatchCount();
    const auto lap = static_cast<uint16_t>(last_count_ - count);
    last_count_ = count;
    run_.spent_ticks += lap;
    since_start_ += lap;
    return lap;
  }
  // The timer's time since the countdown started, over every latch so far.
  uint32_t since_start() const { return since_start_; }

 private:
  PeriodRun& run_;
  uint16_t last_count_ = 0;  // a freshly loaded 65536 reads as 0
  uint32_t since_start_ = 0;
};

// One countdown until the end of the next retrace. `ticks` gets the time since the start: the
// laps between the latches added up, so a period longer than the 16-bit counter still counts in
// full. False when a wait gave up.
bool TimeOnePass(PeriodRun& run, uint32_t& ticks) {
  StartCountdown();
  RetraceWait wait(run);
  if (!wait.While(false) || !wait.While(true)) return false;
  wait.Latch();
  ticks = wait.since_start();
  return true;
}

void GateTimer(bool open) {
  PortIo& io = Port();
  const uint8_t port_b = io.InByte(kSystemControlB);
  const auto speaker_off = static_cast<uint8_t>(port_b & ~kSpeakerData);
  io.OutByte(kSystemControlB, open ? static_cast<uint8_t>(speaker_off | kGateTimer2)
                                   : static_cast<uint8_t>(speaker_off & ~kGateTimer2));
}

}  // namespace

ScanFigures ComputeScanFigures(uint16_t lines_per_field, uint32_t period_ticks) {
  ScanFigures f;
  f.T = lines_per_field;
  f.N = period_ticks <= UINT32_MAX - kRestartAllowanceTicks ? period_ticks + kRestartAllowanceTicks
                                                             : UINT32_MAX;
  f.fV = static_cast<double>(1.0L / (static_cast<long double>(f.N) * kPitTickSeconds));
  // N >= 12 keeps fV below 100 kHz, so both products fit an int32_t.
  f.H = static_cast<int32_t>(static_cast<long double>(f.T) * f.fV);
  f.V = static_cast<int32_t>(static_cast<long double>(f.fV) * 1000.0L);
  return f;
}

void FormatScanTexts(const ScanFigures& figures, ScanTexts& texts) {
  // A decimal tie rounds up: H = 15250 shows 15.3, V = 59500 shows 60.
  const int32_t h_tenths_khz = (figures.H + 50) / 100;
  const int32_t v_hz = (figures.V + 500) / 1000;
  if (Eng.ChipFamily == cfATI) {
    // This family's timing lives in its block registers; the VGA total says nothing about it.
    std::snprintf(texts.h, sizeof texts.h, "  N/A");
  } else {
    std::snprintf(texts.h, sizeof texts.h, "%5.1f Khz", h_tenths_khz / 10.0);
  }
  std::snprintf(texts.v, sizeof texts.v, "%4.0f Hz", static_cast<double>(v_hz));
}

void BeginPeriodRun(PeriodRun& run, uint32_t budget_ticks, uint32_t budget_polls) {
  run = PeriodRun{};
  run.budget_ticks = budget_ticks;
  run.budget_polls = budget_polls;
  run.status_port = (Port().InByte(kMiscOutputRead) & kMiscColorAddressing) != 0
                        ? kInputStatus1Color
                        : kInputStatus1Mono;
  GateTimer(true);
}

bool TimeNextPeriod(PeriodRun& run, uint32_t& ticks) {
  // The first pass of a run only lines up with the end of a retrace.
  if (!run.lined_up) {
    if (!TimeOnePass(run, ticks)) return false;
    run.lined_up = true;
  }
  return TimeOnePass(run, ticks);
}

void EndPeriodRun() {
  GateTimer(false);
}

bool MeasureScanFrequencies(ScanTexts& texts, ScanFigures* figures) {
  SelectCrtcPort();
  const uint16_t lines_per_field = ReadLinesPerField();

  // One period; the waits' own bounds suffice for the window's readout.
  PeriodRun run;
  BeginPeriodRun(run, UINT32_MAX);
  uint32_t ticks = 0;
  const bool measured = TimeNextPeriod(run, ticks);
  EndPeriodRun();
  if (!measured) return false;

  const ScanFigures result = ComputeScanFigures(lines_per_field, static_cast<uint16_t>(ticks));
  FormatScanTexts(result, texts);
  if (figures != nullptr) *figures = result;
  return true;
}

}  // namespace zanvo::engine
