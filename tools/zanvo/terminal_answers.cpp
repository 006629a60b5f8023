#include "terminal_answers.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

namespace zanvo::console {

AnswerSource::Answer TerminalAnswers::Wait(int timeout_ms) {
  if (closed_ || Interrupted()) return Answer::kClosed;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  // The first character of a line decides; the rest of the line is read and dropped.
  char first = 0;
  bool have_first = false;
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0 && !have_first) return Answer::kNone;
    pollfd pfd{fd_, POLLIN, 0};
    const int ready = poll(&pfd, 1, have_first ? 1000 : static_cast<int>(left.count()));
    if (Interrupted()) return Answer::kClosed;
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) {
      if (!have_first) return Answer::kNone;
      break;  // a line without its end: its first character decides
    }
    char c = 0;
    const ssize_t got = read(fd_, &c, 1);
    if (got <= 0) {
      closed_ = true;
      if (!have_first) return Answer::kClosed;
      break;
    }
    if (!have_first) {
      first = c;
      have_first = true;
    }
    if (c == '\n') break;
  }
  return first == 'y' || first == 'Y' ? Answer::kYes : Answer::kNo;
}

}  // namespace zanvo::console
