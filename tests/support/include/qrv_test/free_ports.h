#pragma once
// Loopback ports for servers a test starts.
#include <vector>

namespace qrv::test {

// Distinct free loopback ports: every socket stays bound until all are known, so no two servers of one
// test get the same port. An empty list when the sockets cannot be had.
std::vector<int> FreeLoopbackPorts(int count);

}  // namespace qrv::test
