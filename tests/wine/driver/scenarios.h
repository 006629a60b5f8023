#pragma once
// The end-to-end scenarios. Each starts from a first run (no stored settings) and starts the
// program as few times as it can, since every start under Wine takes seconds.

#include <string>

namespace e2e {

struct ScenarioContext {
  std::string program;     // Windows path of zanvo-virtual.exe
  std::string output_dir;  // Windows path of the folder for pictures
};

// Runs the named scenario; returns false for an unknown name. Failures throw Failure.
bool RunScenario(const std::string& name, const ScenarioContext& context);

const char* ScenarioNames();

}  // namespace e2e
