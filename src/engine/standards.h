#pragma once
// The engine's entry points for a standard: record it, load its tables, program the adapter.

#include <cstdint>
#include <span>

#include "engine/engine_state.h"

namespace zanvo::engine {

// PreviousStandard := CurrentStandard; CurrentStandard := standard. No hardware access.
void SetStandard(uint8_t standard);

// Makes the given tables the active ones: the horizontal table up to and including its
// terminator (what lies behind it in the active table has no meaning), the ten vertical rows,
// and LinesPerField.
void LoadTimingTables(std::span<const HorzRow> horz_table, const VertTable& vert_table,
                      uint16_t lines_per_field);

// Copies the standard's built-in tables into the active ones (the horizontal table up to and
// including its terminator, the ten vertical rows) and sets LinesPerField. The 24 kHz standard
// takes the alternative horizontal table when ChipModel is 0x0300. vsVGA and unknown codes
// change nothing.
void LoadStandardTables(uint8_t standard);

// The lines per field the standard's tables are built for (313, 263, 424); 0 for vsVGA and
// unknown codes.
uint16_t StandardLinesPerField(uint8_t standard);

// Reprograms the running display mode for the current standard: unlock, horizontal step and,
// when it found a row, the vertical step. The selected sequencer index is kept.
void ApplyStandard();

// Whether the last ApplyStandard fitted the mode to the standard: both steps found their row.
// When it did not, the adapter may hold a half-programmed mode (TV line timings under the
// mode's own field) and only a display-mode re-set brings back a clean one.
bool StandardFitted();

}  // namespace zanvo::engine
