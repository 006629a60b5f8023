#pragma once
// What the replayer writes on an emulator's chip for one case: the timing registers of a
// register dump in the order a mode set writes them, the chip's keys first, then a change the
// emulator re-times on, and the measurement. Encoded as the replayer's op list.

#include <cstdint>
#include <vector>

#include "emulator_target.h"
#include "scope_session.h"

namespace zanvo::emu {

struct PortWrite {
  uint16_t port;
  uint8_t value;
};

// The writes for the dump on the target's chip.
std::vector<PortWrite> ReplayWrites(const EmulatorTarget& target, const scope::RegisterDump& dump);

// Op codes of the replayer (tests/emulators/replayer.asm).
inline constexpr uint8_t kOpEnd = 0x00;
inline constexpr uint8_t kOpOut = 0x01;
inline constexpr uint8_t kOpMeasure = 0x02;

// Appends the writes and a measurement of `fields` fields reported under `case_id`.
void AppendCaseOps(std::vector<uint8_t>& ops, const std::vector<PortWrite>& writes,
                   uint16_t case_id, uint8_t fields);

}  // namespace zanvo::emu
