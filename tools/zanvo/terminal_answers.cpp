#include "terminal_answers.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

namespace zanvo::console {

AnswerSource::Answer TerminalAnswers::Wait(int timeout_ms) {
  if (closed_ || Interrupted()) return Answer::kClosed;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  // The first character of a line decides at once; the rest of that line is dropped, here or
  // in the next waits. Every wait ends by its deadline, whatever arrives: a stream that never
  // ends its line (a pipe from /dev/zero, line noise) holds nobody.
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return Answer::kNone;
    pollfd pfd{fd_, POLLIN, 0};
    const int ready = poll(&pfd, 1, static_cast<int>(left.count()));
    if (Interrupted()) return Answer::kClosed;
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return Answer::kNone;
    char c = 0;
    if (read(fd_, &c, 1) <= 0) {
      closed_ = true;
      return Answer::kClosed;
    }
    if (in_line_) {
      in_line_ = c != '\n';
      continue;
    }
    in_line_ = c != '\n';
    return c == 'y' || c == 'Y' ? Answer::kYes : Answer::kNo;
  }
}

}  // namespace zanvo::console
