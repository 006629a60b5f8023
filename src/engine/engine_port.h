#pragma once
// The port the engine talks to. The program binds it once at start-up (WinIo or the virtual PC);
// tests bind a virtual PC or a recording port.

#include "platform/port_io.h"

namespace zanvo::engine {

void BindPort(PortIo& io);
// Back to the built-in port whose reads give all ones and whose writes go nowhere.
void UnbindPort();
PortIo& Port();

}  // namespace zanvo::engine
