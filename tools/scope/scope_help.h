#pragma once
// The end of zanvo-scope --help, which the manual page is made from: exit statuses, the card
// names and a few examples.

#include <string>

namespace zanvo::scope {

std::string ScopeHelpFooter();

}  // namespace zanvo::scope
