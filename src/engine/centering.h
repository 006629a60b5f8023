#pragma once
// Moving the TV picture by one step: the sync and blank positions of the register images move
// together and are written straight back. Nothing happens while the standard is vsVGA, nor when
// the step would leave a sync outside its blanking (centering_bounds.h).

namespace zanvo::engine {

// One character clock earlier (right) or later (left).
void ShiftOutputRight();
void ShiftOutputLeft();
// One vertical count later (up) or earlier (down).
void ScrollOutputUp();
void ScrollOutputDown();

}  // namespace zanvo::engine
