#include "check.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace e2e {

std::string Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  const int length = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::vector<char> buffer(length > 0 ? length + 1 : 1);
  std::vsnprintf(buffer.data(), buffer.size(), format, args);
  va_end(args);
  return buffer.data();
}

namespace {
void (*failure_hook)() = nullptr;
}  // namespace

void SetFailureHook(void (*hook)()) {
  failure_hook = hook;
}

void Fail(const std::string& what) {
  // The hook may fail in turn; it runs once.
  if (auto hook = failure_hook) {
    failure_hook = nullptr;
    try {
      hook();
    } catch (const Failure&) {
    }
  }
  throw Failure(what);
}

void Pass(const std::string& what) {
  std::printf("  ok: %s\n", what.c_str());
  std::fflush(stdout);
}

void Note(const std::string& what) {
  std::printf("  .. %s\n", what.c_str());
  std::fflush(stdout);
}

}  // namespace e2e
