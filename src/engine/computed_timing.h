#pragma once
// Timing rows the tables lack, computed from the standard's rates, and the row's own clock used
// after a measured miss. Both feed the same horizontal and vertical steps as a table row.

#include <cstdint>

#include "engine/engine_state.h"

namespace zanvo::engine {

// The row index that stands for Eng.ComputedHorzRow in the horizontal step.
inline constexpr uint8_t kComputedHorzRow = 0xFE;

// The rules a computed row keeps: at least this share of the line blanked, the line rate within
// this much of the standard's, and the picture's lines within this share of the field.
inline constexpr double kLeastBlankShare = 0.12;
inline constexpr double kComputedLineTolerance = 0.02;
inline constexpr unsigned kFieldSharePercent = 95;

// Row `row` of the active table, or the computed row for kComputedHorzRow.
const HorzRow& ActiveHorzRow(uint8_t row);

// With ComputedTimings on, computes a horizontal row for `columns` 8-dot characters into
// ComputedHorzRow from the standard's line rate and one of the standard VGA clocks (25.175 and
// 28.322 MHz, each also halved; on the block-I/O family its synthesizer when none of those
// reaches): HorzRowComputed tells whether one is in reach.
void ComputeHorzRow(uint8_t columns);

// The most 8-dot characters a computed line shows at `standard`'s line rate with the VGA
// clocks (the block-I/O family's synthesizer reaches further).
int WidestComputedColumns(uint8_t standard);

// With ComputedTimings on, computes a vertical row for `lines` per field into ComputedVertRow
// when they fit the field's share: VertRowComputed tells whether it did.
void ComputeVertRow(uint16_t lines);

// After the vertical image of a computed row was built: a blank end that would wrap past the
// total into the next field's first lines ends at the total instead.
void KeepComputedBlankInField();

// With the row's own clock, while the sequencer is held in reset: the family's clock select
// extension bits and dividers that would move the Misc Output's clock off the VGA crystals are
// cleared (Tseng SR07 bits 6 and 0, ET3000 CR24 bit 1, Realtek GR0C bit 5).
void SelectFirstClocks();

// At the end of the field check: a computed row, which the tables never vouched for, passes
// only with the rates the set holds (line within 2%, field within 5%) plus 1% for the
// measurement, not the check's wider bands. A chip that ignores the rows' registers can keep
// sending a mode of its own a few percent off the standard; that miss counts as measured.
void HoldComputedRowsToTheSet();

// The row's clock flags without the family's clock step: its crystal, the standard halving.
uint8_t OwnClockFlags(uint8_t flags);

// Family 8: with the row's own clock or a computed row, RowFbDiv and RowPostDiv for the clock
// the row needs at the standard's line rate; otherwise both 0 (the ROM's clock).
void SynthesizeRowClock(uint8_t row);

}  // namespace zanvo::engine
