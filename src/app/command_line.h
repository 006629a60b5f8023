#pragma once
// zanvo.exe's command line: one switch naming a standard, for scripts and emulator front ends
// that change the output before a game and back afterwards.

#include <cstdint>
#include <string_view>

namespace zanvo::app {

struct CommandLineRequest {
  enum class Kind {
    kNone,      // no arguments: the program starts as usual
    kStandard,  // one of the four switches
    kInvalid,   // anything else: the usage is shown and nothing changes
  };
  Kind kind = Kind::kNone;
  uint8_t standard = 0;  // with kStandard
};

// The arguments as WinMain receives them (without the program's name). Accepted: "/pal",
// "/ntsc", "/24khz" and "/vga", also with "-" instead of "/", in any case, alone.
CommandLineRequest ParseCommandLine(std::string_view arguments);

// What the program ends with: a switch made (or the program started as usual), a switch that
// was refused or could not be delivered, a command line it does not take.
inline constexpr int kExitSwitched = 0;
inline constexpr int kExitNotSwitched = 1;
inline constexpr int kExitUsage = 2;

}  // namespace zanvo::app
