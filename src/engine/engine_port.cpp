#include "engine/engine_port.h"

namespace zanvo::engine {

namespace {

// What an engine sees before any port is bound: a bus where nothing answers. Reads float high,
// writes go nowhere.
class FloatingBus final : public PortIo {
 public:
  uint8_t InByte(uint16_t) override { return 0xFF; }
  uint16_t InWord(uint16_t) override { return 0xFFFF; }
  uint32_t InDword(uint16_t) override { return 0xFFFFFFFF; }
  void OutByte(uint16_t, uint8_t) override {}
  void OutWord(uint16_t, uint16_t) override {}
  void OutDword(uint16_t, uint32_t) override {}
};

FloatingBus floating_bus;
PortIo* bound_port = &floating_bus;
ProcessorHold* bound_hold = nullptr;
int hold_depth = 0;

}  // namespace

void BindPort(PortIo& io) {
  bound_port = &io;
}

void UnbindPort() {
  bound_port = &floating_bus;
}

PortIo& Port() {
  return *bound_port;
}

void BindProcessorHold(ProcessorHold* hold) {
  bound_hold = hold;
}

ScopedProcessorHold::ScopedProcessorHold() : held_(hold_depth == 0 ? bound_hold : nullptr) {
  ++hold_depth;
  if (held_ != nullptr) held_->Hold();
}

ScopedProcessorHold::~ScopedProcessorHold() {
  --hold_depth;
  if (held_ != nullptr) held_->Release();
}

}  // namespace zanvo::engine
