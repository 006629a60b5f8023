#include "scope_options.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <initializer_list>
#include <ostream>
#include <sstream>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>

#include "bus_options.h"
#include "card_list.h"
#include "chip_names.h"
#include "engine/chip_codes.h"
#include "name_match.h"
#include "option_errors.h"
#include "scope_help.h"
#include "platform/virtual/card_catalog.h"
#include "platform/virtual/signal/desktop_mode.h"

namespace zanvo::scope {
namespace {

// "256", "512K", "1M", "2MB" (any case) -> KiB; anything else is refused with a message.
std::string ParseMemory(std::string_view text, uint32_t& kib) {
  const std::string_view expected =
      "expected a size in KB, or in MB with M, for example 512, 512K, 1M or 2MB";
  unsigned value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc{} || end == text.data() || value == 0) return std::string(expected);
  std::string unit(end, text.data() + text.size());
  for (char& c : unit)
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  unsigned scale = 0;
  if (unit.empty() || unit == "K" || unit == "KB") scale = 1;
  if (unit == "M" || unit == "MB") scale = 1024;
  if (scale == 0 || value > (1u << 20) / scale) return std::string(expected);
  kib = value * scale;
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

// The value of a name-only option: one of `names` in any case, else nothing.
template <typename Value>
std::optional<Value> Named(const std::string& text,
                           std::initializer_list<std::pair<const char*, Value>> names) {
  for (const auto& [name, value] : names) {
    if (SameIgnoringCase(text, name)) return value;
  }
  return std::nullopt;
}

std::string ParseExtraCard(const std::string& text, const std::vector<std::string>& cards,
                           ExtraCard& extra) {
  const auto at = text.find('@');
  unsigned slot = 0;
  if (at == std::string::npos || !ParseNumber(std::string_view(text).substr(at + 1), 511, slot)) {
    return "expected NAME@SLOT with SLOT from 0 to 511 (bus * 32 + device)";
  }
  const std::string typed = text.substr(0, at);
  extra.slot = static_cast<uint16_t>(slot);
  const auto name = FindName(typed, cards);
  if (!name) return "no card named " + typed + DidYouMean(typed, cards) + " (see --list-cards)";
  extra.name = *name;
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
  app.footer(
      ScopeHelpFooter());

  std::vector<std::string> cards;
  for (const auto& name : virt::CardNames())
    cards.emplace_back(name);

  // Options that name a choice keep the name as typed and are read after parsing, so that the
  // help shows the names alone and nothing but a name is taken.
  std::vector<std::string> chosen_cards;
  app.add_option("--card", chosen_cards,
                 "Graphics card to simulate (default " + std::string(virt::kDefaultCardName) +
                     "; see --list-cards), any case;\n"
                 "with --matrix repeatable, to narrow the matrix to these cards")
      ->type_name("NAME")
      ->allow_extra_args(false);

  std::string mode = "640x480";
  app.add_option("--mode", mode,
                 "Desktop mode set by the card's driver (default 640x480; 640X480 too),\n"
                 "with its colour depth in bits (4, 8, 15, 16, 24 or 32), for example\n"
                 "800x600x16; without one 256 colours, or 16 where the card has no\n"
                 "256-colour mode of that size")
      ->type_name("WxH[xDEPTH]");
  std::string memory;
  app.add_option("--memory", memory,
                 "The card's video memory, one of the sizes its boards were sold with\n"
                 "(default: the common one; see --list-cards), in KB or with M: 512, 1M")
      ->type_name("SIZE");
  app.add_option("--load-registers", options.load_registers,
                 "Write a card's registers from FILE (JSON as --registers --json prints it)\n"
                 "over the driver's mode; they become the desktop mode. Without --mode the\n"
                 "size comes from the loaded registers")
      ->type_name("FILE");

  std::string standard = "vga";
  app.add_option("--standard", standard, "Output standard (default vga: monitor timings); any case")
      ->type_name("vga|pal|ntsc|24khz");

  app.add_flag("--positive-sync", options.positive_sync,
               "Set both sync polarity bits, as the window's \"Positive sync polarity\" box");
  app.add_flag("--no-interlace", options.no_interlace,
               "Never use the chip's interlace; fit tall modes by skipping lines");
  app.add_flag("--odd-even-vsync", options.odd_even_vsync,
               "Make the vertical sync one count shorter");
  app.add_flag("--computed", options.computed,
               "Computed timings, as the tray menu's item: where the tables have no row for\n"
               "the width or the line count, the engine computes one");

  std::vector<std::string> moves;
  app.add_option("--move", moves,
                 "Move the picture one step (repeatable, applied in order after the\n"
                 "standard; ignored on monitor timings, as the arrow buttons are)")
      ->type_name("up|down|left|right")
      ->allow_extra_args(false);

  app.add_flag("--readout", options.readout,
               "Measure the scan frequencies with the PC timer, as the window shows them");
  app.add_flag("--registers", options.registers,
               "Also print the card's registers (misc, CRTC, sequencer, graphics, attribute)");
  app.add_flag("--json", options.json, "Print JSON for scripts instead of text");

  std::string pci = "1";
  app.add_option("--pci", pci, "PCI configuration mechanism of the virtual PC (default 1)")
      ->type_name("1|2|none");
  app.add_flag("--stopped-timer", options.stopped_timer,
               "The virtual PC's timer does not count: see what the field check and the\n"
               "readout make of it");
  BusTexts bus;
  AddBusOptions(app, bus);
  std::vector<std::string> extra_cards;
  app.add_option("--extra-card", extra_cards,
                 "Another adapter NAME in PCI slot SLOT (bus * 32 + device); repeatable.\n"
                 "Only the --card adapter drives the VGA ports")
      ->type_name("NAME@SLOT")
      ->allow_extra_args(false);
  app.add_flag("--detect", options.detect,
               "Detect the chipset, as the window's Detect button, and use the result");
  std::string as;
  app.add_option("--as", as,
                 "The chipset chosen by hand, overriding detection: FAMILY a name as the\n"
                 "window's brand list shows it or a short one (s3, tseng, wd, ...), any\n"
                 "case, or a code; MODEL an entry of that brand's model list by name, any\n"
                 "case, or its code in hexadecimal (s3:trio32/64, s3:0x11, sis:SiS300)")
      ->type_name("FAMILY[:MODEL]");
  app.add_flag("--next", options.next,
               "After detection walk on to the next PCI adapter, as the Next button\n"
               "(repeatable)");
  app.add_flag("--list-cards", options.list_cards,
               "List the virtual cards with their chips and desktop modes, and exit;\n"
               "with --card that card alone, with --memory too its modes on that memory");
  app.add_flag("--matrix", options.matrix,
               "The compatibility matrix: every card (or the --card ones), desktop mode,\n"
               "standard and interlace choice, with the outcome the program leaves");
  app.add_flag("--csv", options.csv, "With --matrix: print CSV");
  app.add_flag("--markdown", options.markdown,
               "With --matrix: print the Markdown page of the project's documentation");
  app.add_option("--png", options.png,
                 "Also write a picture to FILE (PNG; - for standard output): the set's screen\n"
                 "as it shows the signal, and one field of the signal to scale with the part\n"
                 "the screen shows")
      ->type_name("FILE");
  app.add_flag("--modeline", options.modeline,
               "Also print the signal the card sends after the run as an X11 modeline\n"
               "(pixel clock in MHz, horizontal counts in pixels, vertical in lines)");
  bool version = false;
  app.add_flag("--version", version, "Print the version and exit");

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    out << app.help();
    return 0;
  } catch (const CLI::ParseError& e) {
    err << "zanvo-scope: " << ExplainParseError(app, e, argc, argv) << "\n"
        << "Run with --help for the options.\n";
    return 2;
  }
  if (version) {
    out << "zanvo-scope " << ZANVO_VERSION << "\n";
    return 0;
  }
  auto refuse = [&err](const std::string& message) {
    err << "zanvo-scope: " << message << "\n";
    return 2;
  };

  for (auto& card : chosen_cards) {
    const auto name = FindName(card, cards);
    if (!name) {
      return refuse("--card " + card + ": no card named " + card + DidYouMean(card, cards) +
                    " (see --list-cards)");
    }
    card = *name;
  }
  if (app.count("--png") > 0 && options.png.empty()) {
    return refuse("--png needs a file name (- writes the picture to standard output)");
  }

  if (!chosen_cards.empty()) options.card = chosen_cards.front();
  if (options.matrix) {
    options.matrix_cards = chosen_cards;
    // The matrix runs each card's own chipset over the drivers' own modes, every standard and
    // both interlace choices: an option that would change one run has no place in it.
    for (const char* name :
         {"--load-registers", "--mode", "--memory", "--standard", "--positive-sync", "--no-interlace",
          "--odd-even-vsync", "--computed", "--move", "--readout", "--registers", "--pci",
          "--extra-card", "--detect", "--as", "--next", "--list-cards", "--png", "--modeline"}) {
      if (app.count(name) > 0) {
        return refuse(std::string("--matrix runs every card's own chipset over its driver's "
                                  "modes and every standard; it does not take ") +
                      name);
      }
    }
    if (options.stopped_timer) {
      err << "zanvo-scope: --matrix runs on a working PC; it does not take --stopped-timer\n";
      return 2;
    }
    if (AnyBusOption(bus)) {
      return refuse("--matrix runs on the default bus; it does not take the bus options");
    }
    if (int(options.json) + int(options.csv) + int(options.markdown) > 1) {
      return refuse("--matrix prints one of --json, --csv or --markdown");
    }
  } else if (chosen_cards.size() > 1) {
    return refuse("--card is given once, except with --matrix");
  } else if (options.csv || options.markdown) {
    return refuse("--csv and --markdown print the matrix: use them with --matrix");
  }
  std::string mode_problem;
  const auto parsed = virt::ParseDesktopMode(mode, mode_problem);
  if (!parsed) return refuse("--mode " + mode + ": " + mode_problem);
  options.width = parsed->width;
  options.height = parsed->height;
  options.bits_per_pixel = parsed->bits_per_pixel;
  options.depth_given = std::count_if(mode.begin(), mode.end(),
                                      [](char c) { return c == 'x' || c == 'X'; }) == 2;
  if (app.count("--memory") > 0) {
    if (const auto bad = ParseMemory(memory, options.memory_kib); !bad.empty())
      return refuse("--memory " + memory + ": " + bad);
  }
  options.mode_given = app.count("--mode") > 0;

  const auto standard_code = Named<uint8_t>(standard, {{"vga", engine::vsVGA},
                                                       {"pal", engine::vsPAL},
                                                       {"ntsc", engine::vsNTSC},
                                                       {"24khz", engine::vs24kHz}});
  if (!standard_code)
    return refuse("--standard " + standard + ": expected vga, pal, ntsc or 24khz" +
                  DidYouMean(standard, {"vga", "pal", "ntsc", "24khz"}));
  options.standard = *standard_code;

  for (const auto& text : moves) {
    const auto move = Named<Move>(
        text,
        {{"up", Move::kUp}, {"down", Move::kDown}, {"left", Move::kLeft}, {"right", Move::kRight}});
    if (!move) {
      return refuse("--move " + text + ": expected up, down, left or right" +
                    DidYouMean(text, {"up", "down", "left", "right"}));
    }
    options.moves.push_back(*move);
  }

  const auto pci_mode = Named<PciMode>(
      pci, {{"1", PciMode::kMechanism1}, {"2", PciMode::kMechanism2}, {"none", PciMode::kNone}});
  if (!pci_mode) return refuse("--pci " + pci + ": expected 1, 2 or none");
  options.pci = *pci_mode;

  if (!as.empty()) {
    ChipChoice choice;
    if (const auto problem = ParseChipChoice(as, choice); !problem.empty()) {
      return refuse("--as " + as + ": " + problem);
    }
    options.as_family = choice.family;
    options.as_model = choice.model;
  }
  for (const auto& text : extra_cards) {
    ExtraCard extra;
    if (const auto problem = ParseExtraCard(text, cards, extra); !problem.empty()) {
      return refuse("--extra-card " + text + ": " + problem);
    }
    options.extra_cards.push_back(extra);
  }
  if (const auto problem = ParseBusOptions(bus, options.bus); !problem.empty()) {
    return refuse(problem);
  }
  if (options.next > 0 && !options.detect) {
    return refuse("--next walks on from a detection: use it with --detect");
  }
  if (options.list_cards) {
    // A memory size belongs to one card's boards: the list takes it for the card named only.
    if (app.count("--memory") > 0 && chosen_cards.empty()) {
      return refuse("--list-cards takes --memory for one card: name it with --card");
    }
    const std::string only = chosen_cards.empty() ? "" : options.card;
    std::string error;
    std::ostringstream list;
    if (options.json) {
      const nlohmann::json cards = CardListJson(only, options.memory_kib, error);
      if (error.empty()) list << cards.dump(2) << "\n";
    } else {
      PrintCardList(list, only, options.memory_kib, error);
    }
    if (!error.empty()) return refuse("--memory " + memory + ": " + error);
    out << list.str();
    return 0;
  }
  return std::nullopt;
}

}  // namespace zanvo::scope
