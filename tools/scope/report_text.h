#pragma once

#include <iosfwd>

#include "scope_session.h"

namespace zanvo::scope {

// The report for people: the desktop mode's signal, what the standard made of it, the readout.
// The field check's lines: what was timed and the verdict it reached, or why none.
void PrintFieldCheck(const FieldCheckReport& c, std::ostream& out);
void PrintTextReport(const ScopeOptions& options, const ScopeReport& report, std::ostream& out);

}  // namespace zanvo::scope
