#include "port/thread_priority.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace port {
namespace {

// A few steps above the default of 0: enough to be scheduled ahead of the window and log threads, not
// so much that a looping item starves them.
constexpr int kRaisedNice = -2;

}  // namespace

bool RaiseThreadPriority() {
  // On Linux a thread's nice value is its own: PRIO_PROCESS with a thread id sets that thread alone.
  const auto thread = static_cast<id_t>(syscall(SYS_gettid));
  return setpriority(PRIO_PROCESS, thread, kRaisedNice) == 0;
}

}  // namespace port
