#pragma once
// The end-to-end scenarios. Each starts from a first run (no stored settings) and starts the
// program as few times as it can, since every start under Wine takes seconds.

#include <span>
#include <string>

namespace e2e {

struct ScenarioContext {
  std::string program;     // Windows path of zanvo-virtual.exe
  std::string output_dir;  // Windows path of the folder for pictures
};

struct NamedScenario {
  const char* name;
  void (*run)(const ScenarioContext&);
};

// Runs the scenario of that name from `scenarios`; false when there is none. Failures throw
// Failure.
bool RunNamedScenario(std::span<const NamedScenario> scenarios, const std::string& name,
                      const ScenarioContext& context);
// The names, separated by commas.
std::string NamesOf(std::span<const NamedScenario> scenarios);

// The scenarios of zanvo-virtual.exe.
std::span<const NamedScenario> Scenarios();

}  // namespace e2e
