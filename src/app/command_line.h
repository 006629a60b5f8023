#pragma once
// zanvo.exe's command line: one switch naming a standard, for scripts and emulator front ends
// that change the output before a game and back afterwards.

#include <cstdint>
#include <string>
#include <string_view>

namespace zanvo::app {

struct CommandLineRequest {
  enum class Kind {
    kNone,      // no arguments: the program starts as usual
    kStandard,  // one of the four switches
    kInvalid,   // anything else: the usage is shown and nothing changes
    kUsage,     // a copy started only to show the usage box for another that has ended
  };
  Kind kind = Kind::kNone;
  uint8_t standard = 0;  // with kStandard
  // With kStandard: this copy was started by a script's call that found no copy running, to stay
  // resident and take the call's standard from it.
  bool resident = false;
  // With kInvalid and kUsage: the arguments as given, for the usage box to name.
  std::string not_understood;
};

// The arguments as WinMain receives them (without the program's name). Accepted: "/pal",
// "/ntsc", "/24khz" and "/vga", also with "-" instead of "/", in any case, alone; and the two
// forms below, which one copy gives another.
CommandLineRequest ParseCommandLine(std::string_view arguments);

// The command line of the resident copy a script's call starts: "/resident /pal" and so on.
std::string ResidentArguments(uint8_t standard);
// The command line of the copy that shows the usage box for `not_understood`: "/usage ...".
std::string UsageArguments(std::string_view not_understood);
// The usage box's text, naming what was not understood.
std::string UsageText(std::string_view not_understood);

// What the program ends with: a switch made (or the program started as usual), a switch that
// was refused or could not be delivered, a command line it does not take.
inline constexpr int kExitSwitched = 0;
inline constexpr int kExitNotSwitched = 1;
inline constexpr int kExitUsage = 2;

}  // namespace zanvo::app
