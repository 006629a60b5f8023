#pragma once
// zanvo's command line: the standard to switch to and the window's options, read with CLI11.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "chip_names.h"

namespace zanvo::console {

enum class Move { kUp, kDown, kLeft, kRight };

struct ZanvoOptions {
  uint8_t standard = 0;             // engine::vsVGA, vsPAL, vsNTSC or vs24kHz
  std::string standard_name;        // as given, lower case
  std::optional<std::string> chipset;  // FAMILY[:MODEL] chosen by hand
  scope::ChipChoice chip;              // what it names (read while parsing)
  bool detect = false;
  bool positive_sync = false;
  bool no_interlace = false;
  bool odd_even_vsync = false;
  bool computed = false;
  std::vector<Move> moves;
  bool readout = false;
  bool json = false;
};

struct ParsedCommandLine {
  ZanvoOptions options;
  // Set when the program ends at once: --help or --version (0), a bad command line (2).
  std::optional<int> exit_code;
  std::string output;  // what it prints then (help or version on standard output)
  std::string error;   // the message for standard error
};

ParsedCommandLine ParseZanvoCommandLine(int argc, const char* const* argv);

}  // namespace zanvo::console
