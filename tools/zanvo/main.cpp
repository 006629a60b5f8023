// zanvo for the Linux console: the real ports, /dev/mem, SCHED_FIFO and the private files.

#include <unistd.h>

#include <chrono>
#include <csignal>
#include <iostream>

#include "platform/linux/dev_mem.h"
#include "platform/linux/linux_ports.h"
#include "platform/linux/private_files.h"
#include "platform/linux/realtime_hold.h"
#include "terminal_answers.h"
#include "zanvo_run.h"

namespace {

volatile std::sig_atomic_t g_interrupted = 0;

void NoteInterruption(int) { g_interrupted = 1; }

// Ctrl+C, a hang-up or a termination request no longer end the program where it stands (with a
// TV standard on the card and nobody asked): the keep question takes them as its close box, and
// the card goes back.
void CatchInterruptions() {
  struct sigaction action {};
  action.sa_handler = NoteInterruption;
  sigemptyset(&action.sa_mask);
  for (const int signal : {SIGINT, SIGHUP, SIGTERM}) sigaction(signal, &action, nullptr);
  // Ctrl+Z would stop the program with the TV standard on the card and the lock held for as
  // long as nobody resumes it: the run is short, it is not stopped. (A read from the terminal
  // in the background then fails, and the question closes as its close box closes it.)
  action.sa_handler = SIG_IGN;
  for (const int signal : {SIGTSTP, SIGTTIN, SIGTTOU}) sigaction(signal, &action, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  using namespace zanvo;
  const console::ParsedCommandLine parsed = console::ParseZanvoCommandLine(argc, argv);
  if (parsed.exit_code) {
    std::cout << parsed.output;
    if (!parsed.error.empty()) std::cerr << parsed.error << "\n";
    return *parsed.exit_code;
  }
  CatchInterruptions();
  linux_pc::LinuxPortAccess access;
  const bool opened = access.Initialize();
  linux_pc::LinuxPorts ports;
  linux_pc::DevMem memory;
  linux_pc::RealtimeHold hold;
  console::TerminalAnswers answers(STDIN_FILENO, &g_interrupted);
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
