#include "option_errors.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "name_match.h"

namespace zanvo::scope {
namespace {

std::vector<std::string> OptionNames(const CLI::App& app) {
  std::vector<std::string> names;
  for (const CLI::Option* option : app.get_options()) {
    for (const std::string& name : option->get_lnames())
      names.push_back("--" + name);
    for (const std::string& name : option->get_snames())
      names.push_back("-" + name);
  }
  return names;
}

// "--card=vga" names the option "--card".
std::string_view OptionPart(std::string_view word) {
  const auto equals = word.find('=');
  return equals == std::string_view::npos ? word : word.substr(0, equals);
}

}  // namespace

std::string ExplainParseError(const CLI::App& app, const CLI::ParseError& error, int argc,
                              const char* const* argv) {
  if (dynamic_cast<const CLI::ExtrasError*>(&error) == nullptr) return error.what();
  const std::vector<std::string> names = OptionNames(app);
  // An option nobody knows is the likelier slip (its value is left over too): it is named first,
  // in the order typed.
  for (int i = 1; i < argc; ++i) {
    const std::string_view word = OptionPart(argv[i]);
    if (word.size() < 2 || word[0] != '-' || word == "--") continue;
    if (std::find(names.begin(), names.end(), word) != names.end()) continue;
    return "option " + std::string(word) + " not understood" + DidYouMean(word, names) +
           " (see --help)";
  }
  // A value with no option before it, or a second one after an option that takes one.
  const std::vector<std::string> leftovers = app.remaining();
  for (int i = 1; i < argc; ++i) {
    if (std::find(leftovers.begin(), leftovers.end(), argv[i]) != leftovers.end()) {
      return std::string(argv[i]) +
             " not understood: each value follows its option, as in --standard pal (see --help)";
    }
  }
  return error.what();
}

}  // namespace zanvo::scope
