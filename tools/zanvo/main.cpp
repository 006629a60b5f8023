// zanvo for the Linux console: the real ports, /dev/mem, SCHED_FIFO and the private files.

#include <unistd.h>

#include <chrono>
#include <iostream>

#include "platform/linux/dev_mem.h"
#include "platform/linux/linux_ports.h"
#include "platform/linux/private_files.h"
#include "platform/linux/realtime_hold.h"
#include "terminal_answers.h"
#include "zanvo_run.h"

int main(int argc, char** argv) {
  using namespace zanvo;
  const console::ParsedCommandLine parsed = console::ParseZanvoCommandLine(argc, argv);
  if (parsed.exit_code) {
    std::cout << parsed.output;
    if (!parsed.error.empty()) std::cerr << parsed.error << "\n";
    return *parsed.exit_code;
  }
  linux_pc::LinuxPortAccess access;
  const bool opened = access.Initialize();
  linux_pc::LinuxPorts ports;
  linux_pc::DevMem memory;
  linux_pc::RealtimeHold hold;
  console::TerminalAnswers answers(STDIN_FILENO);
  const auto start = std::chrono::steady_clock::now();
  console::ZanvoMachine machine{
      ports,
      memory,
      &hold,
      opened,
      access.failure(),
      [start] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      },
      linux_pc::kRunDirectory,
      linux_pc::kSettingsDirectory,
      0,  // root
      answers,
      std::cout,
      std::cerr};
  const int status = console::RunZanvo(parsed.options, machine);
  access.Shutdown();
  return status;
}
