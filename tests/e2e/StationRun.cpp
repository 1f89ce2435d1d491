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

namespace {

// What a started program finds in its environment: for the test build the test's own plus `env`, for the
// shipped program `env` and what any process of this test has (the search path, the sanitizers' options).
std::vector<std::string> ChildEnvironment(const std::map<std::string, std::string>& env,
                                          StationProcess::Program program) {
  std::map<std::string, std::string> all;
  const bool inherit = program == StationProcess::Program::TestBuild;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    const std::string name = text.substr(0, text.find('='));
    if (inherit || name == "PATH" || name.ends_with("SAN_OPTIONS")) all[name] = text.substr(name.size() + 1);
  }
  for (const auto& [name, value] : env) all[name] = value;
  std::vector<std::string> lines;
  for (const auto& [name, value] : all) lines.push_back(name + "=" + value);
  return lines;
}

}  // namespace

StationProcess::StationProcess(const std::string& station, const std::map<std::string, std::string>& env,
                               Program program) {
  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0) return;
  // The test build runs beside QRVBase.exe, so that it runs on the same station folder. A second run from
  // the folder finds it there (a running program's file cannot be overwritten).
  std::string path = station + "/QRVBase.exe";
  if (program == Program::TestBuild) {
    path = station + "/QRVBaseTestRun";
    std::error_code copyError;
    std::filesystem::copy_file(QRV_TEST_PROGRAM, path, std::filesystem::copy_options::skip_existing, copyError);
    if (copyError) return;
  }
  const std::vector<std::string> lines = ChildEnvironment(env, program);
  std::vector<char*> environment;
  for (const std::string& line : lines) environment.push_back(const_cast<char*>(line.c_str()));
  environment.push_back(nullptr);
  pid_ = fork();
  if (pid_ == 0) {
    dup2(pipeFds[1], STDERR_FILENO);
    const int devNull = open("/dev/null", O_WRONLY);
    dup2(devNull, STDOUT_FILENO);
    if (chdir(station.c_str()) != 0) _exit(126);
    execle(path.c_str(), path.c_str(), static_cast<char*>(nullptr), environment.data());
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
      if (!result) return {"no result for " + start.bcd + ": " + peer.LastFailure()};
      if (std::string failure = check(site, module, *result); !failure.empty()) return {std::move(failure)};
    }
  }
  return {};
}

}  // namespace qrv::test
