#pragma once
// The port the engine talks to. The program binds it once at start-up (WinIo or the virtual PC);
// tests bind a virtual PC or a recording port.

#include "platform/port_io.h"
#include "platform/processor_hold.h"

namespace zanvo::engine {

void BindPort(PortIo& io);
// Back to the built-in port whose reads give all ones and whose writes go nowhere.
void UnbindPort();
PortIo& Port();

// The platform's way to keep the processor during a measurement; none by default (tests and the
// virtual PC, whose time is simulated).
void BindProcessorHold(ProcessorHold* hold);

// Holds the processor for its lifetime, whatever way the scope is left. Nested holds keep the
// outermost one.
class ScopedProcessorHold {
 public:
  ScopedProcessorHold();
  ~ScopedProcessorHold();
  ScopedProcessorHold(const ScopedProcessorHold&) = delete;
  ScopedProcessorHold& operator=(const ScopedProcessorHold&) = delete;

 private:
  ProcessorHold* held_;
};

}  // namespace zanvo::engine
