#include "engine/centering_bounds.h"

#include "engine/chip_codes.h"
#include "engine/engine_state.h"
#include "engine/register_access.h"
#include "engine/vga_regs.h"

namespace zanvo::engine {

namespace {

// CR00 holds the line total minus 5 and CR06 the field total minus 2; CR01 and CR12 hold the
// last displayed count.
constexpr int kHorzTotalBias = 5;
constexpr int kVertTotalBias = 2;
// The block-I/O CRTC's total registers hold the last count: a total written as N runs N + 1.
// The writers put HTotalReg + 5 and VTotalReg + 3 there.
constexpr int kBlockHorzTotal = 5 + 1;
constexpr int kBlockVertTotal = 3 + 1;
// The block registers take the sync width in five bits.
constexpr int kBlockWidthMask = 0x1F;

// How many low counter bits each end register is compared with: the VGA's CR05 (5 bits of the
// line sync end), CR03 and CR05 bit 7 (6 of the line blank end), CR11 (4 of the field sync end)
// and CR16 (8 of the field blank end); the SiS 300 has SR0C and SR0A bits above them.
struct CompareBits {
  int h_blank, h_sync, v_blank, v_sync;
  // The field sync end bits that reach the compare; the SiS 300 reads the fifth from SR0A bit 5.
  int v_sync_mask;
};
constexpr CompareBits kVgaBits{6, 5, 8, 4, 0x0F};
constexpr CompareBits kSiS300Bits{8, 6, 9, 5, 0x1F};

const CompareBits& BitsInForce() {
  return Eng.ChipFamily == cfSiS && Eng.ChipModel == kModelSiS300 ? kSiS300Bits : kVgaBits;
}

// Start values: the CRTC's horizontal ones are bytes; its vertical ones have bits 8 and 9 in
// CR07 and CR09. The block-I/O registers take 8 bits of the line sync start and 11 of the field
// sync start. The i740 takes vertical bits 8-11 from CR30-CR33, which the writer leaves as the
// driver set them: a vertical start there must keep its high bits.
constexpr int kHorzStartBits = 8;
constexpr int kVgaVertStartBits = 10;
constexpr int kBlockVertStartBits = 11;
constexpr int kIntelVertStartBits = 8;

// The i740's extended CRTC compares seven bits of the line blank end; bit 6 is CR39 bit 0, which
// the writer leaves as the driver set it for the mode.
constexpr int kIntelHBlankBits = 7;
constexpr int kIntelHBlankEnd6 = 0x40;
constexpr uint8_t kCR39HBlankEnd6 = 0x01;

// CR09 bit 5, the vertical blank start's bit 9, is only ever set by the vertical writer.
constexpr uint8_t kCR09BlankStart9 = 0x20;
constexpr int kBlankStart9 = 0x200;

// An interval the CRTC produces: it begins when the counter equals the start value and ends at
// the first later count whose low `bits` bits equal the end register. The counter restarts at
// the total, so an end not met before it is met after the restart, or never.
struct Interval {
  int start = 0;
  int length = 0;
  bool ends = false;
};

Interval ProducedInterval(int start, int end, int bits, int total) {
  const int period = 1 << bits;
  const int mask = period - 1;
  int delta = (end - start) & mask;
  if (delta == 0) delta = period;
  if (start + delta < total) return {start, delta, true};
  const int after_restart = end & mask;
  if (after_restart < total) return {start, total + after_restart - start, true};
  return {start, 0, false};
}

// Whether `inner` lies within `outer` on a counter that restarts at `total`.
bool Within(const Interval& inner, const Interval& outer, int total) {
  if (outer.length >= total) return true;
  const int offset = ((inner.start - outer.start) % total + total) % total;
  return offset + inner.length <= outer.length;
}

// No value wraps in the image, and no start carries into bits the writer does not set.
bool InRange(const AxisImage& before, const AxisImage& after) {
  const auto wraps = [&after](int value) { return value < 0 || value > after.max_value; };
  if (wraps(after.sync_start) || wraps(after.sync_end)) return false;
  // Without blank registers the blank values are moved along but never written.
  if (after.blank_bits != 0 && (wraps(after.blank_start) || wraps(after.blank_end))) return false;
  const auto high = [&after](int value) { return value >> after.start_bits; };
  return high(after.sync_start) == high(before.sync_start) &&
         (after.blank_bits == 0 || high(after.blank_start) == high(before.blank_start));
}

// The block-I/O CRTC blanks everything from the display end to the total and has no blank
// registers; its sync runs for a width from its start.
bool BlockSyncFits(const AxisImage& a) {
  const int width = (a.sync_end - a.sync_start) & kBlockWidthMask;
  return a.sync_start >= a.display && a.sync_start + width <= a.total;
}

AxisImage Moved(const AxisImage& a, int step) {
  AxisImage moved = a;
  moved.blank_start += step;
  moved.blank_end += step;
  moved.sync_start += step;
  moved.sync_end += step;
  return moved;
}

// The blank and sync intervals the chip makes of an image; `ends` false when a start lies past
// the total (the counter never reaches it) or an end is never met.
struct Intervals {
  Interval blank, sync;
  bool ends = false;
};

Intervals Produced(const AxisImage& a) {
  Intervals r;
  const int blank_start = a.blank_start | a.blank_start_kept;
  if (a.sync_start >= a.total || blank_start >= a.total) return r;
  const int blank_end = (a.blank_end & ~a.blank_end_kept_mask) | a.blank_end_kept;
  r.blank = ProducedInterval(blank_start, blank_end, a.blank_bits, a.total);
  r.sync = ProducedInterval(a.sync_start, a.sync_end & a.sync_end_mask, a.sync_bits, a.total);
  r.ends = r.blank.ends && r.sync.ends;
  return r;
}

}  // namespace

AxisImage HorizontalAxis() {
  AxisImage a;
  const bool block = Eng.ChipFamily == cfATI;
  a.total = Eng.HTotalReg + (block ? kBlockHorzTotal : kHorzTotalBias);
  a.display = Eng.HDispEndReg + 1;
  a.blank_start = Eng.HBlankStartReg;
  a.blank_end = Eng.HBlankEndReg;
  a.blank_bits = block ? 0 : BitsInForce().h_blank;
  if (Eng.ChipFamily == cfIntel && (ReadIndexedReg(kIntelXrIndex, XR09) & kXR09ExtendedCrtc) != 0) {
    a.blank_bits = kIntelHBlankBits;
    a.blank_end_kept_mask = kIntelHBlankEnd6;
    a.blank_end_kept = (ReadCrtcReg(CR39) & kCR39HBlankEnd6) != 0 ? kIntelHBlankEnd6 : 0;
  }
  a.sync_start = Eng.HSyncStartReg;
  a.sync_end = Eng.HSyncEndReg;
  a.sync_bits = BitsInForce().h_sync;
  a.sync_end_mask = 0xFF;
  a.start_bits = kHorzStartBits;
  a.max_value = 0xFF;
  return a;
}

AxisImage VerticalAxis() {
  AxisImage a;
  const bool block = Eng.ChipFamily == cfATI;
  a.total = Eng.VTotalReg + (block ? kBlockVertTotal : kVertTotalBias);
  a.display = Eng.VDispEndReg + 1;
  a.blank_start = Eng.VBlankStartReg;
  a.blank_end = Eng.VBlankEndReg;
  a.blank_bits = block ? 0 : BitsInForce().v_blank;
  a.sync_start = Eng.VSyncStartReg;
  a.sync_end = Eng.VSyncEndReg;
  a.sync_bits = BitsInForce().v_sync;
  a.sync_end_mask = BitsInForce().v_sync_mask;
  a.start_bits = block                       ? kBlockVertStartBits
                 : Eng.ChipFamily == cfIntel ? kIntelVertStartBits
                                             : kVgaVertStartBits;
  if (!block && (ReadCrtcReg(CR09) & kCR09BlankStart9) != 0) a.blank_start_kept = kBlankStart9;
  a.max_value = 0xFFFF;
  return a;
}

bool CenteringStepKeepsSync(const AxisImage& axis, int step) {
  const AxisImage after = Moved(axis, step);
  if (!InRange(axis, after) || after.total <= 0) return false;
  if (after.blank_bits == 0) return BlockSyncFits(after);

  const Intervals now = Produced(after);
  if (!now.ends || !Within(now.sync, now.blank, after.total)) return false;
  // Lengths are compared only with intervals the image really produced before the step.
  const Intervals before = Produced(axis);
  if (before.ends &&
      (before.blank.length != now.blank.length || before.sync.length != now.sync.length)) {
    return false;
  }
  return true;
}

}  // namespace zanvo::engine
