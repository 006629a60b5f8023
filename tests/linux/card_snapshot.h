#pragma once
// Everything a virtual card's mode lives in, as the ports read it (a lock key reads as locked or
// open, whatever it stores), for comparing before and after.

#include <array>
#include <cstdint>

#include "platform/virtual/cards/vga_card.h"

namespace zanvo::testing {

struct CardSnapshot {
  uint8_t misc = 0;
  std::array<std::array<uint8_t, 256>, 4> regs{};
  bool operator==(const CardSnapshot&) const = default;
};

inline CardSnapshot Snapshot(const virt::VgaCard& card) {
  CardSnapshot s;
  s.misc = card.PeekMisc();
  const virt::RegFile files[] = {virt::RegFile::kSequencer, virt::RegFile::kGraphics,
                                 virt::RegFile::kCrtc, virt::RegFile::kAttribute};
  for (size_t f = 0; f < 4; ++f) {
    for (unsigned i = 0; i < 256; ++i) s.regs[f][i] = card.Peek(files[f], static_cast<uint8_t>(i));
  }
  return s;
}

}  // namespace zanvo::testing
