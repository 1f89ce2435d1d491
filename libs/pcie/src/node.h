#pragma once
// One driver node: a real XDMA node file, or a simulated board's node served in process.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pcie {

class Node {
 public:
  virtual ~Node() = default;
  // Positioned transfers at a card offset; the byte count moved, or -1 (errno set).
  virtual long ReadAt(void* buffer, size_t count, uint64_t offset) = 0;
  virtual long WriteAt(const void* data, size_t count, uint64_t offset) = 0;
};

// Opens "<device path>_<node name>"; null when it cannot be opened (errno set). A real board's
// register node ("user") moves 32-bit words only and comes wrapped so any access works on it.
std::unique_ptr<Node> OpenNode(const std::string& devicePath, const std::string& nodeName);

// Opens one node file of the driver as it stands; null when it cannot (errno set). Tests put a
// stand-in that keeps the driver's rules here; the previous opener is returned.
using DriverNodeOpener = std::unique_ptr<Node> (*)(const std::string& path);
DriverNodeOpener SetDriverNodeOpener(DriverNodeOpener opener);

// The device paths present: /dev/xdma<N> in order, then "sim:<n>" for QRV_SIM_BOARDS=<count>; nullopt when
// the device folder cannot be listed (a folder that is not there holds no board).
std::optional<std::vector<std::string>> DiscoverDevicePaths();

// The folder searched for the driver's nodes, "/dev" unless a test puts another; the previous one is returned.
std::string SetDeviceFolder(std::string folder);

bool IsSimulatedPath(const std::string& devicePath);

}  // namespace pcie
