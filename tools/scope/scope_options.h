#pragma once
// Command-line options of zanvo-scope.

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "platform/virtual/bus_model.h"
#include "platform/virtual/card_catalog.h"

namespace zanvo::scope {

enum class Move { kUp, kDown, kLeft, kRight };

// Which PCI configuration mechanism the virtual PC's chipset answers.
enum class PciMode { kMechanism1, kMechanism2, kNone };

struct ExtraCard {
  std::string name;
  uint16_t slot = 0;  // bus * 32 + device
};

struct ScopeOptions {
  std::string card{virt::kDefaultCardName};
  uint16_t width = 640;
  uint16_t height = 480;
  // The colour depth; depth_given when --mode names one. Without it the driver's depth for the
  // size: 256 colours, or 16 where it offers no 256-colour mode at that size.
  uint8_t bits_per_pixel = 8;
  bool depth_given = false;
  uint32_t memory_kib = 0;     // --memory; 0 for the card's common size
  bool mode_given = false;     // --mode on the command line
  std::string load_registers;  // a register file written over the driver's mode
  uint8_t standard = 98;       // vsVGA
  bool positive_sync = false;
  bool no_interlace = false;
  bool odd_even_vsync = false;
  bool computed = false;  // the tray menu's "Computed timings"
  std::vector<Move> moves;
  bool readout = false;
  bool registers = false;
  bool json = false;

  PciMode pci = PciMode::kMechanism1;
  bool stopped_timer = false;  // the virtual PC's timer channel 2 never counts
  // The bus from the start; its stalls and drawn pauses count from the start of the field check.
  virt::BusModel bus;
  std::vector<ExtraCard> extra_cards;
  bool detect = false;
  // The chipset chosen by hand; overrides detection.
  std::optional<uint8_t> as_family;
  uint16_t as_model = 0;
  int next = 0;  // Next clicks after detection
  bool list_cards = false;
  // Time the field after a fitted switch, as the program does. Not an option of the tool: the
  // matrix's screening of other models leaves it out, since a cell within the locks range is
  // always inside the check's wider band.
  bool measure_field = true;
  // Read the card's registers into the report, as the driver left them and at the end. Not an
  // option of the tool either: the matrix, which shows no registers, leaves it out.
  bool dump_registers = true;

  // The compatibility matrix over `matrix_cards` (every card when empty), in one of four forms.
  bool matrix = false;
  std::vector<std::string> matrix_cards;
  bool csv = false;
  bool markdown = false;
  std::string png;  // --png: where to write the picture of the set and the signal ("-": stdout)
  bool modeline = false;  // --modeline: the signal after the run as an X11 modeline
};

// Parses argv into `options`. Returns an exit status when the program should stop here: 0 after
// --help, 2 after a bad option (with a message on `err`); nullopt to go on.
std::optional<int> ParseScopeOptions(int argc, const char* const* argv, ScopeOptions& options,
                                     std::ostream& out, std::ostream& err);

const char* StandardName(uint8_t standard);
const char* MoveName(Move move);

}  // namespace zanvo::scope
