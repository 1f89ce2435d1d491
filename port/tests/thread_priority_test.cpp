// Raising a thread's priority touches that thread alone, and a refusal leaves it running as it was.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <thread>

#include "port/thread_priority.h"

namespace {

int NiceOf(pid_t thread) { return getpriority(PRIO_PROCESS, static_cast<id_t>(thread)); }
pid_t ThisThread() { return static_cast<pid_t>(syscall(SYS_gettid)); }

TEST(ThreadPriorityTest, RaisesTheCallingThreadAloneOrLeavesItAsItWas) {
  const int processNice = NiceOf(ThisThread());
  int niceBefore = 0, niceAfter = 0;
  bool raised = false;
  std::thread worker([&] {
    niceBefore = NiceOf(ThisThread());
    raised = port::RaiseThreadPriority();
    niceAfter = NiceOf(ThisThread());
  });
  worker.join();
  if (raised)
    EXPECT_LT(niceAfter, niceBefore);
  else
    EXPECT_EQ(niceAfter, niceBefore) << "a refused raise changes nothing";
  EXPECT_EQ(NiceOf(ThisThread()), processNice) << "the other threads keep their priority";
}

}  // namespace
