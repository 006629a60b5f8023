#include "engine/readout.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "engine/engine_port.h"
#include "engine/engine_state.h"
#include "engine/line_rate.h"
#include "engine/register_access.h"
#include "engine/status_wait.h"
#include "engine/vga_regs.h"

namespace zanvo::engine {

namespace {

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

// One countdown until the end of the next retrace. `ticks` gets the time since the start: the
// laps between the latches added up, so a period longer than the 16-bit counter still counts in
// full. False when a wait gave up.
bool TimeOnePass(PeriodRun& run, uint32_t& ticks) {
  StartCountdown();
  StatusWait wait(run);
  if (!wait.While(kStatusVRetrace, false) || !wait.While(kStatusVRetrace, true)) return false;
  wait.Latch();
  ticks = wait.since_start();
  return true;
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
  if (figures.h_source == LineRateSource::kUnknown) {
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
  // A short stretch of lines right after the retrace, bounded by two fields' time.
  double line_hz = 0;
  if (measured) {
    run.wait_max_ticks = ticks <= UINT32_MAX / 2 ? 2 * ticks : UINT32_MAX;
    if (TimeLineRate(run, kReadoutStretchLines, line_hz) != LineTiming::kMeasured) line_hz = 0;
  }
  EndPeriodRun();
  if (!measured) return false;

  ScanFigures result = ComputeScanFigures(lines_per_field, static_cast<uint16_t>(ticks));
  const bool counted = line_hz > 0 && line_hz < 1e6;
  // The block-I/O family's timing lives in its block registers; the VGA total says nothing
  // about it. (H is at least 36 Hz: two lines or more over at most 65 547 ticks.)
  const bool total_describes_line = Eng.ChipFamily != cfATI;
  if (!total_describes_line) {
    result.h_source = counted ? LineRateSource::kCounted : LineRateSource::kUnknown;
  } else if (counted && std::fabs(line_hz / result.H - 1.0) > kReadoutLineMismatch) {
    result.h_source = LineRateSource::kCounted;
  }
  if (result.h_source == LineRateSource::kCounted) result.H = static_cast<int32_t>(line_hz);
  FormatScanTexts(result, texts);
  if (figures != nullptr) *figures = result;
  return true;
}

}  // namespace zanvo::engine
