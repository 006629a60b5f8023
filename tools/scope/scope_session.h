#pragma once
// One zanvo-scope run: a virtual PC with the chosen card and desktop mode, the engine applied to
// it as the window would, and what came out.

#include <array>
#include <cstdint>
#include <string>

#include "platform/virtual/signal.h"
#include "scope_options.h"

namespace zanvo::scope {

struct RegisterDump {
  uint8_t misc = 0;
  std::array<uint8_t, 256> crtc{};
  std::array<uint8_t, 256> seq{};
  std::array<uint8_t, 256> gc{};
  std::array<uint8_t, 32> attr{};
};

struct ScopeReport {
  uint8_t family = 0;
  uint16_t model = 0;
  bool row_found = false;            // the engine found a row for the mode's width
  virt::Signal monitor;              // the desktop mode as the driver set it
  virt::Signal signal;               // after the standard, the options and the moves
  bool readout_measured = false;     // false when the retrace never came
  std::string readout_h, readout_v;  // the two texts the window would show
  RegisterDump monitor_registers;    // as the driver left them
  RegisterDump registers;            // at the end of the run
};

// Returns false with a message in `error` when the card has no such desktop mode.
bool RunScope(const ScopeOptions& options, ScopeReport& report, std::string& error);

}  // namespace zanvo::scope
