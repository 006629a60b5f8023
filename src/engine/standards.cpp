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

void LoadTables(std::span<const HorzRow> horz, const VertTable& vert, uint16_t lines_per_field) {
  for (std::size_t i = 0; i < horz.size() && i < Eng.HorzTimingTable.size(); ++i) {
    Eng.HorzTimingTable[i] = horz[i];
    if (horz[i][0] == kHorzTableEnd) break;
  }
  Eng.VertTimingTable = vert;
  Eng.LinesPerField = lines_per_field;
}

}  // namespace

void SetStandard(uint8_t standard) {
  Eng.PreviousStandard = Eng.CurrentStandard;
  Eng.CurrentStandard = standard;
}

void LoadStandardTables(uint8_t standard) {
  if (standard == vsPAL) {
    LoadTables(kPalHorzTable, kPalVertTable, kPalLinesPerField);
  } else if (standard == vsNTSC) {
    LoadTables(kNtscHorzTable, kNtscVertTable, kNtscLinesPerField);
  } else if (standard == vs24kHz) {
    if (Eng.ChipModel == kModelSiS300) {
      LoadTables(k24kHzAltHorzTable, k24kHzVertTable, k24kHzLinesPerField);
    } else {
      LoadTables(k24kHzHorzTable, k24kHzVertTable, k24kHzLinesPerField);
    }
  }
}

void ApplyStandard() {
  const uint8_t seq_index = Port().InByte(kSeqIndex);
  SelectCrtcPort();
  UnlockExtRegs();
  ProgramHorizontal();
  if (Eng.HorzRowFound != 0) ProgramVertical();
  Port().OutByte(kSeqIndex, seq_index);
}

}  // namespace zanvo::engine
