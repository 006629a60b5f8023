#pragma once
// What zanvo-scope says when CLI11 refuses the command line: for words it did not expect, the
// first one it did not understand and the option meant, rather than CLI11's list of leftovers.

#include <CLI/CLI.hpp>
#include <string>

namespace zanvo::scope {

std::string ExplainParseError(const CLI::App& app, const CLI::ParseError& error, int argc,
                              const char* const* argv);

}  // namespace zanvo::scope
