#include "zanvo_options.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cctype>
#include <map>

#include "app/command_line.h"
#include "engine/chip_codes.h"


namespace zanvo::console {

namespace {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

constexpr const char* kFooter = R"(Exit status:
  0  the standard asked for is in force (a TV standard switched, measured and kept; vga: the
     saved registers written back, or none saved and the card at monitor timings)
  1  refused: no port access, no VGA at the standard ports, a file that is not safe to read,
     another copy running, a standard that does not fit or measures wrong, the keep question
     answered No or not at all, a saved set that could not be stored, or vga with nothing
     saved while the card is not at monitor timings
  2  a command line it does not take

Files:
  /run/zanvo/saved-registers  the registers the card held before the first switch
  /var/lib/zanvo/settings     the chipset and options of the last switch kept
  Both directories are root's alone (mode 0700); a file there that is not root's, or that
  others may write, or a saved set naming a port outside the VGA's and its chip's registers,
  is refused and nothing is written.

Examples:
  sudo zanvo pal                      PAL on the detected (or stored) chipset
  sudo zanvo ntsc --no-interlace --readout
  sudo zanvo 24khz --chipset cirrus --json
  sudo zanvo vga                      the monitor timings back, from any terminal)";

}  // namespace

ParsedCommandLine ParseZanvoCommandLine(int argc, const char* const* argv) {
  ParsedCommandLine parsed;
  ZanvoOptions& o = parsed.options;
  CLI::App app{
      "Switches the VGA's output to a PAL or NTSC TV or a 24 kHz arcade monitor, and back (vga), "
      "on the Linux console. Runs as root (sudo); checks that a VGA answers at the standard "
      "ports before it writes anything, measures every switch with the PC timer and asks on the "
      "terminal whether to keep it (15 seconds, then it goes back).",
      "zanvo"};
  app.footer(kFooter);
  app.set_version_flag("--version", std::string("zanvo ") + ZANVO_VERSION);
  std::string standard;
  std::vector<std::string> moves;
  app.add_option("standard", standard, "pal, ntsc, 24khz or vga (any case)")->required();
  app.add_option("--chipset", o.chipset,
                 "the chipset chosen by hand, FAMILY[:MODEL] as the window's lists name it "
                 "(cirrus, s3:Trio32/64, tseng:et4000, vga, or a code); without it, the stored "
                 "one or, when none is stored, the detected one");
  app.add_flag("--detect", o.detect, "detect the chipset even when one is stored");
  app.add_flag("--positive-sync", o.positive_sync, "positive sync polarity");
  app.add_flag("--no-interlace", o.no_interlace, "no interlaced modes, even where supported");
  app.add_flag("--odd-even-vsync", o.odd_even_vsync, "odd/even vertical sync size");
  app.add_flag("--computed", o.computed, "compute a timing row where the tables have none");
  app.add_option("--move", moves, "move the picture: up, down, left or right (repeatable, in order)")
      ->allow_extra_args(false);
  app.add_flag("--readout", o.readout, "measure and print the scan frequencies afterwards");
  app.add_flag("--json", o.json, "print the report as JSON");
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    parsed.exit_code = 0;
    parsed.output = app.help();
    return parsed;
  } catch (const CLI::CallForVersion& e) {
    parsed.exit_code = 0;
    parsed.output = e.what() + std::string("\n");
    return parsed;
  } catch (const CLI::ParseError& e) {
    parsed.exit_code = app::kExitUsage;
    parsed.error = std::string("zanvo: ") + e.what() + "\n(zanvo --help lists the options)";
    return parsed;
  }
  static const std::map<std::string, uint8_t> kStandards = {
      {"vga", engine::vsVGA}, {"pal", engine::vsPAL}, {"ntsc", engine::vsNTSC},
      {"24khz", engine::vs24kHz}};
  o.standard_name = Lower(standard);
  const auto found = kStandards.find(o.standard_name);
  if (found == kStandards.end()) {
    parsed.exit_code = app::kExitUsage;
    parsed.error = "zanvo: standard \"" + standard + "\" not understood; pal, ntsc, 24khz or vga";
    return parsed;
  }
  o.standard = found->second;
  // A chipset nobody has is a command line it does not take, whatever the standard: said
  // before anything is opened or written.
  if (o.chipset) {
    const std::string problem = scope::ParseChipChoice(*o.chipset, o.chip);
    if (!problem.empty()) {
      parsed.exit_code = app::kExitUsage;
      parsed.error = "zanvo: --chipset " + *o.chipset + " not understood; " + problem;
      return parsed;
    }
  }
  static const std::map<std::string, Move> kMoves = {
      {"up", Move::kUp}, {"down", Move::kDown}, {"left", Move::kLeft}, {"right", Move::kRight}};
  for (const std::string& move : moves) {
    const auto m = kMoves.find(Lower(move));
    if (m == kMoves.end()) {
      parsed.exit_code = app::kExitUsage;
      parsed.error = "zanvo: --move " + move + " not understood; up, down, left or right";
      return parsed;
    }
    o.moves.push_back(m->second);
  }
  return parsed;
}

}  // namespace zanvo::console
