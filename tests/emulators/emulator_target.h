#pragma once
// The emulators whose chip models the virtual cards are checked against: which emulator, which
// of its machines, and the virtual card of the same chip.

#include <span>
#include <string_view>

namespace zanvo::emu {

enum class Emulator { kDosbox, kBochs };

// The chip behind an emulator machine, as far as the replay and the emulator's formula differ.
enum class EmulatedChip { kVga, kS3Trio, kTsengEt4000, kTsengEt3000, kParadisePvga1a, kCirrus };

struct EmulatorTarget {
  std::string_view name;     // the test's name: emulator and machine
  Emulator emulator;
  std::string_view machine;  // DOSBox's machine= value; empty for Bochs
  EmulatedChip chip;
  std::string_view card;     // the virtual card of the same chip
};

std::span<const EmulatorTarget> EmulatorTargets();
const EmulatorTarget* FindTarget(std::string_view name);

}  // namespace zanvo::emu
