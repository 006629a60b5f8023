#include "engine/computed_timing.h"

#include <cmath>

#include "engine/chip_codes.h"
#include "engine/engine_state.h"
#include "engine/field_check.h"
#include "engine/line_rate.h"
#include "engine/register_access.h"
#include "engine/vga_regs.h"

namespace zanvo::engine {

namespace {

// The two crystals every VGA has, selected by Misc Output bits 2-3, and SR01 bit 3's halving.
struct ClockChoice {
  double hz;
  uint8_t flags;  // RowFlags: clock select, halving, 8-dot characters
};
inline constexpr ClockChoice kStandardClocks[] = {
    {25'175'000.0, 0x01},
    {28'322'000.0, 0x21},
    {12'587'500.0, 0x09},
    {14'161'000.0, 0x29},
};
inline constexpr uint8_t kFlagHalfDotClock = 0x08;
inline constexpr uint8_t kFlagExtraSteps = 0x90;  // bit 4 variant row / extra step, bit 7
inline constexpr uint8_t kLongestTotal = 255;
// The share of the line the tables' rows show the desktop in; the computed row comes closest.
inline constexpr double kTableActiveShare = 0.75;

// Blanking, sync and front porch of the tables' rows as shares: the TV rows' 80-column row
// (22 of 113 blanked, 8 of sync, the sync 6 of the 14 other blanked characters in) and the
// 24 kHz rows (31 of 129, 9 of sync, 14 of 22 in).
struct LineShape {
  double blank;
  double sync;
  double front_porch;
};
inline constexpr LineShape kTvShape{22.0 / 113, 8.0 / 113, 6.0 / 14};
inline constexpr LineShape k24kHzShape{31.0 / 129, 9.0 / 129, 14.0 / 22};
// The horizontal step ends the display 4 characters before the sync at the latest (the display
// end register counts from 0: the sync starts 3 after the columns or later).
inline constexpr int kSyncAfterColumns = 3;
// The step wraps a computed row's blank and sync ends at the line's total, so both may end
// there, with no border left of the desktop; but the CRTC compares the blank end with as few
// as 6 counter bits, so a blank that passes a multiple of 64 before the total would end there.
// Such a line keeps a border of 6 characters, its ends before the total register.
inline constexpr int kLeftBorder = 6;
inline constexpr int kBlankEndCompareSpan = 64;

int BorderFor(int columns, int total) {
  const bool crosses = (total - 1) / kBlankEndCompareSpan != columns / kBlankEndCompareSpan;
  return crosses ? kLeftBorder : 0;
}
inline constexpr int kLeastBlank = 6;

// Vertical placement as the tables make it: blanking 3 lines before a 4-line sync, ending 18
// lines after it (14 on NTSC); the sync half the picture's lines after a line that puts the
// picture's middle on the middle of what the set shows (PAL: 146, as the PAL rows have it; NTSC
// 123; the 24 kHz monitor, whose 384 visible lines start 36 after the sync, 196).
inline constexpr int kPalSyncAfterMiddle = 146;
inline constexpr int kNtscSyncAfterMiddle = 123;
inline constexpr int k24kHzSyncAfterMiddle = 196;
inline constexpr uint16_t kBlankLeadLines = 3;
inline constexpr uint16_t kSyncLines = 4;
inline constexpr uint16_t kBlankTailLines = 18;
inline constexpr uint16_t kBlankTailLinesNtsc = 14;

inline constexpr uint8_t kTsengCR24 = 0x24;
// What a timed field or counted line may add to a computed row's deviation.
inline constexpr double kComputedHoldMargin = 0.01;  // ET3000: bit 1 clock select bit 2

int RoundToInt(double v) {
  return static_cast<int>(std::lround(v));
}

int LeastBlank(int total) {
  const int share = static_cast<int>(std::ceil(total * kLeastBlankShare));
  return share > kLeastBlank ? share : kLeastBlank;
}

// A line of `total` has room for the columns, the blanking the rules ask and the left border.
bool RoomFor(uint8_t columns, int total) {
  return total - columns - BorderFor(columns, total) >= LeastBlank(total);
}

void BuildRow(uint8_t columns, int total, uint8_t flags) {
  const LineShape& shape = Eng.CurrentStandard == vs24kHz ? k24kHzShape : kTvShape;
  const int room = total - columns - BorderFor(columns, total);
  int blank = RoundToInt(total * shape.blank);
  if (blank < LeastBlank(total)) blank = LeastBlank(total);
  if (blank > room) blank = room;
  // What the blanking leaves is border, split between the two sides.
  const int blank_start = columns + (room - blank) / 2;
  int sync = RoundToInt(total * shape.sync);
  if (sync < 1) sync = 1;
  int front = RoundToInt((blank - sync) * shape.front_porch);
  if (blank_start + front < columns + kSyncAfterColumns) {
    front = columns + kSyncAfterColumns - blank_start;
  }
  if (front + sync > blank) sync = blank - front;
  Eng.ComputedHorzRow = {columns,
                         static_cast<uint8_t>(blank_start),
                         static_cast<uint8_t>(blank_start + front),
                         static_cast<uint8_t>(sync),
                         static_cast<uint8_t>(blank),
                         static_cast<uint8_t>(total),
                         flags};
  Eng.HorzRowComputed = 1;
}

}  // namespace

const HorzRow& ActiveHorzRow(uint8_t row) {
  if (row == kComputedHorzRow) return Eng.ComputedHorzRow;
  return Eng.HorzTimingTable[row < kHorzRows ? row : 0];
}

void ComputeHorzRow(uint8_t columns) {
  Eng.HorzRowComputed = 0;
  const int32_t rate = StandardLineRate(Eng.CurrentStandard);
  if (Eng.ComputedTimings == 0 || rate == 0 || columns == 0) return;
  int best_total = 0;
  uint8_t best_flags = 0;
  double best_score = 0;
  for (const ClockChoice& clock : kStandardClocks) {
    const double ideal = clock.hz / 8.0 / rate;
    int total = RoundToInt(ideal);
    while (!RoomFor(columns, total) && total <= kLongestTotal)
      ++total;
    if (total > kLongestTotal) continue;
    const double error = std::fabs(ideal / total - 1.0);
    if (error > kComputedLineTolerance) continue;
    // Inside 1% first (an exact line), then the desktop's share of the line nearest the tables'.
    const double score = (error > 0.01 ? 10.0 : 0.0) +
                         std::fabs(static_cast<double>(columns) / total - kTableActiveShare);
    if (best_total == 0 || score < best_score) {
      best_total = total;
      best_flags = clock.flags;
      best_score = score;
    }
  }
  // The block-I/O family's synthesizer makes the clock for whatever line the columns need.
  if (best_total == 0 && Eng.ChipFamily == cfATI) {
    int total = columns;
    while (!RoomFor(columns, total) && total <= kLongestTotal)
      ++total;
    if (total <= kLongestTotal) {
      best_total = total;
      best_flags = kStandardClocks[1].flags;
    }
  }
  if (best_total != 0) BuildRow(columns, best_total, best_flags);
}

int WidestComputedColumns(uint8_t standard) {
  const int32_t rate = StandardLineRate(standard);
  if (rate == 0) return 0;
  const double fastest = kStandardClocks[1].hz;
  int longest = static_cast<int>(fastest / 8.0 / (rate * (1.0 - kComputedLineTolerance)));
  if (longest > kLongestTotal) longest = kLongestTotal;
  return longest - kLeftBorder - LeastBlank(longest);
}

void ComputeVertRow(uint16_t lines) {
  Eng.VertRowComputed = 0;
  const int field = Eng.LinesPerField;
  if (Eng.ComputedTimings == 0 || lines == 0 || lines * 100u > field * kFieldSharePercent) return;
  const int tail = Eng.CurrentStandard == vsNTSC ? kBlankTailLinesNtsc : kBlankTailLines;
  // The total register holds the field's lines minus 2; the whole tail ends before it when the
  // sync starts no later than this.
  const int whole_tail = field - 3 - kSyncLines - tail;
  const int after_middle = Eng.CurrentStandard == vsNTSC    ? kNtscSyncAfterMiddle
                           : Eng.CurrentStandard == vs24kHz ? k24kHzSyncAfterMiddle
                                                            : kPalSyncAfterMiddle;
  int reference = lines / 2 + after_middle;
  if (reference > whole_tail) reference = whole_tail;
  if (reference < lines + kBlankLeadLines) reference = lines + kBlankLeadLines;
  if (reference + kSyncLines > field - 3) return;
  Eng.ComputedVertRow = {lines, static_cast<uint16_t>(reference)};
  Eng.VertRowComputed = 1;
}

void HoldComputedRowsToTheSet() {
  if (Eng.HorzRowComputed == 0 && Eng.VertRowComputed == 0) return;
  if (Eng.FieldRateInBand == 0 || Eng.FieldCheckUnmeasurable != 0) return;
  const auto off = [](int32_t measured, int32_t target, double hold) {
    return measured > 0 && target > 0 &&
           std::fabs(static_cast<double>(measured) / target - 1.0) > hold + kComputedHoldMargin;
  };
  if (off(Eng.MeasuredLineRate, StandardLineRate(Eng.CurrentStandard), kSetLineHoldRange) ||
      off(Eng.MeasuredFieldRate, StandardFieldRate(Eng.CurrentStandard), kSetFieldHoldRange)) {
    Eng.FieldRateInBand = 0;
    Eng.MissMeasuredClean = 1;
  }
}

void KeepComputedBlankInField() {
  if (Eng.VertRowComputed == 0) return;
  // A wrapped end lies before the sync's end.
  if (Eng.VBlankEndReg < Eng.VSyncEndReg) Eng.VBlankEndReg = Eng.VTotalReg;
}

void SelectFirstClocks() {
  const uint8_t family = Eng.ChipFamily;
  if (family == cfTseng) {
    // SR07 bit 6 halves the clock (bit 0 with it quarters it on the ET4000); the ET3000's
    // clock select bit 2 is CR24 bit 1.
    const bool et3000 = Eng.ChipModel == kModelTseng3000;
    UpdateIndexedReg(kSeqIndex, SR07, et3000 ? 0xBF : 0xBE, 0x00);
    if (et3000) UpdateCrtcReg(kTsengCR24, 0xFD, 0x00);
  } else if (family == cfRealtek) {
    // GR0C bit 5 is clock select bit 2.
    UpdateIndexedReg(kGcIndex, GR0C, 0xDF, 0x00);
  }
}

uint8_t OwnClockFlags(uint8_t flags) {
  return static_cast<uint8_t>(flags & ~kFlagExtraSteps);
}

void SynthesizeRowClock(uint8_t row) {
  Eng.RowFbDiv = 0;
  Eng.RowPostDiv = 0;
  if (Eng.OwnRowClock == 0 && row != kComputedHorzRow) return;
  const HorzRow& r = ActiveHorzRow(row);
  const int32_t rate = StandardLineRate(Eng.CurrentStandard);
  if (rate == 0 || Eng.PllRefFreq == 0 || Eng.PllRefDiv == 0) return;
  // The block CRTC counts 8-pixel characters whatever the row's character width, and one more
  // than its total register, which the horizontal step writes with the row's total.
  const int dots = 8;
  const int characters = r[kRowTotal] + 1;
  const bool halved = (r[kRowFlags] & kFlagHalfDotClock) != 0;
  // Units of 10 kHz, as PllRefFreq; the undivided clock when the row halves it.
  const double wanted = characters * dots * static_cast<double>(rate) * (halved ? 2 : 1) / 1e4;
  // The largest post divider (finest step) whose feedback divider fits its 8 bits; halving
  // doubles it and the register takes at most 8.
  for (int post = halved ? 4 : 8; post >= 1; post /= 2) {
    const long feedback = std::lround(wanted * Eng.PllRefDiv * post / (2.0 * Eng.PllRefFreq));
    if (feedback >= 1 && feedback <= 255) {
      Eng.RowFbDiv = static_cast<uint8_t>(feedback);
      Eng.RowPostDiv = static_cast<uint8_t>(post);
      return;
    }
  }
}

}  // namespace zanvo::engine
