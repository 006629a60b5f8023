#include "engine/centering.h"

#include <cstdint>

#include "engine/centering_bounds.h"
#include "engine/engine_state.h"
#include "engine/horizontal.h"
#include "engine/register_access.h"
#include "engine/vertical.h"
#include "engine/vga_regs.h"

namespace zanvo::engine {

namespace {

// A step that would take a sync out of its blanking, past its total or wrap a value is not
// made: the button does nothing more in that direction.
//
// The horizontal writer needs CR00-CR07 writable; the display driver may have protected them
// again since the last application.
void MoveHorizontal(int step) {
  if (Eng.CurrentStandard == vsVGA) return;
  if (!CenteringStepKeepsSync(HorizontalAxis(), step)) return;
  UpdateCrtcReg(CR11, static_cast<uint8_t>(~kCR11Protect), 0x00);
  Eng.HBlankStartReg = static_cast<uint8_t>(Eng.HBlankStartReg + step);
  Eng.HSyncStartReg = static_cast<uint8_t>(Eng.HSyncStartReg + step);
  Eng.HSyncEndReg = static_cast<uint8_t>(Eng.HSyncEndReg + step);
  Eng.HBlankEndReg = static_cast<uint8_t>(Eng.HBlankEndReg + step);
  WriteHorzImage();
}

void MoveVertical(int step) {
  if (Eng.CurrentStandard == vsVGA) return;
  if (!CenteringStepKeepsSync(VerticalAxis(), step)) return;
  Eng.VBlankStartReg = static_cast<uint16_t>(Eng.VBlankStartReg + step);
  Eng.VSyncStartReg = static_cast<uint16_t>(Eng.VSyncStartReg + step);
  Eng.VSyncEndReg = static_cast<uint16_t>(Eng.VSyncEndReg + step);
  Eng.VBlankEndReg = static_cast<uint16_t>(Eng.VBlankEndReg + step);
  WriteVertImage();
}

}  // namespace

// An earlier sync puts the picture later in the line: it moves right.
void ShiftOutputRight() {
  MoveHorizontal(-1);
}
void ShiftOutputLeft() {
  MoveHorizontal(+1);
}
// A later vertical sync starts the picture earlier in the field: it moves up.
void ScrollOutputUp() {
  MoveVertical(+1);
}
void ScrollOutputDown() {
  MoveVertical(-1);
}

}  // namespace zanvo::engine
