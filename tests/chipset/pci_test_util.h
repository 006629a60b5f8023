#pragma once
// PCI devices for the tests, and a fixture with a fresh engine bound to a virtual PC.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/engine_port.h"
#include "engine/engine_state.h"
#include "platform/virtual/card_catalog.h"
#include "platform/virtual/cards/pci_identity.h"
#include "platform/virtual/virtual_pc.h"

namespace zanvo::test {

inline virt::PciIdentity Display(uint16_t vendor, uint16_t device, uint32_t bar_0x14 = 0) {
  return {true, vendor, device, 0x0300, bar_0x14};
}

// The host bridge of an Intel 440BX: an Intel device that is no display.
inline virt::PciIdentity HostBridge() {
  return {true, 0x8086, 0x7190, 0x0600, 0};
}

struct PlacedDevice {
  uint32_t slot;
  virt::PciIdentity identity;
};

// A plain VGA (not on PCI) with the given devices on the bus.
inline std::unique_ptr<virt::VirtualPc> MakePc(virt::PciConfigMechanism mechanism,
                                               const std::vector<PlacedDevice>& devices) {
  auto pc = std::make_unique<virt::VirtualPc>(virt::MakeCard("vga"), virt::PciSetup{mechanism});
  for (const PlacedDevice& device : devices)
    pc->AddPciDevice(device.slot, device.identity);
  return pc;
}

inline std::string Hex(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", value);
  return text;
}

class EngineOnPc : public ::testing::Test {
 protected:
  void SetUp() override { engine::Eng = engine::EngineState{}; }
  void TearDown() override { engine::UnbindPort(); }

  void Bind(std::unique_ptr<virt::VirtualPc> pc) {
    pc_ = std::move(pc);
    engine::BindPort(*pc_);
  }
  virt::VirtualPc& pc() { return *pc_; }

 private:
  std::unique_ptr<virt::VirtualPc> pc_;
};

}  // namespace zanvo::test
