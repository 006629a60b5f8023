#pragma once
// Whether an emulator can judge the signal a case leaves on the card, and if not, why: what
// the signal depends on that the emulator's chip model leaves out.

#include <optional>
#include <string>

#include "emulator_target.h"
#include "scope_session.h"

namespace zanvo::emu {

// nullopt when the emulator can judge the case; else the reason, one of a few fixed texts so
// that the cases can be counted by it.
std::optional<std::string> WhyNotJudgeable(const EmulatorTarget& target,
                                           const scope::ScopeReport& report);

}  // namespace zanvo::emu
