#include "app/main_form.h"
#include "engine/centering.h"

// The arrow buttons move the TV picture one step by rewriting the register images; in VGA the
// monitor timings belong to the display driver and the engine leaves them alone.

namespace zanvo::app {

void TMain::btnUpClick() {
  if (engine::Eng.CurrentStandard == engine::vsVGA) return;
  engine::ScrollOutputUp();
}

void TMain::btnDownClick() {
  if (engine::Eng.CurrentStandard == engine::vsVGA) return;
  engine::ScrollOutputDown();
}

void TMain::btnLeftClick() {
  if (engine::Eng.CurrentStandard == engine::vsVGA) return;
  engine::ShiftOutputLeft();
}

void TMain::btnRightClick() {
  if (engine::Eng.CurrentStandard == engine::vsVGA) return;
  engine::ShiftOutputRight();
}

}  // namespace zanvo::app
