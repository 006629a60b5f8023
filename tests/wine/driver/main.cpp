// zanvo-e2e-driver: works zanvo-virtual.exe, or zanvo.exe with the winio.dll test double, under
// Wine as a person would, and checks what it shows and stores.
//
//   zanvo-e2e-driver.exe PROGRAM.exe OUTPUT-FOLDER SCENARIO
//
// Exit status: 0 passed, 1 failed, 2 bad arguments.

#include <windows.h>

#include <cstdio>
#include <string>

#include "check.h"
#include "scenarios.h"
#include "screenshot.h"
#include "winio_scenarios.h"

namespace {

std::string failure_picture;

// The whole screen at the moment of failure, for whoever reads the log.
void SaveFailurePicture() {
  e2e::SaveWindowPicture(GetDesktopWindow(), failure_picture);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s PROGRAM.exe OUTPUT-FOLDER SCENARIO\nscenarios: %s, %s\n",
                 argv[0], e2e::NamesOf(e2e::Scenarios()).c_str(),
                 e2e::NamesOf(e2e::WinIoScenarios()).c_str());
    return 2;
  }
  const e2e::ScenarioContext context{argv[1], argv[2]};
  const std::string scenario = argv[3];
  std::printf("scenario %s\n", scenario.c_str());
  failure_picture = context.output_dir + "\\failure-" + scenario + ".bmp";
  e2e::SetFailureHook(SaveFailurePicture);
  try {
    if (!e2e::RunNamedScenario(e2e::Scenarios(), scenario, context) &&
        !e2e::RunNamedScenario(e2e::WinIoScenarios(), scenario, context)) {
      std::fprintf(stderr, "unknown scenario %s; scenarios: %s, %s\n", scenario.c_str(),
                   e2e::NamesOf(e2e::Scenarios()).c_str(),
                   e2e::NamesOf(e2e::WinIoScenarios()).c_str());
      return 2;
    }
  } catch (const e2e::Failure& failure) {
    std::printf("FAILED %s: %s\n", scenario.c_str(), failure.what());
    return 1;
  }
  std::printf("PASSED %s\n", scenario.c_str());
  return 0;
}
