#include "terminal_answers.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

namespace zanvo::console {
namespace {

// The keep question's answers from a pipe standing in for the terminal: y keeps, any other line
// (Enter alone too) refuses, silence is no answer yet, the end of the input closes.
TEST(TerminalAnswers, LinesSilenceAndTheEndOfTheInput) {
  using Answer = AnswerSource::Answer;
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  TerminalAnswers answers(fds[0]);
  EXPECT_EQ(answers.Wait(20), Answer::kNone) << "silence";
  const std::string lines = "yes please\nY\n\nno\nmaybe\n";
  ASSERT_EQ(write(fds[1], lines.data(), lines.size()), static_cast<ssize_t>(lines.size()));
  EXPECT_EQ(answers.Wait(20), Answer::kYes);
  EXPECT_EQ(answers.Wait(20), Answer::kYes);
  EXPECT_EQ(answers.Wait(20), Answer::kNo) << "Enter alone";
  EXPECT_EQ(answers.Wait(20), Answer::kNo);
  EXPECT_EQ(answers.Wait(20), Answer::kNo);
  EXPECT_EQ(answers.Wait(20), Answer::kNone);
  ASSERT_EQ(write(fds[1], "y", 1), 1);
  close(fds[1]);
  EXPECT_EQ(answers.Wait(20), Answer::kYes) << "a last line without its end";
  EXPECT_EQ(answers.Wait(20), Answer::kClosed);
  EXPECT_EQ(answers.Wait(20), Answer::kClosed);
  close(fds[0]);
}

TEST(TerminalAnswers, AnInterruptionClosesTheQuestion) {
  using Answer = AnswerSource::Answer;
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  volatile std::sig_atomic_t interrupted = 0;
  TerminalAnswers answers(fds[0], &interrupted);
  EXPECT_EQ(answers.Wait(10), Answer::kNone);
  interrupted = 1;
  ASSERT_EQ(write(fds[1], "y\n", 2), 2);
  EXPECT_EQ(answers.Wait(10), Answer::kClosed) << "a Yes typed after Ctrl+C does not count";
  close(fds[1]);
  close(fds[0]);
}

}  // namespace
}  // namespace zanvo::console
