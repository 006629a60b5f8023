#pragma once
// The cases one emulator target is checked on: 640x480, 800x600, 1024x768 and 1280x1024 where
// the card's driver offers them, each TV standard with interlace allowed and with "No
// interlace", and the monitor timings, applied by the engine as the window applies them.

#include <optional>
#include <string>
#include <vector>

#include "emulator_formula.h"
#include "emulator_target.h"
#include "scope_session.h"

namespace zanvo::emu {

struct EmulatorCase {
  std::string mode;      // "640x480"
  std::string standard;  // "pal", "ntsc", "24khz", "vga"
  std::string options;   // "" or "no-interlace"
  scope::ScopeReport report;
  std::optional<std::string> why_not_judged;
  std::optional<EmulatorTiming> timing;  // the emulator's formula, when judged
};

std::vector<EmulatorCase> BuildCases(const EmulatorTarget& target);

}  // namespace zanvo::emu
