#pragma once
// Why a cell stays refused with computed timings on, in the physical terms of the rules the
// computed rows keep: the line's blanking at the standard's line rate, the field's share, the
// clocks the chip can make.

#include <cstdint>
#include <string>

#include "scope_session.h"

namespace zanvo::scope {

// The reason for a run with computed timings whose outcome is not usable; `mark_reason` (what
// the matrix's mark found wrong) when it fitted and measured right.
std::string PhysicalReason(const ScopeReport& report, uint8_t standard,
                           const std::string& mark_reason = "");

// The most lines per field a computed row holds at `standard`.
int TallestComputedField(uint8_t standard);

}  // namespace zanvo::scope
