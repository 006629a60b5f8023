#include "scope_options.h"

#include <CLI/CLI.hpp>
#include <charconv>
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

  app.add_option("--card", options.card, "Graphics card to simulate")
      ->check(CLI::IsMember(cards))
      ->capture_default_str();

  std::string mode = "640x480";
  app.add_option("--mode", mode, "Desktop mode WIDTHxHEIGHT set by the card's driver")
      ->capture_default_str();

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

  if (const auto problem = ParseMode(mode, options.width, options.height); !problem.empty()) {
    err << "zanvo-scope: --mode " << mode << ": " << problem << "\n";
    return 2;
  }
  options.standard = static_cast<uint8_t>(standard);
  return std::nullopt;
}

}  // namespace zanvo::scope
