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
#include <string>

namespace qrv::test {

struct BoundedRun {
  bool exited = false;  // false: ended by a signal (SIGALRM: out of time)
  int status = -1;      // the exit code, or the signal
  long peakKiB = 0;     // the child's peak resident size
  std::string report;   // what a reporting call returned (RunBoundedReport)
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

// Forks; the child bounds itself and exits with what `child` returns. With a report pipe, the child keeps its
// write end and the parent reads the report from the other until the child ends.
inline BoundedRun ForkBounded(const std::function<int()>& child, unsigned seconds, long budgetMiB,
                              const int* reportPipe) {
  const pid_t pid = fork();
  if (pid == 0) {
    if (reportPipe) close(reportPipe[0]);
    const rlim_t bytes = (static_cast<rlim_t>(AddressSpaceKiB()) << 10) + (static_cast<rlim_t>(budgetMiB) << 20);
    const rlimit limit{bytes, bytes};
    if (setrlimit(RLIMIT_AS, &limit) != 0) _exit(100);
    alarm(seconds);
    _exit([&]() noexcept { return child(); }());
  }
  BoundedRun run;
  if (reportPipe) {
    close(reportPipe[1]);
    char buffer[256];
    for (ssize_t n; pid > 0 && (n = read(reportPipe[0], buffer, sizeof buffer)) > 0;) run.report.append(buffer, n);
    close(reportPipe[0]);
  }
  int status = 0;
  rusage usage{};
  if (pid < 0 || wait4(pid, &status, 0, &usage) != pid) return run;
  run.exited = WIFEXITED(status);
  run.status = run.exited ? WEXITSTATUS(status) : WTERMSIG(status);
  run.peakKiB = usage.ru_maxrss;
  return run;
}

// `call` returns the child's exit code (0: all well).
inline BoundedRun RunBounded(const std::function<int()>& call, unsigned seconds, long budgetMiB) {
  return ForkBounded(call, seconds, budgetMiB, nullptr);
}

// `call` returns a report, which comes back in BoundedRun::report; the child exits 0 once it is written whole.
inline BoundedRun RunBoundedReport(const std::function<std::string()>& call, unsigned seconds, long budgetMiB) {
  int ends[2];
  if (pipe(ends) != 0) return {};
  const auto child = [&] {
    const std::string report = call();
    return write(ends[1], report.data(), report.size()) == static_cast<ssize_t>(report.size()) ? 0 : 101;
  };
  return ForkBounded(child, seconds, budgetMiB, ends);
}

}  // namespace qrv::test
