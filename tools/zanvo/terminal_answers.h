#pragma once
// The keep question's answers from standard input: a line starting with y or Y is Yes, any
// other line (Enter alone included, as the window's default button) is No, the end of the input
// means nobody can answer.

#include "console_services.h"

namespace zanvo::console {

class TerminalAnswers final : public AnswerSource {
 public:
  explicit TerminalAnswers(int fd) : fd_(fd) {}
  Answer Wait(int timeout_ms) override;

 private:
  int fd_;
  bool closed_ = false;
};

}  // namespace zanvo::console
