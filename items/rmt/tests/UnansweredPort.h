#pragma once
// A loopback port whose listener never accepts and whose queue is full: a connect to it gets no answer at
// all, like an instrument address with no host behind it, without needing a network.
#include <vector>

class UnansweredPort {
 public:
  UnansweredPort();
  ~UnansweredPort();
  UnansweredPort(const UnansweredPort&) = delete;
  UnansweredPort& operator=(const UnansweredPort&) = delete;

  // 0 when the listener could not be set up.
  int port() const { return port_; }

 private:
  int listener_ = -1;
  int port_ = 0;
  std::vector<int> fillers_;
};
