#pragma once
// One zanvo-scope run: a virtual PC with the chosen card and desktop mode, the engine applied to
// it as the window would, and what came out.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "chipset/own_clock_retry.h"
#include "chipset/sibling_search.h"
#include "engine/readout.h"
#include "platform/virtual/signal/mode_timing.h"
#include "platform/virtual/signal/signal.h"
#include "run_notes.h"
#include "scope_options.h"

namespace zanvo::scope {

struct RegisterDump {
  uint8_t misc = 0;
  std::array<uint8_t, 256> crtc{};
  std::array<uint8_t, 256> seq{};
  std::array<uint8_t, 256> gc{};
  std::array<uint8_t, 32> attr{};
};

struct DetectedChip {
  uint8_t family = 0;
  uint16_t model = 0;
};

// The block-I/O family's register file and PLL, for --registers.
struct BlockRegisters {
  std::array<uint32_t, 64> dwords{};
  std::array<uint8_t, 64> pll{};
};

// The field-rate check the program runs after a fitted standard.
struct FieldCheckReport {
  int measurements = 0;  // periods timed (a give-up ends the check)
  double field_hz = 0;   // the last period timed (0: none)
  double target_hz = 0;  // the standard's field rate; the band is kFieldGuardBand around it
  bool in_band = false;  // two agreeing periods inside the band, or nothing could be measured
  // The line rate counted after a field that passed (0: not counted) and the standard's; a
  // miss on a clean measurement (an agreeing pair outside the field band, or the line outside
  // its band) rather than a disturbed check or no retrace.
  double line_hz = 0;
  double target_line_hz = 0;
  bool line_in_band = true;
  bool clean_miss = false;
  bool field_agreed = false;  // two agreeing fields inside the band, whatever the line then gave
  // Why the timer's readings could not be used (the switch then goes ahead unchecked); empty
  // when the check measured.
  std::string cannot_measure;
};

struct ScopeReport {
  uint8_t family = 0;
  uint16_t model = 0;
  uint16_t width = 0, height = 0;       // the desktop size shown
  uint8_t bits_per_pixel = 8;           // and its colour depth
  uint32_t memory_kib = 0;              // the card's video memory
  bool size_from_registers = false;     // read from the loaded registers, not --mode
  std::vector<std::string> not_loaded;  // keys of the register file that were not loaded
  bool row_found = false;               // the engine found a row for the mode's width
  bool vertical_row_found = false;      // ... and one for its line count
  bool fitted = true;                   // both: the engine's outcome (VGA always fits)
  // Rows found, but the line offset the fit needs (nonzero) has more bits than the chip's
  // offset registers (offset_bits): refused as unfitted.
  uint16_t cut_line_offset = 0;
  int offset_bits = 0;
  std::optional<FieldCheckReport> field_check;  // run when the engine fitted a standard
  // After a measured miss: the brand's safe siblings tried, and the one kept if any.
  std::optional<chipset::SiblingSearchResult> sibling_search;
  // After a clean measured miss no sibling recovered: the try with the row's own clock.
  std::optional<chipset::OwnClockTry> own_clock;
  // Computed timings: whether the rows in use were computed; what the fit worked on (the mode's
  // columns, and its lines per field after its steps).
  bool horz_computed = false, vert_computed = false;
  bool computed_on = false;  // the run had the tray menu's "Computed timings" checked
  int fit_columns = 0, fit_lines = 0;
  virt::Signal monitor;  // the desktop mode as the driver set it
  virt::Signal applied;  // right after the engine applied the standard
  virt::Signal signal;   // as the program leaves it: after a refusal, options, moves
  // When the fitted standard's line rate misses its target: the chip's bits behind it, if any.
  std::string clock_miss_cause;
  virt::ModeTiming mode;                 // the desktop mode the driver set
  bool readout_measured = false;         // false when the retrace never came
  std::string readout_h, readout_v;      // the two texts the window would show
  RegisterDump monitor_registers;        // as the driver left them
  RegisterDump registers;                // at the end of the run
  std::optional<DetectedChip> detected;  // what --detect (and --next) found
  uint16_t ext_io_base = 0;
  uint32_t pci_cursor = 0;
  std::vector<std::string> messages;    // what the window would have told the user
  bool moves_ignored = false;           // --move given while monitor timings were in force
  std::optional<BlockRegisters> block;  // block-I/O family only
  // The adapter that drives the screen (--card) and its PCI slot, beside what --detect found.
  uint8_t card_family = 0;
  uint16_t card_model = 0;
  uint16_t card_slot = 0;
  MoveTally move_tally;                             // --move steps made and stopped
  std::optional<engine::ScanFigures> readout_figures;  // the numbers behind the readout texts
  std::vector<std::string> warnings;                // doubts about the input, for standard error
};

// Returns false with a message in `error` when the card has no such desktop mode or the
// register file cannot be used.
bool RunScope(const ScopeOptions& options, ScopeReport& report, std::string& error);

}  // namespace zanvo::scope
