#include "judgeable.h"

#include "emulator_formula.h"

namespace zanvo::emu {

namespace {

// The dividers our chip models take from registers the emulator does not read: SR07 on the
// Tseng chips (bit 6 halves) and the Cirrus pixel modes (SR07 bits 3-1: 2, 3 or 4 clocks a pixel).
bool DividesThroughIgnoredRegister(const EmulatorTarget& target, const scope::RegisterDump& d) {
  switch (target.chip) {
    case EmulatedChip::kTsengEt4000:
    case EmulatedChip::kTsengEt3000:
      return (d.seq[0x07] & 0x40) != 0;
    case EmulatedChip::kCirrus: {
      const int mode = (d.seq[0x07] >> 1) & 0x07;
      return mode == 1 || mode == 2 || mode == 4;
    }
    default:
      return false;
  }
}

// Clocks the registers select that the emulator's chip does not have.
bool SelectsAbsentClock(const EmulatorTarget& target, const scope::ScopeReport& report) {
  const int misc = (report.registers.misc >> 2) & 0x03;
  switch (target.chip) {
    case EmulatedChip::kVga:
      return misc >= 2;  // external clocks: DOSBox runs them at 28.322 MHz
    case EmulatedChip::kS3Trio:
      return misc == 2;  // holds the PLL value the emulator's own BIOS loaded
    case EmulatedChip::kParadisePvga1a:
      return report.signal.crtc.clock_select >= 4;  // the WD clock select bit 2 (PR4)
    default:
      return false;
  }
}

}  // namespace

std::optional<std::string> WhyNotJudgeable(const EmulatorTarget& target,
                                           const scope::ScopeReport& report) {
  const virt::CrtcTiming& crtc = report.signal.crtc;
  if (!crtc.sequencer_running || !crtc.sync_enabled) return "sequencer or CRTC held";
  if (report.signal.interlaced) return "interlace (not modelled)";
  if (crtc.count_by_two) return "CR17 bit 2 line count by two (not modelled)";
  if (crtc.h_units_per_char != 1) return "horizontal values in half characters (not modelled)";
  if (DividesThroughIgnoredRegister(target, report.registers)) {
    return "clock divider in SR07 (not modelled)";
  }
  if (SelectsAbsentClock(target, report)) return "clock select the emulator lacks";
  if (!EmulatorFieldTiming(target, report.registers)) return "no field rate in the emulator";
  return std::nullopt;
}

}  // namespace zanvo::emu
