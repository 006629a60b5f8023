#pragma once
// Register probes for the chips that do not identify themselves on PCI. Each probe tests
// whether vendor-specific register bits exist; when they do it records ChipFamily (and
// ChipModel) and reports that the chain ends. Some probes leave registers changed on purpose
// (they are the chip's unlock keys): the engine unlocks again before every reprogramming.
// CrtcPort must be selected before any probe runs.

#include <cstdint>

namespace zanvo::chipset {

bool ProbeOak();
// The new-mode Trident test; also reads the chip version from SR0B, which the old-mode test
// takes as its argument.
bool ProbeTridentNew(uint8_t& version);
bool ProbeTridentOld(uint8_t version);
bool ProbeCirrus();
bool ProbeS3();
bool ProbeUMC();
bool ProbeWD();
// Returns true for an ET4000 only: an ET3000 is recorded, but the chain goes on.
bool ProbeTseng();
bool ProbeRealtek();

// The chain in its fixed order, until a probe ends it.
void RunRegisterProbes();

}  // namespace zanvo::chipset
