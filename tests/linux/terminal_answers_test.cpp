#include "terminal_answers.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

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

// Every wait ends by its deadline, whatever the input: a stream that never ends its line (a pipe
// from /dev/zero, line noise on a serial line) answers No once and then holds nobody.
TEST(TerminalAnswers, AStreamWithoutLineEndsHoldsNoWaitPastItsDeadline) {
  using Answer = AnswerSource::Answer;
  struct Case {
    char fill;
    Answer first;
  };
  for (const Case c : {Case{'\0', Answer::kNo}, Case{'y', Answer::kYes}}) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    std::atomic<bool> stop{false};
    std::thread writer([&] {
      const std::string chunk(4096, c.fill);
      while (!stop && write(fds[1], chunk.data(), chunk.size()) > 0) {
      }
    });
    TerminalAnswers answers(fds[0]);
    EXPECT_EQ(answers.Wait(300), c.first);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(answers.Wait(300), Answer::kNone) << "the rest of the endless line is dropped";
    const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(took, 1.0) << "a 0.3 s wait took " << took << " s";
    stop = true;
    fcntl(fds[0], F_SETFL, O_NONBLOCK);
    char sink[4096];
    while (read(fds[0], sink, sizeof sink) > 0) {
    }
    writer.join();  // its last write found room: it saw the stop
    close(fds[0]);
    close(fds[1]);
  }
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
