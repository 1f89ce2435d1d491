#pragma once
// What the packet monitor shows: per server the packets received and the packets sent, each Command paired
// with the ID of its Ack, and a marking flag per list that shows the Commands left unanswered. Filled by
// the workers, the test threads and the UI thread; read by the monitor window on the UI thread.
#include <array>
#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace protocol {

struct MonitorRow {
  std::string recv, send, type, code, ext, id, ack;
  bool Unanswered() const { return type == "C" && ack.empty(); }
};

struct MonitorList {
  std::vector<MonitorRow> rows;
  bool marking = false;
};

class AckMonitor {
 public:
  static constexpr int kServers = 4;
  enum class List { Recv, Send };

  void AddRecvRow(int server, std::string_view packet);
  void AddSendRow(int server, std::string_view packet);
  // A start of test empties both lists of its server and clears their marking.
  void StartTest(int server);
  void Mark(int server, List list);

  MonitorList Rows(int server, List list) const;
  // Called after every change (any thread); the window posts itself a redraw.
  void SetChanged(std::function<void()> changed);

 private:
  void Add(int server, List list, std::string_view packet);
  void Changed();

  mutable std::mutex mutex_;
  std::array<std::array<MonitorList, 2>, kServers> lists_;
  std::function<void()> changed_;
};

}  // namespace protocol
