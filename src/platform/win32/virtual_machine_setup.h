#pragma once
// The virtual PC of zanvo-virtual, chosen by two environment variables: ZANVO_VIRTUAL_CARD (a
// card name, default "s3-trio64") and ZANVO_VIRTUAL_MODE (the desktop mode as WIDTHxHEIGHT,
// default "640x480").

#include <memory>
#include <string>
#include <string_view>

#include "platform/virtual/virtual_pc.h"

namespace zanvo::win32 {

struct VirtualMachineSetup {
  std::unique_ptr<virt::VirtualPc> pc;  // null when a value was not understood
  std::string error;                    // what was wrong, for the user
};

// Empty texts take the defaults.
VirtualMachineSetup SetUpVirtualMachine(std::string_view card_name, std::string_view mode);

}  // namespace zanvo::win32
