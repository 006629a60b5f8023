#pragma once
// The display driver of the virtual PC: the desktop modes it offers and how it sets them.
// "Re-set the current mode" programs the current mode's monitor timings (and any register
// values loaded over them) again, undoing whatever was written to the card since.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "platform/virtual/signal/desktop_mode.h"
#include "platform/virtual/signal/mode_timing.h"
#include "platform/virtual/cards/vga_card.h"

namespace zanvo::virt {

// The sizes of the driver's table, smallest first, at 8 bits: the desktop sizes a user picks and
// the low-resolution sizes games set.
std::span<const DesktopMode> DesktopModes();

// Every mode the card's driver offers with the card's memory, by size (smallest first), then
// depth: the table's sizes at each depth the chip and its DAC show, where the frame fits the
// memory and the pixel rate the chip's limit. The game sizes (320x200 to 640x480) come at 8 and
// 16 bits only; double_scan says which the driver scans twice.
std::vector<DesktopMode> DriverModes(const VgaCard& card);

// The monitor timing the driver programs for a desktop mode on this card; nullopt when the
// card's driver does not offer the mode (its double_scan is ignored: the driver decides).
std::optional<ModeTiming> DesktopModeTiming(const VgaCard& card, const DesktopMode& mode);

// The timing the driver's table holds for a size at a depth on this card's clocks, whether or
// not the card's memory and driver offer it: what a register tool writes when it loads a mode
// by hand (nullopt for a size not in the table, or a clock or offset the card cannot make).
std::optional<ModeTiming> TableModeTiming(const VgaCard& card, const DesktopMode& mode);

// Sets the mode as the driver does; false (and nothing written) for a mode it does not offer.
bool SetDesktopMode(VgaCard& card, const DesktopMode& mode);
// Sets the mode, then writes a card's own register values over it with the locks open. They
// become part of the current mode: a re-set restores them, as the driver restores its own.
bool SetDesktopModeWithRegisters(VgaCard& card, const DesktopMode& mode,
                                 LoadedRegisters registers);
void ResetCurrentMode(VgaCard& card);

// The mode a size names without a depth: 256 colours where the driver offers them at that size,
// else the deepest depth below it that it offers (16 colours on a standard VGA's 640x480).
DesktopMode DefaultDepthMode(const VgaCard& card, uint16_t width, uint16_t height);
// The desktop mode set last (the current mode's size and depth).
DesktopMode CurrentDesktopMode(const VgaCard& card);

// The same by size alone, at DefaultDepthMode's depth.
std::optional<ModeTiming> DesktopModeTiming(const VgaCard& card, uint16_t width, uint16_t height);
bool SetDesktopMode(VgaCard& card, uint16_t width, uint16_t height);
bool SetDesktopModeWithRegisters(VgaCard& card, uint16_t width, uint16_t height,
                                 LoadedRegisters registers);

ModeTiming DerivedModeTiming(uint16_t width, uint16_t height, double pixel_clock_hz);

// The BIOS's 80x25 text mode: the state a card powers on in.
ModeTiming BiosTextMode();

}  // namespace zanvo::virt
