#include "app/main_form.h"
#include "engine/centering.h"

// The arrow buttons move the TV picture one step by rewriting the register images; in VGA the
// monitor timings belong to the display driver and the engine leaves them alone, and after a
// change of chipset the images belong to the chipset that wrote them.

namespace zanvo::app {

bool TMain::MovesAllowed() const {
  return engine::Eng.CurrentStandard != engine::vsVGA &&
         engine::Eng.ChipFamily == applied_family_ && engine::Eng.ChipModel == applied_model_;
}

void TMain::btnUpClick() {
  if (!MovesAllowed()) return;
  engine::ScrollOutputUp();
}

void TMain::btnDownClick() {
  if (!MovesAllowed()) return;
  engine::ScrollOutputDown();
}

void TMain::btnLeftClick() {
  if (!MovesAllowed()) return;
  engine::ShiftOutputLeft();
}

void TMain::btnRightClick() {
  if (!MovesAllowed()) return;
  engine::ShiftOutputRight();
}

}  // namespace zanvo::app
