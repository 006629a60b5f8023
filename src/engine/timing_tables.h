#pragma once
// The built-in timing tables of the four standards. The shell copies one horizontal and one
// vertical table into the active tables when a standard is chosen (LoadStandardTables).

#include <array>

#include "engine/engine_state.h"

namespace zanvo::engine {

// Horizontal rows: columns, blank start, sync start, sync width, blank width, total, RowFlags,
// ended by the key 0xFF. The terminator row is part of each table.
extern const std::array<HorzRow, 17> kPalHorzTable;
extern const std::array<HorzRow, 17> kNtscHorzTable;
extern const std::array<HorzRow, 4> k24kHzHorzTable;
// Loaded instead of k24kHzHorzTable when ChipModel is 0x0300 (SiS 300): 80 columns on clock 3.
extern const std::array<HorzRow, 3> k24kHzAltHorzTable;

// Vertical rows: displayed lines per field, reference line (where vertical sync starts).
extern const VertTable kPalVertTable;
extern const VertTable kNtscVertTable;
extern const VertTable k24kHzVertTable;

}  // namespace zanvo::engine
