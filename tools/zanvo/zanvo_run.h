#pragma once
// One run of zanvo over a machine's ports and files: the checks before anything is written, the
// saved registers, the window's rules (through the main form, headless) and the report.

#include <sys/types.h>

#include <functional>
#include <ostream>
#include <string>

#include "console_services.h"
#include "platform/physical_memory.h"
#include "platform/port_io.h"
#include "platform/processor_hold.h"
#include "zanvo_options.h"

namespace zanvo::console {

struct ZanvoMachine {
  PortIo& ports;
  PhysicalMemory& memory;
  ProcessorHold* hold = nullptr;
  // Whether port access could be opened, and why not.
  bool port_access = true;
  std::string port_access_failure;
  std::function<double()> now_seconds;  // monotonic
  std::string run_directory;            // lock, saved registers
  std::string settings_directory;       // settings
  uid_t owner = 0;                      // who the files must belong to (root)
  AnswerSource& answers;
  std::ostream& out;
  std::ostream& err;
};

inline constexpr const char* kSavedSetFile = "saved-registers";
inline constexpr const char* kSettingsFile = "settings";
inline constexpr const char* kLockName = "zanvo";

// Returns the exit status.
int RunZanvo(const ZanvoOptions& options, ZanvoMachine& machine);

}  // namespace zanvo::console
