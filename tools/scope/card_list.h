#pragma once
// --list-cards: the virtual cards with their chips as the window names them and the desktop
// modes their drivers offer.

#include <iosfwd>

namespace zanvo::scope {

void PrintCardList(std::ostream& out);

}  // namespace zanvo::scope
