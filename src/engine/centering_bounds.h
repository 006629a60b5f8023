#pragma once
// How far the picture may move: a centering step is made only when the signal after it still
// has both syncs inside their blanking, every start before its total, and no value wrapped.

namespace zanvo::engine {

// One axis of a register image in counter units, as the CRTC takes it.
struct AxisImage {
  int total = 0;    // counts per line or field; the counter restarts here
  int display = 0;  // counts displayed
  int blank_start = 0;
  int blank_end = 0;
  int blank_bits = 0;  // low counter bits the blank end is compared with; 0: no blank registers
  // Blank end bits the chip compares but the writer leaves as the driver set them: within
  // blank_end_kept_mask the compare takes blank_end_kept, not the moved value.
  int blank_end_kept_mask = 0;
  int blank_end_kept = 0;
  int sync_start = 0;
  int sync_end = 0;
  int sync_bits = 0;
  int sync_end_mask = 0;     // the bits of the sync end value that reach the chip's compare
  int start_bits = 0;        // low bits of the start values the writer puts into the chip
  int blank_start_kept = 0;  // blank start bits the chip keeps set whatever is written
  int max_value = 0;         // the largest value the image holds for this axis
};

// The images as the writers put them into the chip of the family in force.
AxisImage HorizontalAxis();
AxisImage VerticalAxis();

// True when moving the four sync and blank values of `axis` by `step` keeps the signal sound:
//  - no value leaves 0..max_value, and no start value carries out of the bits the writer puts
//    into the chip;
//  - sync and blank start before the total, and both end;
//  - the sync lies inside the blanking;
//  - neither interval changes its length: an end value whose compare now matches a different
//    count (an end moved past the total) would lengthen or shorten it.
// Without blank registers (the block-I/O family), the sync must start after the display end and
// end by the total instead.
bool CenteringStepKeepsSync(const AxisImage& axis, int step);

}  // namespace zanvo::engine
