#pragma once
// Runs the replayer with an op list on an emulator and reads back what it timed.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "emulator_target.h"

namespace zanvo::emu {

// The programs and files a run needs; any empty one means the emulator is not at hand.
struct EmulatorTools {
  std::string emulator;     // dosbox or bochs
  std::string replayer;     // REPLAY.COM for DOSBox, the boot program for Bochs
  std::string boot_sector;  // Bochs only
  std::string bios;         // Bochs only: the system BIOS and the Cirrus VGA BIOS
  std::string vga_bios;
  std::string work_dir;     // where the run's files go
};

inline constexpr uint32_t kTimedOut = 0xFFFFFFFF;
// The largest op list the boot sector loads.
inline constexpr size_t kMaxOpsBytes = 64 * 512;

// Case number -> PIT ticks over the measured fields (kTimedOut: no retrace came).
using Readings = std::map<uint16_t, uint32_t>;

// The "M case ticks" lines of a replayer report; nullopt when its end line "E" is missing.
std::optional<Readings> ParseReplayReport(std::string_view text);

// Runs the op list; nullopt (with what went wrong in `error`) when the run gave no report.
std::optional<Readings> RunReplay(const EmulatorTarget& target, const EmulatorTools& tools,
                                  const std::vector<uint8_t>& ops, std::string& error);

}  // namespace zanvo::emu
