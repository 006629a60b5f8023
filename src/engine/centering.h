#pragma once
// Moving the TV picture by one step: the sync and blank positions of the register images move
// together and are written straight back. Nothing happens while the standard is vsVGA.

namespace zanvo::engine {

// One character clock earlier (right) or later (left); wraps modulo 256.
void ShiftOutputRight();
void ShiftOutputLeft();
// One vertical count later (up) or earlier (down); wraps modulo 65536.
void ScrollOutputUp();
void ScrollOutputDown();

}  // namespace zanvo::engine
