// The C interface: driver nodes for the driver interface, control and observation for tests.
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <utility>

#include "immortal.h"
#include "sim_board.h"

namespace velkarasim {
namespace {

enum class NodeKind { kUser, kCardToHost, kHostToCard, kUnused };

struct Node {
  int board;
  NodeKind kind;
};

// Guarded by StateLock().
std::map<int, Node>& Nodes() {
  static Immortal<std::map<int, Node>> nodes;
  return nodes.get();
}
int nextNode = 1;

bool ParseNodePath(const std::string& path, Node& node) {
  constexpr std::string_view prefix = "sim:";
  if (path.rfind(prefix, 0) != 0) return false;
  const auto underscore = path.find('_', prefix.size());
  if (underscore == std::string::npos) return false;
  const std::string number = path.substr(prefix.size(), underscore - prefix.size());
  if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos || number.size() > 3) return false;
  node.board = std::atoi(number.c_str());
  const std::string name = path.substr(underscore + 1);
  if (name == "user") node.kind = NodeKind::kUser;
  else if (name == "c2h_0") node.kind = NodeKind::kCardToHost;
  else if (name == "h2c_0") node.kind = NodeKind::kHostToCard;
  else if (name == "c2h_1" || name == "h2c_1") node.kind = NodeKind::kUnused;
  else return false;
  return true;
}

const Node* FindNode(int handle) {
  const auto it = Nodes().find(handle);
  return it == Nodes().end() ? nullptr : &it->second;
}

bool IsSupply(int channel) { return channel >= 0 && channel < 8; }
bool IsBank(int bank) { return bank >= 0 && bank < 8; }

// The channel of a node's board that a transfer reaches, with the node's kind; null for an unknown node.
std::shared_ptr<Board> NodeBoard(int handle, int channel, NodeKind* kind) {
  std::lock_guard lock(StateLock());
  const Node* node = FindNode(handle);
  if (!node) return nullptr;
  *kind = node->kind;
  return BoardAt(node->board, channel);
}

}  // namespace
}  // namespace velkarasim

using namespace velkarasim;

int VelkaraSim_NodeOpen(const char* path) {
  Node node{};
  if (!path || !ParseNodePath(path, node)) return -1;
  std::lock_guard lock(StateLock());
  const std::shared_ptr<Board> board = BoardAt(node.board, 0);
  if (!board || EffectiveFaults(*board)->nodeOpenFails) return -1;
  const int handle = nextNode++;
  Nodes()[handle] = node;
  return handle;
}

long VelkaraSim_NodeRead(int handle, int channel, void* buffer, size_t count, uint64_t offset) {
  NodeKind kind{};
  const std::shared_ptr<Board> board = NodeBoard(handle, channel, &kind);
  if (!board || !buffer) return -1;
  std::lock_guard lock(board->lock);
  if (kind == NodeKind::kUser) return board->Read(buffer, count, offset);
  if (kind == NodeKind::kCardToHost) return board->ReadFrame(buffer, count, offset);
  return -1;
}

long VelkaraSim_NodeWrite(int handle, int channel, const void* data, size_t count, uint64_t offset) {
  NodeKind kind{};
  const std::shared_ptr<Board> board = NodeBoard(handle, channel, &kind);
  if (!board || !data) return -1;
  std::lock_guard lock(board->lock);
  if (kind == NodeKind::kUser) return board->Write(data, count, offset);
  if (kind == NodeKind::kHostToCard) return WriteCardMemory(*board, data, count, offset);
  return -1;
}

int VelkaraSim_NodeClose(int handle) {
  std::lock_guard lock(StateLock());
  return Nodes().erase(handle) ? 0 : -1;
}

void VelkaraSim_Reset() {
  std::lock_guard lock(StateLock());
  ResetState();
}

int VelkaraSim_SetFaults(const char* switches) {
  std::lock_guard lock(StateLock());
  ClearFaults();
  return ApplyFaultSwitches(switches ? switches : "") ? 1 : 0;
}

int VelkaraSim_SetFault(int board, const char* name, int on) {
  std::lock_guard lock(StateLock());
  return name && ApplyFault(board, name, "", on != 0) ? 1 : 0;
}

void VelkaraSim_SetBadCrcLines(int board, const int* lines, int count) {
  std::set<int> bad;
  for (int i = 0; lines && i < count; ++i) bad.insert(lines[i]);
  std::lock_guard lock(StateLock());
  SetBadCrcLines(board, std::move(bad));
}

void VelkaraSim_SetSensorAddress(int board, int address7) {
  std::lock_guard lock(StateLock());
  ForBoards(board, [&](Board& b) { b.sensorAddress = address7 < 0 ? -1 : (address7 & 0x7F); });
}

void VelkaraSim_SetStream(int board, int lanes, int crcTrailer) {
  std::lock_guard lock(StateLock());
  ForBoards(board, [&](Board& b) {
    b.lanes = lanes > 0 ? lanes : 1;
    b.crcTrailer = crcTrailer != 0;
  });
}

void VelkaraSim_SetSupplyCurrent(int board, int channel, double dynamicMa, double standbyUa) {
  if (!IsSupply(channel)) return;
  std::lock_guard lock(StateLock());
  ForBoards(board, [&](Board& b) {
    b.dynamicMa[static_cast<size_t>(channel)] = dynamicMa;
    b.standbyUa[static_cast<size_t>(channel)] = standbyUa;
  });
}

void VelkaraSim_SetDioInputs(int board, int bank, uint32_t levels) {
  if (!IsBank(bank)) return;
  std::lock_guard lock(StateLock());
  ForBoards(board, [&](Board& b) { b.dioInputs[static_cast<size_t>(bank)] = levels; });
}

double VelkaraSim_SupplyVolts(int board, int channel) {
  if (!IsSupply(channel) || board < 0) return 0;
  std::lock_guard lock(StateLock());
  return OnBoard(board, [&](Board& b) { return b.SupplyVolts(channel); });
}

double VelkaraSim_IoLevelVolts(int board) {
  if (board < 0) return 0;
  std::lock_guard lock(StateLock());
  return OnBoard(board, [](Board& b) { return b.IoLevelVolts(); });
}

double VelkaraSim_ClockMhz(int board) {
  if (board < 0) return 0;
  std::lock_guard lock(StateLock());
  return OnBoard(board, [](Board& b) { return b.clockMhz; });
}

uint32_t VelkaraSim_DioLatch(int board, int bank) {
  if (!IsBank(bank) || board < 0) return 0;
  std::lock_guard lock(StateLock());
  return OnBoard(board, [&](Board& b) { return b.dioLatch[static_cast<size_t>(bank)]; });
}

uint32_t VelkaraSim_DioDirection(int board, int bank) {
  if (!IsBank(bank) || board < 0) return 0;
  std::lock_guard lock(StateLock());
  return OnBoard(board, [&](Board& b) { return b.dioDirection[static_cast<size_t>(bank)]; });
}

int VelkaraSim_SensorRegister(int board, uint32_t reg) {
  if (board < 0) return -1;
  std::lock_guard lock(StateLock());
  if (!BoardAt(board, 0)) return -1;
  return OnBoard(board, [&](Board& b) {
    const auto it = b.sensorRegisters.find(reg);
    return it == b.sensorRegisters.end() ? -1 : static_cast<int>(it->second);
  });
}

int VelkaraSim_SensorStreaming(int board) {
  if (board < 0) return 0;
  std::lock_guard lock(StateLock());
  return OnBoard(board, [](Board& b) { return b.SensorStreaming() ? 1 : 0; });
}

int VelkaraSim_CommandCount(int board) {
  if (board < 0) return 0;
  std::lock_guard lock(StateLock());
  int count = 0;
  ForBoards(board, [&](Board& b) { count += b.commandCount; });
  return count;
}

int VelkaraSim_EventCount() { return EventCount(); }

int VelkaraSim_GetEvent(int index, VelkaraSimEvent* event) { return EventAt(index, event) ? 1 : 0; }

void VelkaraSim_ClearEvents() { ClearEvents(); }
