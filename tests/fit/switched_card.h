#pragma once
// A card switched to a standard as the window switches it, and the signals the field check's
// tables put on it afterwards: the field halved, doubled or 12% off, or the line doubled.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "engine/engine_port.h"
#include "engine/engine_state.h"
#include "engine/field_check.h"
#include "engine/standards.h"
#include "platform/port_io.h"
#include "platform/virtual/card_catalog.h"
#include "platform/virtual/display_driver.h"
#include "platform/virtual/signal/signal.h"
#include "platform/virtual/virtual_pc.h"

namespace zanvo::fit {

using engine::Eng;

// A card switched to a standard as the window switches it, the engine fitting it on paper.
struct Switched {
  Switched(const char* card, uint16_t width, uint16_t height, uint8_t standard)
      : pc(virt::MakeCard(card)) {
    EXPECT_TRUE(virt::SetDesktopMode(pc.card(), width, height));
    Eng = engine::EngineState{};
    engine::BindPort(pc);
    Eng.ChipFamily = pc.card().family();
    Eng.ChipModel = pc.card().model();
    engine::SetStandard(standard);
    engine::LoadStandardTables(standard);
    engine::ApplyStandard();
    EXPECT_TRUE(engine::StandardFitted());
    field_hz = virt::AnalyzeSignal(pc.card()).field_rate_hz;
    engine::UnbindPort();
  }

  // Runs the check through `port`; returns the machine's time it took, in seconds.
  double Check(PortIo& port) {
    engine::BindPort(port);
    const uint64_t start = pc.now_ps();
    engine::CheckFieldRate();
    engine::UnbindPort();
    return static_cast<double>(pc.now_ps() - start) * 1e-12;
  }

  virt::VirtualPc pc;
  double field_hz = 0;
};

// What the field check faces after a right switch: the field halved, doubled or 12%
// off through the vertical total alone (the line stays right), or the line doubled with the
// field kept right, as a model that doubles both the clock and the line count does.
enum class Shape { kRight, kHalved, kDoubled, kSlow12, kFast12, kLineDoubled };

inline void WriteCrtc(virt::VirtualPc& pc, uint8_t index, uint8_t value) {
  pc.OutByte(0x3D4, index);
  pc.OutByte(0x3D5, value);
}
inline uint8_t ReadCrtc(virt::VirtualPc& pc, uint8_t index) {
  pc.OutByte(0x3D4, index);
  return pc.InByte(0x3D5);
}

// Gives the field `lines` lines; the picture and the retrace move up where they would not fit.
inline void SetFieldLines(virt::VirtualPc& pc, uint16_t lines) {
  WriteCrtc(pc, 0x11, static_cast<uint8_t>(ReadCrtc(pc, 0x11) & 0x7F));
  const uint8_t overflow = ReadCrtc(pc, 0x07);
  const auto tenbits = [&](uint8_t low, uint8_t bit8, uint8_t bit9) {
    return low | ((overflow & bit8) != 0 ? 256 : 0) | ((overflow & bit9) != 0 ? 512 : 0);
  };
  int sync = tenbits(ReadCrtc(pc, 0x10), 0x04, 0x80);
  int display = tenbits(ReadCrtc(pc, 0x12), 0x02, 0x40);
  if (sync + 12 > lines) sync = lines - 12;
  display = std::min(display, sync - 10);
  const int total = lines - 2;
  WriteCrtc(pc, 0x06, static_cast<uint8_t>(total));
  WriteCrtc(pc, 0x10, static_cast<uint8_t>(sync));
  WriteCrtc(pc, 0x12, static_cast<uint8_t>(display));
  WriteCrtc(pc, 0x11, static_cast<uint8_t>(((sync + 4) & 0x0F) | 0x20));
  WriteCrtc(
      pc, 0x07,
      static_cast<uint8_t>((overflow & 0x18) | (total & 256 ? 0x01 : 0) | (total & 512 ? 0x20 : 0) |
                           (display & 256 ? 0x02 : 0) | (display & 512 ? 0x40 : 0) |
                           (sync & 256 ? 0x04 : 0) | (sync & 512 ? 0x80 : 0)));
}

inline void Reshape(virt::VirtualPc& pc, Shape shape) {
  const int lines = static_cast<int>(std::lround(virt::AnalyzeSignal(pc.card()).lines_per_field));
  if (shape == Shape::kHalved) SetFieldLines(pc, static_cast<uint16_t>(2 * lines));
  if (shape == Shape::kDoubled) SetFieldLines(pc, static_cast<uint16_t>(lines / 2));
  if (shape == Shape::kSlow12) SetFieldLines(pc, static_cast<uint16_t>(lines / 0.88));
  if (shape == Shape::kFast12) SetFieldLines(pc, static_cast<uint16_t>(lines / 1.12));
  if (shape == Shape::kLineDoubled) {
    pc.OutByte(0x3C4, 0x01);
    pc.OutByte(0x3C5, static_cast<uint8_t>(pc.InByte(0x3C5) & ~0x08));  // no dot clock halving
    SetFieldLines(pc, static_cast<uint16_t>(2 * lines));
  }
}

}  // namespace zanvo::fit
