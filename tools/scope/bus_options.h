#pragma once
// zanvo-scope's options for an unkind PC: the bus's read cost and jitter, and the moments the
// program loses the processor, so that what a user saw on a real machine can be replayed.

#include <string>
#include <vector>

#include "platform/virtual/bus_model.h"

namespace CLI {
class App;
}

namespace zanvo::scope {

// The options as typed, read after parsing.
struct BusTexts {
  std::string read_us;
  std::string jitter_us;
  std::vector<std::string> stalls;
  std::string stall_every;
  std::string interrupt_every;
  std::string seed;
};

void AddBusOptions(CLI::App& app, BusTexts& texts);
// Fills `model` from the texts; a message for the user when one cannot be used, else empty.
std::string ParseBusOptions(const BusTexts& texts, virt::BusModel& model);
// Whether any of them was given.
bool AnyBusOption(const BusTexts& texts);

}  // namespace zanvo::scope
