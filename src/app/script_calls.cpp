#include <string>

#include "app/main_form.h"
#include "app/texts.h"

// A copy started with arguments that end it before the usual start-up: a command line it does
// not take, a second copy handing its standard to the running one, and a script's call that
// finds no copy running. A calling script waits for the copy it started to end; none of these
// may hold it on a box or stay resident itself.

namespace zanvo::app {

namespace {

int ExitCodeOf(ForwardResult answer) {
  return answer == ForwardResult::kSwitched ? kExitSwitched : kExitNotSwitched;
}

}  // namespace

bool TMain::EndsBeforeStartUp() {
  using Kind = CommandLineRequest::Kind;
  const Kind kind = command_line_.kind;
  if (kind == Kind::kInvalid || kind == Kind::kUsage) {
    visible = false;
    // The box goes to a copy of its own, so the script has the exit code at once whatever the
    // box does (nobody may be able to read the screen); this copy shows it only when that copy
    // cannot start, or when it is that copy.
    const bool shown_apart =
        kind == Kind::kInvalid &&
        services_.windows.StartCopy(UsageArguments(command_line_.not_understood), false);
    if (!shown_apart) {
      services_.boxes.Show(MessageKind::kInformationOk, UsageText(command_line_.not_understood),
                           texts::kAppTitle);
    }
    services_.application.Terminate(kExitUsage);
    return true;
  }
  const bool scripted = kind == Kind::kStandard;
  switch (services_.instance.Acquire(texts::kMutexName)) {
    case InstanceResult::kFailed:
      services_.application.Terminate(scripted ? kExitNotSwitched : kExitSwitched);
      return true;
    case InstanceResult::kAlreadyRunning:
      visible = false;
      // Another copy became the resident one first (two calls at once): the call that started
      // this one hands its standard to that copy.
      if (command_line_.resident) {
        services_.application.Terminate(kExitNotSwitched);
        return true;
      }
      if (scripted) {
        // The running copy switches; this one only carries the request and its answer.
        const ForwardResult answer = services_.windows.ForwardStandard(command_line_.standard);
        if (answer != ForwardResult::kUnreachable) {
          services_.application.Terminate(ExitCodeOf(answer));
          return true;
        }
      }
      services_.boxes.Show(MessageKind::kInformationOk, texts::kAlreadyRunning, texts::kAppTitle);
      services_.application.Terminate(scripted ? kExitNotSwitched : kExitSwitched);
      return true;
    case InstanceResult::kFirst:
      break;
  }
  if (!scripted || command_line_.resident) return false;
  // A script's call with no copy running: the resident copy is started apart, so that it
  // outlives the call, and the call ends with its answer as it would with a copy already there.
  visible = false;
  services_.instance.Release();
  services_.windows.StartCopy(ResidentArguments(command_line_.standard), true);
  // Also when the start was not seen through: another call may have started a copy meanwhile.
  services_.application.Terminate(
      ExitCodeOf(services_.windows.ForwardStandard(command_line_.standard)));
  return true;
}

}  // namespace zanvo::app
