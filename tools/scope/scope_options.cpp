#include "scope_options.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <map>
#include <ostream>
#include <string_view>
#include <system_error>

#include "engine/chip_codes.h"
#include "platform/virtual/card_catalog.h"

namespace zanvo::scope {
namespace {

// "640x480" -> width and height; anything else is refused with a message for the user.
std::string ParseMode(const std::string& text, uint16_t& width, uint16_t& height) {
  const auto x = text.find('x');
  if (x == std::string::npos) return "expected WIDTHxHEIGHT, for example 640x480";
  auto parse = [](std::string_view part, uint16_t& value) {
    unsigned v = 0;
    auto [end, ec] = std::from_chars(part.data(), part.data() + part.size(), v);
    if (ec != std::errc{} || end != part.data() + part.size() || v == 0 || v > 0xFFFF) return false;
    value = static_cast<uint16_t>(v);
    return true;
  };
  const std::string_view all(text);
  if (!parse(all.substr(0, x), width) || !parse(all.substr(x + 1), height)) {
    return "expected WIDTHxHEIGHT with two positive numbers, for example 640x480";
  }
  return {};
}

// A number in decimal or, with 0x, hexadecimal, no larger than `max`.
bool ParseNumber(std::string_view text, unsigned max, unsigned& value) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  return ec == std::errc{} && end == text.data() + text.size() && !text.empty() && value <= max;
}

// Family names a person may type instead of the code.
const std::map<std::string, uint8_t, std::less<>> kFamilyNames{
    {"vga", engine::cfStandardVGA}, {"realtek", engine::cfRealtek}, {"s3", engine::cfS3},
    {"cirrus", engine::cfCirrus},   {"tseng", engine::cfTseng},     {"ati", engine::cfATI},
    {"intel", engine::cfIntel},     {"umc", engine::cfUMC},         {"wd", engine::cfWD},
    {"sis", engine::cfSiS},         {"oak", engine::cfOak},         {"trident", engine::cfTrident},
};

std::string ParseAs(const std::string& text, ScopeOptions& options) {
  const auto colon = text.find(':');
  const std::string family = text.substr(0, colon);
  unsigned value = 0;
  if (const auto named = kFamilyNames.find(family); named != kFamilyNames.end()) {
    options.as_family = named->second;
  } else if (ParseNumber(family, 0xFF, value)) {
    options.as_family = static_cast<uint8_t>(value);
  } else {
    return "expected FAMILY[:MODEL], FAMILY a code (0-255) or one of vga, realtek, s3, cirrus, "
           "tseng, ati, intel, umc, wd, sis, oak, trident";
  }
  if (colon != std::string::npos) {
    if (!ParseNumber(std::string_view(text).substr(colon + 1), 0xFFFF, value)) {
      return "MODEL must be a number from 0 to 65535 (0x prefix for hexadecimal)";
    }
    options.as_model = static_cast<uint16_t>(value);
  }
  return {};
}

std::string ParseExtraCard(const std::string& text, const std::vector<std::string>& cards,
                           ExtraCard& extra) {
  const auto at = text.find('@');
  unsigned slot = 0;
  if (at == std::string::npos || !ParseNumber(std::string_view(text).substr(at + 1), 511, slot)) {
    return "expected NAME@SLOT with SLOT from 0 to 511 (bus * 32 + device)";
  }
  extra.name = text.substr(0, at);
  extra.slot = static_cast<uint16_t>(slot);
  if (std::find(cards.begin(), cards.end(), extra.name) == cards.end()) {
    return "no card named " + extra.name + " (see --list-cards)";
  }
  return {};
}

}  // namespace

const char* StandardName(uint8_t standard) {
  switch (standard) {
    case engine::vsPAL:
      return "pal";
    case engine::vsNTSC:
      return "ntsc";
    case engine::vs24kHz:
      return "24khz";
    default:
      return "vga";
  }
}

const char* MoveName(Move move) {
  switch (move) {
    case Move::kUp:
      return "up";
    case Move::kDown:
      return "down";
    case Move::kLeft:
      return "left";
    case Move::kRight:
      return "right";
  }
  return "?";
}

std::optional<int> ParseScopeOptions(int argc, const char* const* argv, ScopeOptions& options,
                                     std::ostream& out, std::ostream& err) {
  CLI::App app{
      "zanvo-scope: shows what a virtual graphics card sends to the monitor before and after\n"
      "ZANVO reprograms it for a TV or 24 kHz standard. The card, its desktop mode and the\n"
      "PC timer are simulated; the signal is derived from the card's registers alone.",
      "zanvo-scope"};
  app.get_formatter()->column_width(34);

  std::vector<std::string> cards;
  for (const auto& name : virt::CardNames())
    cards.emplace_back(name);

  std::vector<std::string> chosen_cards;
  app.add_option("--card", chosen_cards,
                 "Graphics card to simulate (default vga); with --matrix repeatable, to narrow\n"
                 "the matrix to these cards")
      ->check(CLI::IsMember(cards))
      ->allow_extra_args(false);

  std::string mode = "640x480";
  const auto* mode_option =
      app.add_option("--mode", mode, "Desktop mode WIDTHxHEIGHT set by the card's driver")
          ->capture_default_str();
  app.add_option("--load-registers", options.load_registers,
                 "Write a card's registers from FILE (JSON as --registers --json prints it)\n"
                 "over the driver's mode; they become the desktop mode. Without --mode the\n"
                 "size comes from the loaded registers")
      ->type_name("FILE");

  const std::map<std::string, int> standards{{"vga", engine::vsVGA},
                                             {"pal", engine::vsPAL},
                                             {"ntsc", engine::vsNTSC},
                                             {"24khz", engine::vs24kHz}};
  int standard = engine::vsVGA;
  app.add_option("--standard", standard,
                 "Output standard: vga (monitor timings), pal, ntsc or 24khz")
      ->transform(CLI::CheckedTransformer(standards, CLI::ignore_case))
      ->default_str("vga");

  app.add_flag("--positive-sync", options.positive_sync,
               "Set both sync polarity bits, as the window's \"Positive sync polarity\" box");
  app.add_flag("--no-interlace", options.no_interlace,
               "Never use the chip's interlace; fit tall modes by skipping lines");
  app.add_flag("--odd-even-vsync", options.odd_even_vsync,
               "Make the vertical sync one count shorter");

  const std::map<std::string, Move> moves{
      {"up", Move::kUp}, {"down", Move::kDown}, {"left", Move::kLeft}, {"right", Move::kRight}};
  app.add_option("--move", options.moves,
                 "Move the picture one step up, down, left or right (repeatable, applied in\n"
                 "order after the standard)")
      ->transform(CLI::CheckedTransformer(moves, CLI::ignore_case))
      ->allow_extra_args(false);

  app.add_flag("--readout", options.readout,
               "Measure the scan frequencies with the PC timer, as the window shows them");
  app.add_flag("--registers", options.registers,
               "Also print the card's registers (misc, CRTC, sequencer, graphics, attribute)");
  app.add_flag("--json", options.json, "Print JSON for scripts instead of text");

  const std::map<std::string, PciMode> pci_modes{
      {"1", PciMode::kMechanism1}, {"2", PciMode::kMechanism2}, {"none", PciMode::kNone}};
  app.add_option("--pci", options.pci,
                 "PCI configuration mechanism of the virtual PC: 1, 2 or none")
      ->transform(CLI::CheckedTransformer(pci_modes, CLI::ignore_case))
      ->default_str("1");
  app.add_flag("--stopped-timer", options.stopped_timer,
               "The virtual PC's timer does not count: see what the field check and the\n"
               "readout make of it");
  std::vector<std::string> extra_cards;
  app.add_option("--extra-card", extra_cards,
                 "Another adapter NAME in PCI slot SLOT (bus * 32 + device), as NAME@SLOT;\n"
                 "repeatable. Only the --card adapter drives the VGA ports")
      ->allow_extra_args(false);
  app.add_flag("--detect", options.detect,
               "Detect the chipset, as the window's Detect button, and use the result");
  std::string as;
  app.add_option("--as", as,
                 "The chipset chosen by hand, FAMILY[:MODEL] (code or name, e.g. s3:0x11);\n"
                 "overrides detection");
  app.add_flag("--next", options.next,
               "After detection walk on to the next PCI adapter, as the Next button\n"
               "(repeatable)");
  app.add_flag("--list-cards", options.list_cards, "List the virtual cards and exit");
  app.add_flag("--matrix", options.matrix,
               "The compatibility matrix: every card (or the --card ones), desktop mode,\n"
               "standard and interlace choice, with the outcome the program leaves");
  app.add_flag("--csv", options.csv, "With --matrix: print CSV");
  app.add_flag("--markdown", options.markdown,
               "With --matrix: print the Markdown page of the project's documentation");
  app.add_option("--png", options.png,
                 "Also write a picture to FILE (PNG): the set's screen as it shows the signal,\n"
                 "and one field of the signal to scale with the part the screen shows");

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    out << app.help();
    return 0;
  } catch (const CLI::ParseError& e) {
    err << "zanvo-scope: " << e.what() << "\n"
        << "Run with --help for the options.\n";
    return 2;
  }

  if (!chosen_cards.empty()) options.card = chosen_cards.front();
  if (options.matrix) {
    options.matrix_cards = chosen_cards;
    if (!options.load_registers.empty()) {
      err << "zanvo-scope: --matrix runs the drivers' own modes; it does not take "
             "--load-registers\n";
      return 2;
    }
    if (options.stopped_timer) {
      err << "zanvo-scope: --matrix runs on a working PC; it does not take --stopped-timer\n";
      return 2;
    }
    if (int(options.json) + int(options.csv) + int(options.markdown) > 1) {
      err << "zanvo-scope: --matrix prints one of --json, --csv or --markdown\n";
      return 2;
    }
  } else if (chosen_cards.size() > 1) {
    err << "zanvo-scope: --card is given once, except with --matrix\n";
    return 2;
  } else if (options.csv || options.markdown) {
    err << "zanvo-scope: --csv and --markdown print the matrix: use them with --matrix\n";
    return 2;
  }
  if (const auto problem = ParseMode(mode, options.width, options.height); !problem.empty()) {
    err << "zanvo-scope: --mode " << mode << ": " << problem << "\n";
    return 2;
  }
  options.mode_given = mode_option->count() > 0;
  options.standard = static_cast<uint8_t>(standard);
  if (!as.empty()) {
    if (const auto problem = ParseAs(as, options); !problem.empty()) {
      err << "zanvo-scope: --as " << as << ": " << problem << "\n";
      return 2;
    }
  }
  for (const auto& text : extra_cards) {
    ExtraCard extra;
    if (const auto problem = ParseExtraCard(text, cards, extra); !problem.empty()) {
      err << "zanvo-scope: --extra-card " << text << ": " << problem << "\n";
      return 2;
    }
    options.extra_cards.push_back(extra);
  }
  if (options.next > 0 && !options.detect) {
    err << "zanvo-scope: --next walks on from a detection: use it with --detect\n";
    return 2;
  }
  if (options.list_cards) {
    for (const auto& name : cards) {
      const auto card = virt::MakeCard(name);
      char line[80];
      std::snprintf(line, sizeof line, "%-18s family %3u, model 0x%04X\n", name.c_str(),
                    unsigned{card->family()}, unsigned{card->model()});
      out << line;
    }
    return 0;
  }
  return std::nullopt;
}

}  // namespace zanvo::scope
