#pragma once

#include <iosfwd>

#include "scope_session.h"

namespace zanvo::scope {

// The report for people: the desktop mode's signal, what the standard made of it, the readout.
void PrintTextReport(const ScopeOptions& options, const ScopeReport& report, std::ostream& out);

}  // namespace zanvo::scope
