// Copies of the program that one copy starts: the resident copy a script's call leaves behind
// when none runs, and the one that shows the usage box after the call has given its exit code.

#include <windows.h>

#include <string>
#include <vector>

#include "win32_window_system.h"

namespace zanvo::win32 {

namespace {

// The event a started copy sets once its start-up is over, named after that copy's process id,
// which both know without a handle passed along (inheriting handles would also hand the
// caller's console or pipes to a copy that outlives it, and keep them open).
std::string ReadyEventName(DWORD process_id) {
  return "ZanvoCopyReady-" + std::to_string(process_id);
}

// A start-up re-sets the display and times a field: seconds, not minutes.
constexpr DWORD kReadyTimeoutMs = 30000;

// Whichever comes first: the copy's start-up done (true), or its end (another copy came first,
// or it failed to start), or the time. Messages sent to this copy's window are answered
// meanwhile: the started copy's display re-set broadcasts WM_DISPLAYCHANGE with SendMessage,
// which would otherwise wait on this copy until the time is up.
bool WaitUntilReady(HANDLE ready, HANDLE process) {
  const HANDLE waited[] = {ready, process};
  const DWORD start = ::GetTickCount();
  for (DWORD waited_ms = 0; waited_ms < kReadyTimeoutMs; waited_ms = ::GetTickCount() - start) {
    const DWORD woken = ::MsgWaitForMultipleObjects(2, waited, FALSE, kReadyTimeoutMs - waited_ms,
                                                    QS_SENDMESSAGE);
    if (woken == WAIT_OBJECT_0) return true;
    if (woken != WAIT_OBJECT_0 + 2) return false;  // ended, the time, or a failed wait
    // Peeking hands the sent messages to the window; posted ones stay queued.
    MSG message;
    ::PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
  }
  return false;
}

}  // namespace

bool Win32WindowSystem::StartCopy(std::string_view arguments, bool wait_until_ready) {
  char path[MAX_PATH] = {};
  const DWORD length = ::GetModuleFileNameA(nullptr, path, sizeof path);
  if (length == 0 || length >= sizeof path) return false;
  std::vector<char> line;
  line.push_back('"');
  line.insert(line.end(), path, path + length);
  line.push_back('"');
  line.push_back(' ');
  line.insert(line.end(), arguments.begin(), arguments.end());
  line.push_back('\0');
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  // Suspended until its ready event exists, so that it cannot look for the event too early.
  if (!::CreateProcessA(path, line.data(), nullptr, nullptr, FALSE,
                        CREATE_SUSPENDED | DETACHED_PROCESS, nullptr, nullptr, &startup, &info)) {
    return false;
  }
  HANDLE ready = wait_until_ready
                     ? ::CreateEventA(nullptr, TRUE, FALSE, ReadyEventName(info.dwProcessId).c_str())
                     : nullptr;
  ::ResumeThread(info.hThread);
  bool started = !wait_until_ready;
  if (ready != nullptr) {
    started = WaitUntilReady(ready, info.hProcess);
    ::CloseHandle(ready);
  }
  ::CloseHandle(info.hThread);
  ::CloseHandle(info.hProcess);
  return started;
}

void Win32WindowSystem::AnnounceReady() {
  HANDLE ready =
      ::OpenEventA(EVENT_MODIFY_STATE, FALSE, ReadyEventName(::GetCurrentProcessId()).c_str());
  if (ready == nullptr) return;  // started by hand: nobody waits
  ::SetEvent(ready);
  ::CloseHandle(ready);
}

}  // namespace zanvo::win32
