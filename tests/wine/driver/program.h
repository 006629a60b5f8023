#pragma once
// One run of the program under test, started by the driver so that the two share the Wine
// prefix (and so the registry) and the display. A run still going when the object dies is
// terminated, so a failing scenario leaves nothing behind.

#include <windows.h>

#include <string>

namespace e2e {

class Program {
 public:
  // `working_dir` null: the driver's own current folder. `arguments` follow the program's name
  // on its command line.
  explicit Program(const std::string& exe_path, const char* working_dir = nullptr,
                   const std::string& arguments = "");
  // A run that another process started (the resident copy a script's call leaves behind).
  explicit Program(DWORD pid);
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  DWORD pid() const { return info_.dwProcessId; }
  bool Running() const;
  // Fails unless the process ends within timeout_ms; returns its exit code.
  DWORD WaitForExit(DWORD timeout_ms, const char* what);

 private:
  PROCESS_INFORMATION info_{};
};

}  // namespace e2e
