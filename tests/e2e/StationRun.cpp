#include "StationRun.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "port/clock.h"
#include "port/text.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace qrv::test {

StationProcess::StationProcess(const std::string& station, const std::map<std::string, std::string>& env) {
  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0) return;
  // The program with its test tools, beside QRVBase.exe so that it runs on the same station folder. A
  // second run from the folder finds it there (a running program's file cannot be overwritten).
  const std::string program = station + "/QRVBaseTestRun";
  std::error_code copyError;
  std::filesystem::copy_file(QRV_TEST_PROGRAM, program, std::filesystem::copy_options::skip_existing, copyError);
  if (copyError) return;
  pid_ = fork();
  if (pid_ == 0) {
    dup2(pipeFds[1], STDERR_FILENO);
    const int devNull = open("/dev/null", O_WRONLY);
    dup2(devNull, STDOUT_FILENO);
    for (const auto& [name, value] : env) setenv(name.c_str(), value.c_str(), 1);
    if (chdir(station.c_str()) != 0) _exit(126);
    execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(pipeFds[1]);
  errFd_ = pipeFds[0];
}

StationProcess::~StationProcess() {
  if (pid_ > 0) Kill();
  if (errFd_ >= 0) close(errFd_);
}

bool StationProcess::ReadSome(std::chrono::milliseconds timeout) {
  if (errFd_ < 0) return false;
  pollfd fd{errFd_, POLLIN, 0};
  if (poll(&fd, 1, static_cast<int>(timeout.count())) <= 0) return false;
  char buffer[4096];
  const ssize_t count = read(errFd_, buffer, sizeof buffer);
  if (count <= 0) {
    close(errFd_);
    errFd_ = -1;
    return false;
  }
  errors_.append(buffer, static_cast<std::size_t>(count));
  return true;
}

bool StationProcess::WaitForText(const std::string& text, std::chrono::milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  while (errors_.find(text) == std::string::npos) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0 || (!ReadSome(left) && errFd_ < 0)) return errors_.find(text) != std::string::npos;
  }
  return true;
}

int StationProcess::WaitForExit(std::chrono::milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  while (pid_ > 0) {
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      while (ReadSome(std::chrono::milliseconds(0))) {
      }
      return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    if (Clock::now() >= deadline) break;
    if (!ReadSome(std::chrono::milliseconds(20))) port::clock::SleepMs(5);
  }
  Kill();
  return -1;
}

void StationProcess::Signal(int signal) const {
  if (pid_ > 0) kill(pid_, signal);
}

void StationProcess::Kill() {
  if (pid_ <= 0) return;
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

void DriveServers(StationProcess& run, int count, const std::function<void(int server)>& drive) {
  std::atomic<int> finished = 0;
  std::vector<std::thread> handlers;
  for (int server = 0; server < count; ++server)
    handlers.emplace_back([&, server] {
      drive(server);
      ++finished;
    });
  while (finished.load() < count) run.WaitForText("\n\x01", std::chrono::milliseconds(100));
  for (std::thread& handler : handlers) handler.join();
}

int ListLogCount(const std::string& station, char site, const std::string& text) {
  const std::string suffix = std::string("_") + site + ".txt";
  int count = 0;
  std::error_code error;
  for (fs::recursive_directory_iterator it(station + "/Log/ListLog", error), end; !error && it != end;
       it.increment(error)) {
    const std::string name = it->path().filename().string();
    if (!name.ends_with(suffix)) continue;
    std::ifstream file(it->path());
    for (std::string line; std::getline(file, line);)
      if (line.find(text) != std::string::npos) ++count;
  }
  return count;
}

std::string ModuleCode(int site, int module) { return port::Format("S%dM%03d", site, module); }

std::vector<std::string> TestSiteModules(handler::HandlerPeer& peer, int server, int port, int modules,
                                         const ResultCheck& check) {
  if (!peer.Connect("127.0.0.1", port, kConnectMs))
    return {port::Format("server %d: no connection on port %d", server, port)};
  for (int module = 0; module < modules; ++module) {
    for (const int site : {server, server + kServers}) {
      handler::StartOfTest start;
      start.site = site;
      start.usb = server;
      start.bcd = ModuleCode(site, module);
      const std::optional<std::string> result = peer.RunTest(start, kResultMs);
      if (!result) return {"no result for " + start.bcd};
      if (std::string failure = check(site, module, *result); !failure.empty()) return {std::move(failure)};
    }
  }
  return {};
}

}  // namespace qrv::test
