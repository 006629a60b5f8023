#pragma once
// Failure reporting and bounded waiting for the end-to-end driver. Every wait polls with a
// deadline; running out of time is a failure that says what was awaited and what was last seen.

#include <windows.h>

#include <stdexcept>
#include <string>

namespace e2e {

struct Failure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// printf-style formatting into a std::string.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Fails the scenario: runs the failure hook (which saves a picture of the screen while the
// program is still up), then throws Failure.
[[noreturn]] void Fail(const std::string& what);
void SetFailureHook(void (*hook)());
void Pass(const std::string& what);
void Note(const std::string& what);

inline constexpr DWORD kPollMs = 100;

// Calls probe() every kPollMs until it returns something true-ish or timeout_ms pass; returns
// the last result (which is false-ish on a timeout). Used where the caller words the failure.
template <class Probe>
auto PollUntil(DWORD timeout_ms, Probe probe) -> decltype(probe()) {
  const ULONGLONG deadline = GetTickCount64() + timeout_ms;
  for (;;) {
    auto result = probe();
    if (result || GetTickCount64() >= deadline) return result;
    Sleep(kPollMs);
  }
}

// As PollUntil, but a timeout fails with "timed out after N s waiting for <what>".
template <class Probe>
auto WaitFor(const std::string& what, DWORD timeout_ms, Probe probe) -> decltype(probe()) {
  auto result = PollUntil(timeout_ms, probe);
  if (!result)
    Fail(Format("timed out after %lu s waiting for %s", timeout_ms / 1000, what.c_str()));
  return result;
}

}  // namespace e2e
