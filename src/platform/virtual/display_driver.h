#pragma once
// The display driver of the virtual PC: the desktop modes it offers and how it sets them.
// "Re-set the current mode" programs the current mode's monitor timings (and any register
// values loaded over them) again, undoing whatever was written to the card since.

#include <cstdint>
#include <optional>
#include <span>

#include "platform/virtual/signal/mode_timing.h"
#include "platform/virtual/cards/vga_card.h"

namespace zanvo::virt {

struct DesktopMode {
  uint16_t width;
  uint16_t height;
};

// Every desktop mode of the driver's table, smallest first.
std::span<const DesktopMode> DesktopModes();

// The monitor timing the driver programs for a desktop mode on this card; nullopt when the
// card's driver does not offer the mode.
std::optional<ModeTiming> DesktopModeTiming(const VgaCard& card, uint16_t width, uint16_t height);

// Sets the mode as the driver does; false (and nothing written) for a mode it does not offer.
bool SetDesktopMode(VgaCard& card, uint16_t width, uint16_t height);
// Sets the mode, then writes a card's own register values over it with the locks open. They
// become part of the current mode: a re-set restores them, as the driver restores its own.
bool SetDesktopModeWithRegisters(VgaCard& card, uint16_t width, uint16_t height,
                                 LoadedRegisters registers);
void ResetCurrentMode(VgaCard& card);

// A monitor timing for modes no BIOS defines, in the proportions of the BIOS 640x480 mode
// (which it reproduces): a quarter of the displayed characters for horizontal blanking,
// 3/32 of the lines for vertical blanking, 8-dot characters, 8-bit pixels, positive syncs.
ModeTiming DerivedModeTiming(uint16_t width, uint16_t height, double pixel_clock_hz);

// The BIOS's 80x25 text mode: the state a card powers on in.
ModeTiming BiosTextMode();

}  // namespace zanvo::virt
