#pragma once
// zanvo-scope run in-process as a user runs it: its exit status, what it printed, its JSON.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "scope_main.h"

namespace zanvo::scope {

struct ScopeRun {
  int status;
  std::string out, err;
};

inline ScopeRun RunScopeWith(std::vector<const char*> args) {
  args.insert(args.begin(), "zanvo-scope");
  std::ostringstream out, err;
  const int status = ScopeMain(static_cast<int>(args.size()), args.data(), out, err);
  return {status, out.str(), err.str()};
}

// Runs with --json; a failed run is a test failure and gives an empty object.
inline nlohmann::json RunJson(std::vector<const char*> args) {
  args.push_back("--json");
  const ScopeRun run = RunScopeWith(args);
  EXPECT_EQ(run.status, 0) << run.err;
  return run.status == 0 ? nlohmann::json::parse(run.out) : nlohmann::json::object();
}

}  // namespace zanvo::scope
