#include "emulator_target.h"

#include <array>

namespace zanvo::emu {

namespace {

// The PVGA1A of DOSBox is the ancestor of the WD90C00: same Paradise registers, misc clock bits.
constexpr std::array<EmulatorTarget, 6> kTargets = {{
    {"dosbox-vgaonly", Emulator::kDosbox, "vgaonly", EmulatedChip::kVga, "vga"},
    {"dosbox-s3", Emulator::kDosbox, "svga_s3", EmulatedChip::kS3Trio, "s3-trio64"},
    {"dosbox-et4000", Emulator::kDosbox, "svga_et4000", EmulatedChip::kTsengEt4000,
     "tseng-et4000"},
    {"dosbox-et3000", Emulator::kDosbox, "svga_et3000", EmulatedChip::kTsengEt3000,
     "tseng-et3000"},
    {"dosbox-paradise", Emulator::kDosbox, "svga_paradise", EmulatedChip::kParadisePvga1a,
     "wd-90c00"},
    {"bochs-cirrus", Emulator::kBochs, "", EmulatedChip::kCirrus, "cirrus-gd5434"},
}};

}  // namespace

std::span<const EmulatorTarget> EmulatorTargets() {
  return kTargets;
}

const EmulatorTarget* FindTarget(std::string_view name) {
  for (const EmulatorTarget& target : kTargets) {
    if (target.name == name) return &target;
  }
  return nullptr;
}

}  // namespace zanvo::emu
