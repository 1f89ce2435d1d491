#pragma once
// The simulator library, loaded on first use of a "sim:" node from the driver interface's own folder.
#include <cstddef>
#include <cstdint>

namespace pcie {

// Transfers name the board channel they reach: the calling thread's site, as a real station wires one
// module to each site.
struct SimLink {
  int (*open)(const char* path);
  long (*read)(int node, int channel, void* buffer, size_t count, uint64_t offset);
  long (*write)(int node, int channel, const void* data, size_t count, uint64_t offset);
  int (*close)(int node);
};

// Null when the simulator cannot be loaded or bound (the reason goes to standard error once).
const SimLink* TheSimLink();

}  // namespace pcie
