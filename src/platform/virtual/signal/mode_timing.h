#pragma once
// A display mode's monitor timing as a driver's mode table holds it: positions in characters
// and scan lines, before any card packs them into registers.

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/virtual/cards/vga_registers.h"

namespace zanvo::virt {

// A card's own register values, read from elsewhere (a dump of a real card), that a mode
// carries over what the driver programs: they take the place of the driver's values.
struct LoadedRegister {
  RegFile file;
  uint8_t index;
  uint8_t value;
  bool operator==(const LoadedRegister&) const = default;
};
struct LoadedRegisters {
  std::optional<uint8_t> misc;  // Miscellaneous Output
  std::vector<LoadedRegister> values;
  bool operator==(const LoadedRegisters&) const = default;
};

struct ModeTiming {
  uint16_t width = 0;
  uint16_t height = 0;
  double pixel_clock_hz = 0;  // must be a clock the card can make
  uint8_t dots_per_char = 8;  // 8 or 9

  // Characters from the start of the line; ends are the first character past the interval.
  uint16_t h_total = 0;
  uint16_t h_display = 0;
  uint16_t h_blank_start = 0;
  uint16_t h_blank_end = 0;
  uint16_t h_sync_start = 0;
  uint16_t h_sync_end = 0;

  // Scan lines from the top of the field; ends are the first line past the interval.
  uint16_t v_total = 0;
  uint16_t v_display = 0;
  uint16_t v_blank_start = 0;
  uint16_t v_blank_end = 0;
  uint16_t v_sync_start = 0;
  uint16_t v_sync_end = 0;

  uint8_t scan_lines_per_row = 1;  // 2 for a double-scanned mode, 16 for 8x16 text
  uint16_t offset = 0;             // CRTC Offset: memory words of one row
  bool hsync_negative = false;
  bool vsync_negative = false;
  bool text = false;  // alphanumeric mode (power-on text screen) instead of pixels
  // The colour depth the driver sets up: which pixel format, clocks per pixel and offset units
  // it programs is each family's business (docs/chips.md, Colour depths).
  uint8_t bits_per_pixel = 8;
  // What the depth did to the 8-bit timing of the size: the factor on the horizontal counts and
  // the one on the pixel clock (a 24-bit pixel over three clocks: 1 and 3). A count unit lasts
  // dots_per_char x clock_multiplier / h_multiplier clock periods.
  uint8_t h_multiplier = 1;
  uint8_t clock_multiplier = 1;

  // Written with the card's locks open after the driver has programmed the fields above.
  LoadedRegisters loaded;
  bool operator==(const ModeTiming&) const = default;
};

}  // namespace zanvo::virt
