#pragma once
// The keep question's answers from standard input: a line starting with y or Y is Yes, any
// other line (Enter alone included, as the window's default button) is No, the end of the input
// means nobody can answer. So does an interruption (Ctrl+C, the terminal hung up): the question
// closes as its close box closes it, and the card goes back.

#include <csignal>

#include "console_services.h"

namespace zanvo::console {

class TerminalAnswers final : public AnswerSource {
 public:
  // `interrupted` (may be null) is set by the program's signal handlers.
  explicit TerminalAnswers(int fd, const volatile std::sig_atomic_t* interrupted = nullptr)
      : fd_(fd), interrupted_(interrupted) {}
  Answer Wait(int timeout_ms) override;

 private:
  bool Interrupted() const { return interrupted_ != nullptr && *interrupted_ != 0; }

  int fd_;
  const volatile std::sig_atomic_t* interrupted_;
  bool closed_ = false;
  bool in_line_ = false;  // a line whose first character has answered, its end not yet read
};

}  // namespace zanvo::console
