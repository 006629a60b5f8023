#include "engine/standards.h"

#include <span>

#include "engine/engine_port.h"
#include "engine/engine_state.h"
#include "engine/horizontal.h"
#include "engine/register_access.h"
#include "engine/timing_tables.h"
#include "engine/unlock.h"
#include "engine/vertical.h"
#include "engine/vga_regs.h"

namespace zanvo::engine {

namespace {

inline constexpr uint16_t kPalLinesPerField = 313;
inline constexpr uint16_t kNtscLinesPerField = 263;
inline constexpr uint16_t k24kHzLinesPerField = 424;

}  // namespace

void LoadTimingTables(std::span<const HorzRow> horz_table, const VertTable& vert_table,
                      uint16_t lines_per_field) {
  for (std::size_t i = 0; i < horz_table.size() && i < Eng.HorzTimingTable.size(); ++i) {
    Eng.HorzTimingTable[i] = horz_table[i];
    if (horz_table[i][kRowColumns] == kHorzTableEnd) break;
  }
  Eng.VertTimingTable = vert_table;
  Eng.LinesPerField = lines_per_field;
}

void SetStandard(uint8_t standard) {
  Eng.PreviousStandard = Eng.CurrentStandard;
  Eng.CurrentStandard = standard;
}

void LoadStandardTables(uint8_t standard) {
  if (standard == vsPAL) {
    LoadTimingTables(kPalHorzTable, kPalVertTable, kPalLinesPerField);
  } else if (standard == vsNTSC) {
    LoadTimingTables(kNtscHorzTable, kNtscVertTable, kNtscLinesPerField);
  } else if (standard == vs24kHz) {
    if (Eng.ChipModel == kModelSiS300) {
      LoadTimingTables(k24kHzAltHorzTable, k24kHzVertTable, k24kHzLinesPerField);
    } else {
      LoadTimingTables(k24kHzHorzTable, k24kHzVertTable, k24kHzLinesPerField);
    }
  }
}

uint16_t StandardLinesPerField(uint8_t standard) {
  if (standard == vsPAL) return kPalLinesPerField;
  if (standard == vsNTSC) return kNtscLinesPerField;
  if (standard == vs24kHz) return k24kHzLinesPerField;
  return 0;
}

void ApplyStandard() {
  const uint8_t seq_index = Port().InByte(kSeqIndex);
  SelectCrtcPort();
  UnlockExtRegs();
  Eng.VertRowFound = 0;
  Eng.CutLineOffset = 0;
  ProgramHorizontal();
  if (Eng.HorzRowFound != 0) ProgramVertical();
  Port().OutByte(kSeqIndex, seq_index);
}

bool StandardFitted() {
  return Eng.HorzRowFound != 0 && Eng.VertRowFound != 0;
}

}  // namespace zanvo::engine
