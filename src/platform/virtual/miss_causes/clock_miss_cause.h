#pragma once
// Why a card's signal misses a standard, said in the chip's own terms: which clock select,
// divide or extension bits the registers hold and what the card does with them. The reasons
// behind each reading are in docs/chips.md.

#include <string>

#include "platform/virtual/signal/signal.h"
#include "platform/virtual/cards/vga_card.h"

namespace zanvo::virt {

// The cause of an off-rate signal as short text naming register bits ("SR07 bit 0 alone: clock
// not divided"), several joined by "; ", or "" when the card's state explains nothing.
//
// `signal` is the card's analyzed signal and `target_line_hz` the line rate the standard wants.
// A clock select or divide bit is named only when undoing what it does (or applying the divide
// it leaves out) brings the line rate closer to the target; of several such bits, the set that
// brings it closest. Vertical extension bits that disagree with the standard overflow bits are
// named whatever the line rate.
std::string ClockMissCause(const VgaCard& card, const Signal& signal, double target_line_hz);

}  // namespace zanvo::virt
