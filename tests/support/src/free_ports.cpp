#include "qrv_test/free_ports.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace qrv::test {

std::vector<int> FreeLoopbackPorts(int count) {
  std::vector<int> sockets;
  std::vector<int> ports;
  bool ok = true;
  for (int i = 0; i < count && ok; ++i) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) {
      ok = false;
      break;
    }
    sockets.push_back(fd);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    ok = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
         ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) == 0;
    ports.push_back(ntohs(address.sin_port));
  }
  for (const int fd : sockets) ::close(fd);
  return ok ? ports : std::vector<int>{};
}

}  // namespace qrv::test
