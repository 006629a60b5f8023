#include "known_differences.h"

#include <array>
#include <cmath>

namespace zanvo::emu {

namespace {

constexpr std::array<KnownClockDifference, 1> kKnown = {{
    // The WD90C family's fixed clocks 0-3 are 25.175, 28.322, 65 and 36 MHz (XFree86's Western
    // Digital notes); DOSBox's PVGA1A takes 32.4 MHz from the Tseng table, marked undocumented.
    {"dosbox-paradise", 2, 65'000'000.0, 32'400'000.0,
     "board clock 2: the card's 65 MHz, DOSBox's undocumented 32.4 MHz"},
}};

bool Near(double a, double b) {
  return std::fabs(a - b) <= 1e-4 * b;
}

}  // namespace

std::span<const KnownClockDifference> KnownClockDifferences() {
  return kKnown;
}

const KnownClockDifference* ExplainDisagreement(const EmulatorTarget& target,
                                                const scope::ScopeReport& report,
                                                const EmulatorTiming& timing) {
  for (const KnownClockDifference& known : kKnown) {
    if (known.target == target.name && known.clock_select == timing.clock_select &&
        Near(report.signal.crtc.clock_hz, known.card_hz) &&
        Near(timing.clock_hz, known.emulator_hz)) {
      return &known;
    }
  }
  return nullptr;
}

}  // namespace zanvo::emu
