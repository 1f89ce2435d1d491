#include "node.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <utility>

#include "board_slots.h"
#include "port/thread_site.h"
#include "register_node.h"
#include "sim_link.h"

namespace pcie {
namespace {

constexpr const char* kSimPrefix = "sim:";
constexpr int kMaxSimBoards = 4;
constexpr const char* kRegisterNodeName = "user";

class FileNode final : public Node {
 public:
  explicit FileNode(int fd) : fd_(fd) {}
  ~FileNode() override { ::close(fd_); }
  FileNode(const FileNode&) = delete;
  FileNode& operator=(const FileNode&) = delete;

  long ReadAt(void* buffer, size_t count, uint64_t offset) override {
    return ::pread(fd_, buffer, count, static_cast<off_t>(offset));
  }
  long WriteAt(const void* data, size_t count, uint64_t offset) override {
    return ::pwrite(fd_, data, count, static_cast<off_t>(offset));
  }

 private:
  int fd_;
};

class SimNode final : public Node {
 public:
  SimNode(const SimLink& link, int handle) : link_(link), handle_(handle) {}
  ~SimNode() override { link_.close(handle_); }
  SimNode(const SimNode&) = delete;
  SimNode& operator=(const SimNode&) = delete;

  long ReadAt(void* buffer, size_t count, uint64_t offset) override {
    return link_.read(handle_, Channel(), buffer, count, offset);
  }
  long WriteAt(const void* data, size_t count, uint64_t offset) override {
    return link_.write(handle_, Channel(), data, count, offset);
  }

 private:
  static int Channel() { return port::ThreadChannel(kChannelCount); }

  const SimLink& link_;
  int handle_;
};

std::unique_ptr<Node> OpenNodeFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) return nullptr;
  return std::make_unique<FileNode>(fd);
}

std::string& DeviceFolder() {
  static std::string folder = "/dev";
  return folder;
}

std::atomic<DriverNodeOpener>& DriverOpener() {
  static std::atomic<DriverNodeOpener> opener{&OpenNodeFile};
  return opener;
}

int SimBoardCount() {
  const char* text = std::getenv("QRV_SIM_BOARDS");
  if (!text || !*text) return 0;
  return std::clamp(std::atoi(text), 0, kMaxSimBoards);
}

}  // namespace

bool IsSimulatedPath(const std::string& devicePath) { return devicePath.rfind(kSimPrefix, 0) == 0; }

std::unique_ptr<Node> OpenNode(const std::string& devicePath, const std::string& nodeName) {
  const std::string path = devicePath + "_" + nodeName;
  if (IsSimulatedPath(devicePath)) {
    const SimLink* link = TheSimLink();
    if (!link) {
      errno = ENOENT;
      return nullptr;
    }
    const int handle = link->open(path.c_str());
    if (handle < 0) {
      errno = ENOENT;
      return nullptr;
    }
    return std::make_unique<SimNode>(*link, handle);
  }
  std::unique_ptr<Node> node = DriverOpener().load()(path);
  if (!node || nodeName != kRegisterNodeName) return node;
  return std::make_unique<RegisterNode>(std::move(node));
}

DriverNodeOpener SetDriverNodeOpener(DriverNodeOpener opener) { return DriverOpener().exchange(opener); }

std::string SetDeviceFolder(std::string folder) { return std::exchange(DeviceFolder(), std::move(folder)); }

std::optional<std::vector<std::string>> DiscoverDevicePaths() {
  std::vector<std::pair<int, std::string>> real;
  const std::string& folder = DeviceFolder();
  std::error_code error;
  std::filesystem::directory_iterator entries(folder, error);
  if (error && error != std::errc::no_such_file_or_directory) return std::nullopt;
  for (const auto& entry : entries) {
    const std::string file = entry.path().filename().string();
    constexpr std::string_view prefix = "xdma";
    constexpr std::string_view suffix = "_user";
    if (file.size() <= prefix.size() + suffix.size() || file.rfind(prefix, 0) != 0 ||
        file.compare(file.size() - suffix.size(), suffix.size(), suffix) != 0) {
      continue;
    }
    const std::string number = file.substr(prefix.size(), file.size() - prefix.size() - suffix.size());
    if (number.size() > 3 || number.find_first_not_of("0123456789") != std::string::npos) continue;
    real.emplace_back(std::stoi(number), folder + "/xdma" + number);
  }
  std::sort(real.begin(), real.end());
  std::vector<std::string> paths;
  for (auto& [number, path] : real) paths.push_back(path);
  for (int n = 0; n < SimBoardCount(); ++n) paths.push_back(kSimPrefix + std::to_string(n));
  return paths;
}

}  // namespace pcie
