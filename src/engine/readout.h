#pragma once
// The scan-frequency readout: the vertical period is timed with PC timer channel 2 between two
// retrace ends, the lines per field come from the CRTC's vertical total.

#include <cstdint>

namespace zanvo::engine {

struct ScanTexts {
  char h[16];  // e.g. " 15.6 Khz", or "  N/A" when no line rate is known
  char v[16];  // e.g. "  50 Hz"
};

// Where the line rate shown comes from.
enum class LineRateSource : uint8_t {
  kTotal,    // the field rate times the CRTC's vertical total
  kCounted,  // lines counted on the status register over a stretch of the picture
  kUnknown,  // neither: the total does not describe the card's timing and no line was counted
};

// The numbers behind the texts.
struct ScanFigures {
  uint16_t T = 0;   // lines per field: CR06 with its CR07 overflow bits, plus 2
  uint32_t N = 0;   // timer ticks per vertical period, with the 12-tick restart allowance
  double fV = 0.0;  // vertical frequency, Hz
  int32_t H = 0;    // horizontal frequency, whole Hz
  int32_t V = 0;    // vertical frequency, thousandths of a Hz
  LineRateSource h_source = LineRateSource::kTotal;
};

// Timer input: 14.31818 MHz / 12, one tick every 838.095 ns.
inline constexpr double kPitTickSeconds = 8.380953445200437e-7;
// How far the measured line rate and the one from the CRTC's total may differ before the readout
// shows the measured one: far beyond rounding and measurement, far below a factor of two.
inline constexpr double kReadoutLineMismatch = 0.10;
// Ticks spent between the end of a retrace and the restart of the counter.
inline constexpr uint16_t kRestartAllowanceTicks = 12;

// A wait on the retrace bit gives up after this many timer ticks (three full counter periods,
// about 165 ms, longer than any field the 16-bit count can measure) ...
inline constexpr uint32_t kRetraceWaitMaxTicks = 3u * 65536u;
// ... or after this many polls, in case the timer counts far too slowly.
inline constexpr uint32_t kRetraceWaitMaxPolls = 1u << 20;
// The timer is latched and read once per this many polls of the status register. A count that
// has not moved between two latches means a timer that does not count (256 status reads take
// tens of microseconds on any bus, tens of ticks): the wait gives up at once.
inline constexpr uint32_t kPollsPerTimerLatch = 256;

// Figures of a measured period of `period_ticks` at `lines_per_field` lines.
ScanFigures ComputeScanFigures(uint16_t lines_per_field, uint32_t period_ticks);
// " 15.6 Khz" / "  50 Hz" from the figures; the horizontal text is "  N/A" when the line rate
// is unknown.
void FormatScanTexts(const ScanFigures& figures, ScanTexts& texts);

// A run of consecutive field-period measurements on one gating of the timer: the first period
// is timed after a line-up with the end of a retrace, each further one right after the last.
// Every status wait of the run counts against the run's budgets of timer ticks and of status
// polls, on top of each wait's own bound. Plain fields, kept by the caller.
struct PeriodRun {
  uint16_t status_port = 0;
  uint32_t budget_ticks = 0;
  uint32_t spent_ticks = 0;  // timer time the waits have taken so far
  uint32_t budget_polls = 0;
  uint32_t spent_polls = 0;  // status reads so far
  // A wait that sees no change for this many ticks of its own gives up.
  uint32_t wait_max_ticks = kRetraceWaitMaxTicks;
  // A lap of kPollsPerTimerLatch polls that shows fewer ticks than this, twice in a row, shows a
  // timer that counts more slowly than any bus reads (0: not looked at).
  uint32_t min_lap_ticks = 0;
  uint8_t slow_laps = 0;
  bool lined_up = false;
  // Why the run ended early, when it did: a latch found the count where the one before it left
  // it (the timer does not count), laps too short for the polls they took (the timer counts
  // impossibly slowly), the polls ran out before the timer time did, or the timer time ran out.
  bool timer_stopped = false;
  bool timer_too_slow = false;
  bool polls_ran_out = false;
  bool out_of_time = false;
};

// Picks the Input Status 1 port of the current addressing and opens the timer gate (speaker off).
void BeginPeriodRun(PeriodRun& run, uint32_t budget_ticks, uint32_t budget_polls = UINT32_MAX);
// Times the next vertical period into `ticks`, the full count of the timer's time (the laps of
// its 16-bit counter added up). False when a wait ran out of a bound or budget, or the timer was
// found not to count: the run is then over.
bool TimeNextPeriod(PeriodRun& run, uint32_t& ticks);
// Closes the timer gate (speaker off).
void EndPeriodRun();

// Measures and formats one period, of which the figures take the low 16 bits of the count as the
// window's readout always has (a field longer than 65 535 ticks, below about 18.2 Hz, wraps).
// The line rate is the field rate times the CRTC's vertical total, except where a line rate
// measured over a stretch of the picture disagrees with it by more than kReadoutLineMismatch
// (the chips that count frame lines in the total while interlacing read twice the line rate
// from it), and on the block-I/O family, whose timing the VGA total does not describe: there
// the measured one is shown, or none when no line could be counted.
// Returns false, with the texts unchanged, when a retrace wait ran out of its bound (the
// adapter's retrace status does not toggle) or the timer does not count; the timer gate is
// closed either way.
bool MeasureScanFrequencies(ScanTexts& texts, ScanFigures* figures = nullptr);

}  // namespace zanvo::engine
