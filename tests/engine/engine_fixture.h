#pragma once
// Common ground of the engine tests: a fresh engine state bound to a recording port, and desktop
// modes set in the port's registers the way a VGA driver leaves them.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/engine_port.h"
#include "engine/engine_state.h"
#include "recording_port.h"

namespace zanvo::test {

struct DesktopMode {
  uint8_t columns = 80;   // character columns: CR01 + 1
  uint16_t lines = 480;   // displayed lines: CR12 with its CR07 bits, plus 1
  uint8_t cr09 = 0x40;    // maximum scan line register (0x40: no doubling)
  uint8_t offset = 0x50;  // CR13
};

// Colour addressing, CR00-07 protected, 8-dot characters, clock 0, negative syncs: what the
// driver leaves after a mode set.
inline void SetDesktopMode(RecordingPort& port, const DesktopMode& mode) {
  port.misc() = 0xE3;
  port.seq(0x01) = 0x01;
  port.crtc(0x00) = 0x5F;
  port.crtc(0x01) = static_cast<uint8_t>(mode.columns - 1);
  port.crtc(0x03) = 0x82;
  port.crtc(0x05) = 0x80;
  port.crtc(0x06) = 0x0B;
  const uint16_t disp_end = static_cast<uint16_t>(mode.lines - 1);
  port.crtc(0x12) = static_cast<uint8_t>(disp_end);
  port.crtc(0x07) = static_cast<uint8_t>(0x11 | ((disp_end & 0x100) ? 0x02 : 0) |
                                         ((disp_end & 0x200) ? 0x40 : 0));
  port.crtc(0x09) = mode.cr09;
  port.crtc(0x11) = 0x8C;
  port.crtc(0x13) = mode.offset;
  port.crtc(0x17) = 0xE3;
}

enum class Where { kSeq, kGc, kCrtc, kOak, kPlain };

// A register of the port's model, for tables of presets and expected values.
struct RegValue {
  Where where;
  uint16_t index;  // register index, or the port for kPlain
  uint8_t value;
};

inline uint8_t& At(RecordingPort& port, const RegValue& r) {
  switch (r.where) {
    case Where::kSeq:
      return port.seq(static_cast<uint8_t>(r.index));
    case Where::kGc:
      return port.gc(static_cast<uint8_t>(r.index));
    case Where::kCrtc:
      return port.crtc(static_cast<uint8_t>(r.index));
    case Where::kOak:
      return port.oak(static_cast<uint8_t>(r.index));
    case Where::kPlain:
      return port.plain(r.index);
  }
  return port.plain(r.index);
}

inline std::string Name(const RegValue& r) {
  static const char* const kPrefix[] = {"SR", "GR", "CR", "OAK", "port "};
  char text[24];
  std::snprintf(text, sizeof text, "%s%02X", kPrefix[static_cast<int>(r.where)], unsigned{r.index});
  return text;
}

inline constexpr auto S = Where::kSeq;
inline constexpr auto G = Where::kGc;
inline constexpr auto C = Where::kCrtc;
inline constexpr auto O = Where::kOak;
inline constexpr auto P = Where::kPlain;

class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    engine::Eng = engine::EngineState{};
    engine::BindPort(port);
  }
  void TearDown() override { engine::UnbindPort(); }

  RecordingPort port;
};

inline std::string Hex(unsigned value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%02X", value);
  return text;
}

}  // namespace zanvo::test

namespace zanvo::test {

// Position of the first line of `trace` equal to `line` at or after `from`; trace.size() when
// there is none.
inline size_t FindLine(const std::vector<std::string>& trace, const std::string& line,
                       size_t from = 0) {
  for (size_t i = from; i < trace.size(); ++i) {
    if (trace[i] == line) return i;
  }
  return trace.size();
}

// True when `lines` appear in `trace` one after the other, without gaps.
inline bool ContainsRun(const std::vector<std::string>& trace,
                        const std::vector<std::string>& lines) {
  for (size_t start = 0; start + lines.size() <= trace.size(); ++start) {
    bool match = true;
    for (size_t i = 0; i < lines.size() && match; ++i)
      match = trace[start + i] == lines[i];
    if (match) return true;
  }
  return false;
}

}  // namespace zanvo::test
