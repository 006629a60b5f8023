#pragma once
// Helpers shared by the virtual PC tests: a PC with a desktop mode set, register access through
// the ports as the engine makes it, and hex formatting for failure messages.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "platform/virtual/card_catalog.h"
#include "platform/virtual/display_driver.h"
#include "platform/virtual/virtual_pc.h"

namespace zanvo::virt::testing {

inline std::string Hex(unsigned value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "0x%02X", value);
  return buffer;
}

// A standard VGA loaded by hand with the 256-colour timing the driver's table holds for a size:
// the VGA core at every size, though its 256 KiB hold few of them as a desktop.
inline std::unique_ptr<VirtualPc> PcWithMode(uint16_t width, uint16_t height) {
  auto pc = std::make_unique<VirtualPc>(MakeCard("vga"));
  const auto timing = TableModeTiming(pc->card(), DesktopMode{width, height, 8});
  EXPECT_TRUE(timing.has_value()) << width << "x" << height;
  if (timing) pc->card().SetMode(*timing);
  return pc;
}

inline void WriteReg(PortIo& io, uint16_t index_port, uint8_t index, uint8_t value) {
  io.OutByte(index_port, index);
  io.OutByte(static_cast<uint16_t>(index_port + 1), value);
}

inline uint8_t ReadReg(PortIo& io, uint16_t index_port, uint8_t index) {
  io.OutByte(index_port, index);
  return io.InByte(static_cast<uint16_t>(index_port + 1));
}

// Lifts the CR11 write protection of CR00-CR07 through the colour CRTC ports.
inline void Unprotect(PortIo& io) {
  WriteReg(io, 0x3D4, 0x11, static_cast<uint8_t>(ReadReg(io, 0x3D4, 0x11) & 0x7F));
}

}  // namespace zanvo::virt::testing
