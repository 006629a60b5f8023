#include "program.h"

#include <vector>

#include "check.h"

namespace e2e {

Program::Program(const std::string& exe_path, const char* working_dir,
                 const std::string& arguments) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  std::string command = "\"" + exe_path + "\"";
  if (!arguments.empty()) command += " " + arguments;
  std::vector<char> line(command.begin(), command.end());
  line.push_back('\0');
  if (!CreateProcessA(exe_path.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      working_dir, &startup, &info_)) {
    Fail(Format("could not start %s (error %lu)", exe_path.c_str(), GetLastError()));
  }
}

Program::Program(DWORD pid) {
  info_.hProcess = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION, FALSE,
                               pid);
  if (info_.hProcess == nullptr) Fail(Format("could not open process %lu", pid));
  info_.dwProcessId = pid;
}

Program::~Program() {
  if (Running()) {
    TerminateProcess(info_.hProcess, 99);
    WaitForSingleObject(info_.hProcess, 5000);
  }
  if (info_.hThread != nullptr) CloseHandle(info_.hThread);
  CloseHandle(info_.hProcess);
}

bool Program::Running() const {
  return WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

DWORD Program::WaitForExit(DWORD timeout_ms, const char* what) {
  if (WaitForSingleObject(info_.hProcess, timeout_ms) != WAIT_OBJECT_0)
    Fail(Format("the program did not end within %lu s after %s", timeout_ms / 1000, what));
  DWORD code = 0;
  GetExitCodeProcess(info_.hProcess, &code);
  return code;
}

}  // namespace e2e
