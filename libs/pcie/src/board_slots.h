#pragma once
// The library's state: found device paths and one slot per board index.
#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "node.h"

namespace pcie {

inline constexpr int kBoardCount = 4;
// A board carries a module on each channel; a site's transfers reach the channel of its own index.
inline constexpr int kChannelCount = 8;
inline constexpr uint64_t kIdentityOffset = 0x10000;
inline constexpr uint64_t kDoorbellOffset = 0x4A30010;
inline constexpr uint64_t kLinkResetOffset = 0x4A30028;
inline constexpr uint64_t kLineCounterOffset = 0x4A30068;
inline constexpr uint64_t kMailboxOffset = 0x4C00000;
inline constexpr uint64_t kTriggerWordOffset = 0x4C00018;
inline constexpr uint64_t kDateScratchOffset = 0x4C00020;
inline constexpr uint64_t kDpWordsOffset = 0x4C00024;
inline constexpr uint64_t kCardMemory = 0x81000000;

struct FrameGeometry {
  std::atomic<uint32_t> lineBytes{0};
  std::atomic<uint32_t> lineCount{0};
};

// The stream nodes of one channel, open from its stream's start to its stop.
struct StreamNodes {
  std::unique_ptr<Node> c2h0;
  std::unique_ptr<Node> c2h1;
  std::unique_ptr<Node> h2c1;
  // The stream's start could not open c2h_0: its stop reports it.
  bool c2h0OpenFailed = false;
};

struct BoardSlot {
  std::string devicePath;
  std::unique_ptr<Node> user;
  // The last binding could not open the register node: closing the board reports it.
  bool userOpenFailed = false;
  // Each channel starts and stops its own stream, so a site stopping its module never closes the nodes
  // another site of the board is reading a frame through.
  std::array<StreamNodes, kChannelCount> streams;
  std::atomic<int> open{0};
  std::atomic<int> busy{0};
  // Each board keeps the geometry of its own last resolution reply, so boards of different
  // geometry never read each other's line sizes.
  FrameGeometry geometry;
};

std::array<std::string, kBoardCount>& DevicePathTable();
BoardSlot& Slot(int board);
// The stream nodes of the calling thread's channel of a board.
StreamNodes& Stream(int board);

inline bool IsBoardIndex(int board) { return board >= 0 && board < kBoardCount; }
// The index and open checks made by every export that takes a board index.
inline bool IsUsableBoard(int board) { return IsBoardIndex(board) && Slot(board).open.load() != 0; }

// The first byte of the frame trigger word: 8 once any frame request passed its reply.
std::atomic<uint8_t>& FrameTriggerByte();

// What one positioned transfer did. One call stands for the seek and the transfer, so a transfer the OS
// refuses (or a node that is not open) is the failed seek; one that moves fewer bytes is a short read.
enum class Transfer { kWhole, kShort, kRefused };
// Sorts a node call's byte count; a refusal prints the positioning message.
Transfer Classify(long moved, size_t count);
// 1 when a node transfer moved all `count` bytes; a transfer the OS refused prints the positioning message.
int Moved(long moved, size_t count);
// Register node transfers; 1 on success, 0 on failure (a missing node or a refused transfer prints the
// positioning message).
int WriteUserRegister(int board, uint64_t offset, size_t count, const void* data);
int ReadUserRegister(int board, uint64_t offset, size_t count, void* buffer);
// A register read for callers that answer a failed seek apart from a failed read.
Transfer ReadRegister(int board, uint64_t offset, size_t count, void* buffer);
// A read on a DMA node at a card address; nothing to read is whole once the node is open.
Transfer ReadCardMemory(Node* node, uint64_t address, size_t count, void* buffer);
void PrintPositioningError();
void PrintOpenError();
void PrintCloseError();

void WaitMicroseconds(double microseconds);

}  // namespace pcie
