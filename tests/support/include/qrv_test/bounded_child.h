#pragma once
// Runs a call in a forked child under a time limit and an address-space budget, so that a call that loops
// for ever or allocates without end fails its test instead of holding up or exhausting the machine. The
// budget is added to the address space the process already has: a sanitizer's reservations stay possible,
// and any large new mapping beyond the budget fails in the child.
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <functional>

namespace qrv::test {

struct BoundedRun {
  bool exited = false;  // false: ended by a signal (SIGALRM: out of time)
  int status = -1;      // the exit code, or the signal
  long peakKiB = 0;     // the child's peak resident size
};

inline long AddressSpaceKiB() {
  long kib = 0;
  if (std::FILE* status = std::fopen("/proc/self/status", "r")) {
    char line[256];
    while (std::fgets(line, sizeof line, status))
      if (std::sscanf(line, "VmSize: %ld kB", &kib) == 1) break;
    std::fclose(status);
  }
  return kib;
}

// `call` returns the child's exit code (0: all well).
inline BoundedRun RunBounded(const std::function<int()>& call, unsigned seconds, long budgetMiB) {
  const pid_t pid = fork();
  if (pid == 0) {
    const rlim_t bytes = (static_cast<rlim_t>(AddressSpaceKiB()) << 10) + (static_cast<rlim_t>(budgetMiB) << 20);
    const rlimit limit{bytes, bytes};
    if (setrlimit(RLIMIT_AS, &limit) != 0) _exit(100);
    alarm(seconds);
    _exit([&]() noexcept { return call(); }());
  }
  BoundedRun run;
  int status = 0;
  rusage usage{};
  if (pid < 0 || wait4(pid, &status, 0, &usage) != pid) return run;
  run.exited = WIFEXITED(status);
  run.status = run.exited ? WEXITSTATUS(status) : WTERMSIG(status);
  run.peakKiB = usage.ru_maxrss;
  return run;
}

}  // namespace qrv::test
