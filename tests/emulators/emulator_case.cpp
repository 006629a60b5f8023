#include "emulator_case.h"

#include <array>
#include <cstdint>

#include "engine/chip_codes.h"
#include "judgeable.h"
#include "platform/virtual/card_catalog.h"
#include "platform/virtual/display_driver.h"
#include "scope_options.h"

namespace zanvo::emu {

namespace {

// The desktop modes most cards' drivers offer and users run; every card's timing paths (fixed
// clocks, the chips' PLLs and clock tables, the extension bits and line doubling past 1024
// lines) show in them, and they keep each emulator's run within seconds.
struct Size {
  uint16_t width, height;
};
constexpr std::array<Size, 4> kModes = {{{640, 480}, {800, 600}, {1024, 768}, {1280, 1024}}};

constexpr std::array<uint8_t, 4> kStandards = {engine::vsPAL, engine::vsNTSC, engine::vs24kHz,
                                               engine::vsVGA};

}  // namespace

std::vector<EmulatorCase> BuildCases(const EmulatorTarget& target) {
  std::vector<EmulatorCase> cases;
  const auto card = virt::MakeCard(std::string(target.card));
  for (const Size& mode : kModes) {
    if (!virt::DesktopModeTiming(*card, mode.width, mode.height)) continue;
    for (const uint8_t standard : kStandards) {
      for (const bool no_interlace : {false, true}) {
        // Interlace is not a choice for the monitor timings.
        if (standard == engine::vsVGA && no_interlace) continue;
        scope::ScopeOptions options;
        options.card = std::string(target.card);
        options.width = mode.width;
        options.height = mode.height;
        options.mode_given = true;
        options.standard = standard;
        options.no_interlace = no_interlace;
        // The registers the engine wrote, even where the program's own field check would then
        // refuse the switch: those are the ones whose timing is in question.
        options.measure_field = false;
        EmulatorCase c;
        c.mode = std::to_string(mode.width) + "x" + std::to_string(mode.height);
        c.standard = scope::StandardName(standard);
        c.options = no_interlace ? "no-interlace" : "";
        std::string error;
        if (!scope::RunScope(options, c.report, error)) continue;
        c.why_not_judged = WhyNotJudgeable(target, c.report);
        if (!c.why_not_judged) c.timing = EmulatorFieldTiming(target, c.report.registers);
        cases.push_back(std::move(c));
      }
    }
  }
  return cases;
}

}  // namespace zanvo::emu
