#pragma once
// Where --png puts its picture: a file, or standard output for "-"; a folder or a missing one is
// named in the message.

#include <iosfwd>
#include <string>

#include "scope_options.h"
#include "scope_session.h"

namespace zanvo::scope {

// Writes the picture to options.png; "-" writes it to `out`. Returns what went wrong, or empty.
std::string WritePicture(const ScopeOptions& options, const ScopeReport& report,
                         std::ostream& out);

}  // namespace zanvo::scope
