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

// Two calls at once with no copy running each start a resident copy; one of those becomes the
// resident one, the other ends, and both calls hand their standard to the first while it still
// starts up or switches for the other call. A start-up re-sets the display and times a field:
// the calls ask again for up to 30 s, as long as a started copy is waited for.
constexpr int kMaxAsks = 300;
constexpr uint32_t kAskAgainMs = 100;
// A resident copy that ends before it is ready each time (no port access, say) is started this
// often, then the call gives up.
constexpr int kMaxResidentStarts = 3;

}  // namespace

ForwardResult TMain::CallResidentCopy(bool marker_ours) {
  const uint8_t standard = command_line_.standard;
  int starts = 0;
  ForwardResult answer = ForwardResult::kUnreachable;
  for (int ask = 0; ask < kMaxAsks; ++ask) {
    if (marker_ours) {
      // No copy runs: the resident one is started apart, so that it outlives the call.
      services_.instance.Release();
      marker_ours = false;
      ++starts;
      // Not seen through when another call's copy became the resident one: asked all the same.
      services_.windows.StartCopy(ResidentArguments(standard), true);
    }
    answer = services_.windows.ForwardStandard(standard);
    if (answer == ForwardResult::kSwitched || answer == ForwardResult::kRefused) return answer;
    if (answer == ForwardResult::kUnreachable) {
      // No copy answers: one that holds the marker is starting, or none runs (the copy this
      // call or another started ended, or has not taken the marker yet).
      const InstanceResult marker = services_.instance.Acquire(texts::kMutexName);
      if (marker == InstanceResult::kFailed) return answer;
      if (marker == InstanceResult::kFirst) {
        if (starts == kMaxResidentStarts) {
          services_.instance.Release();
          return answer;
        }
        marker_ours = true;
        continue;
      }
    }
    services_.windows.Pause(kAskAgainMs);
  }
  return answer;
}

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
        // The running copy switches; this one only carries the request and its answer. No
        // answer in the time (its window hangs on a box, or it ended and none could start
        // again) ends the call with 1 as well: a box would hold the script.
        services_.application.Terminate(ExitCodeOf(CallResidentCopy(false)));
        return true;
      }
      services_.boxes.Show(MessageKind::kInformationOk, texts::kAlreadyRunning, texts::kAppTitle);
      services_.application.Terminate(kExitSwitched);
      return true;
    case InstanceResult::kFirst:
      break;
  }
  if (!scripted || command_line_.resident) return false;
  // A script's call with no copy running: it starts the resident copy and ends with its answer,
  // as it would with a copy already there.
  visible = false;
  services_.application.Terminate(ExitCodeOf(CallResidentCopy(true)));
  return true;
}

}  // namespace zanvo::app
