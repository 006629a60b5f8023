#pragma once

#include <iosfwd>

namespace zanvo::scope {

// The whole program: parse, run, print. Returns the exit status (0 ok, 2 bad options).
int ScopeMain(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

}  // namespace zanvo::scope
