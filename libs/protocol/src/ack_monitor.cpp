#include "ack_monitor.h"

#include "protocol_packet.h"

namespace protocol {
namespace {

std::string Bytes(std::string_view packet, std::size_t from, std::size_t n) {
  return from < packet.size() ? std::string(packet.substr(from, n)) : std::string();
}

MonitorRow RowOf(std::string_view packet) {
  return {Bytes(packet, 1, 1), Bytes(packet, 2, 1), Bytes(packet, 3, 1), Bytes(packet, 9, 1),
          Bytes(packet, 10, 3), Bytes(packet, 4, 5), {}};
}

bool IsServer(int server) { return server >= 0 && server < AckMonitor::kServers; }

}  // namespace

void AckMonitor::AddRecvRow(int server, std::string_view packet) { Add(server, List::Recv, packet); }
void AckMonitor::AddSendRow(int server, std::string_view packet) { Add(server, List::Send, packet); }

// An Ack is no row of its own: it fills the "Ack" cell of the row it answers in the other list with its ID,
// the first one still unanswered, so a handler that reuses an ID has each of its Commands paired. Of the
// packets received only Commands are rows; of those sent, Commands and Notifies.
void AckMonitor::Add(int server, List list, std::string_view packet) {
  if (!IsServer(server)) return;
  MonitorRow row = RowOf(packet);
  const bool isRow = row.type == "C" || (list == List::Send && row.type == "N");
  if (row.type != "A" && !isRow) return;
  {
    const std::lock_guard lock(mutex_);
    auto& lists = lists_[server];
    if (row.type == "A") {
      for (auto& asked : lists[list == List::Recv ? 1 : 0].rows) {
        if (asked.id == row.id && asked.ack.empty()) {
          asked.ack = row.id;
          break;
        }
      }
    } else {
      lists[static_cast<int>(list)].rows.push_back(std::move(row));
    }
  }
  Changed();
}

void AckMonitor::StartTest(int server) {
  if (!IsServer(server)) return;
  {
    const std::lock_guard lock(mutex_);
    lists_[server] = {};
  }
  Changed();
}

void AckMonitor::Mark(int server, List list) {
  if (!IsServer(server)) return;
  {
    const std::lock_guard lock(mutex_);
    lists_[server][static_cast<int>(list)].marking = true;
  }
  Changed();
}

MonitorList AckMonitor::Rows(int server, List list) const {
  const std::lock_guard lock(mutex_);
  return IsServer(server) ? lists_[server][static_cast<int>(list)] : MonitorList{};
}

void AckMonitor::SetChanged(std::function<void()> changed) {
  const std::lock_guard lock(mutex_);
  changed_ = std::move(changed);
}

void AckMonitor::Changed() {
  std::function<void()> changed;
  {
    const std::lock_guard lock(mutex_);
    changed = changed_;
  }
  if (changed) changed();
}

}  // namespace protocol
