// The Linux services that touch the system but no port: the lock, the real-time hold, physical
// memory read from a file standing in for /dev/mem, and opening port access (which writes
// nothing).

#include <gtest/gtest.h>
#include <sched.h>
#include <unistd.h>

#if defined(__x86_64__) || defined(__i386__)
#include <sys/io.h>
#endif

#include <cstdlib>
#include <fstream>
#include <string>

#include "platform/linux/dev_mem.h"
#include "platform/linux/linux_ports.h"
#include "platform/linux/lock_file.h"
#include "platform/linux/realtime_hold.h"

namespace zanvo::linux_pc {
namespace {

TEST(LockFile, OneCopyAtATimeAndTheNextAfterRelease) {
  char pattern[] = "/tmp/zanvo-lock-XXXXXX";
  const std::string dir = mkdtemp(pattern);
  {
    LockFile first(dir), second(dir), third(dir + "/missing");
    EXPECT_EQ(first.Acquire("zanvo"), InstanceResult::kFirst);
    EXPECT_EQ(first.Acquire("zanvo"), InstanceResult::kFirst) << "held already";
    EXPECT_EQ(second.Acquire("zanvo"), InstanceResult::kAlreadyRunning);
    EXPECT_EQ(third.Acquire("zanvo"), InstanceResult::kFailed);
    first.Release();
    EXPECT_EQ(second.Acquire("zanvo"), InstanceResult::kFirst);
  }
  std::system(("rm -rf '" + dir + "'").c_str());
}

TEST(RealtimeHold, HoldsUnderFifoAndGivesThePolicyBack) {
  const int before = sched_getscheduler(0);
  RealtimeHold hold;
  hold.Hold();
  if (geteuid() == 0) {
    EXPECT_TRUE(hold.held());
    EXPECT_EQ(sched_getscheduler(0), SCHED_FIFO);
    sched_param param{};
    sched_getparam(0, &param);
    EXPECT_EQ(param.sched_priority, kHoldPriority);
  } else {
    EXPECT_FALSE(hold.held());
  }
  hold.Release();
  EXPECT_FALSE(hold.held());
  EXPECT_EQ(sched_getscheduler(0), before);
}

TEST(DevMem, ReadsLittleEndianDwordsAndAllOnesPastTheEnd) {
  char name[] = "/tmp/zanvo-mem-XXXXXX";
  const int fd = mkstemp(name);
  ASSERT_GE(fd, 0);
  const unsigned char bytes[] = {0x55, 0xAA, 0x40, 0xE9, 0x01, 0x02};
  ASSERT_EQ(write(fd, bytes, sizeof bytes), static_cast<ssize_t>(sizeof bytes));
  close(fd);
  DevMem memory(name);
  EXPECT_EQ(memory.ReadPhysDword(0), 0xE940AA55u);
  EXPECT_EQ(memory.ReadPhysDword(2), 0x0201E940u);
  EXPECT_EQ(memory.ReadPhysDword(3), 0xFFFFFFFFu) << "a dword that runs past the end";
  DevMem missing("/nonexistent/mem");
  EXPECT_EQ(missing.ReadPhysDword(0), 0xFFFFFFFFu);
  unlink(name);
}

// Opening port access writes no port; it succeeds only for root on x86, where the kernel has
// iopl (some sandboxes answer ENOSYS), and says why not otherwise.
TEST(LinuxPortAccess, OpensForRootAndSaysWhyNot) {
  LinuxPortAccess access;
  const bool opened = access.Initialize();
#if defined(__x86_64__) || defined(__i386__)
  // What the kernel says to the same request decides.
  const bool kernel_grants = iopl(3) == 0;
  iopl(0);
  EXPECT_EQ(opened, kernel_grants);
  if (geteuid() != 0) {
    EXPECT_FALSE(opened);
  }
  EXPECT_EQ(access.failure().empty(), opened) << access.failure();
  if (!opened) {
    const std::string& why = access.failure();
    EXPECT_TRUE(why.find(geteuid() == 0 ? "iopl failed: " : "needs root") != std::string::npos) << why;
  }
#else
  EXPECT_FALSE(opened);
  EXPECT_NE(access.failure().find("x86"), std::string::npos);
#endif
  access.Shutdown();
  access.Shutdown();
}

}  // namespace
}  // namespace zanvo::linux_pc
