#include "scope_help.h"

#include "platform/virtual/card_catalog.h"

namespace zanvo::scope {

std::string ScopeHelpFooter() {
  std::string cards;
  size_t column = 2;
  for (const std::string_view name : virt::CardNames()) {
    if (column + name.size() + 2 > 90) {
      cards += "\n ";
      column = 2;
    }
    cards += ' ';
    cards.append(name);
    cards += ',';
    column += name.size() + 2;
  }
  cards.pop_back();
  std::string footer =
      "Cards:\n"
      "  the names --card and --extra-card take, in any case (--list-cards shows their chips\n"
      "  and desktop modes):\n";
  footer += cards;
  footer += "\n\n"
         "Exit status:\n"
         "  0  done\n"
         "  1  the --png picture could not be written\n"
         "  2  a bad option, a desktop mode the card's driver does not offer, or a register\n"
         "     file that cannot be used (the message says which)\n"
         "\n"
         "Examples:\n"
         "  zanvo-scope --mode 800x600 --standard ntsc --move up --readout\n"
         "      NTSC on the default card's 800x600 desktop, moved up a step, with the readout\n"
         "  zanvo-scope --card tseng-et4000 --standard pal --modeline\n"
         "      PAL on the ET4000 and the signal as an X11 modeline\n"
         "  zanvo-scope --card s3-trio64 --standard pal --png pal.png\n"
         "      PAL and a picture of what the set shows\n"
         "  zanvo-scope --card sis-300 --extra-card intel-i740@200 --detect --next\n"
         "      Detect, with another adapter ahead of the screen's, then Next\n"
         "  zanvo-scope --matrix --card s3-trio64 --csv\n"
         "      One card's compatibility matrix as CSV\n";
  return footer;
}

}  // namespace zanvo::scope
