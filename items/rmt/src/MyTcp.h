#pragma once
// A TCP client for one instrument. Neither connecting nor receiving blocks for long: a connect gives up
// after its time-out, and a caller polls Receive and bounds the whole wait on the station clock.
#include <array>
#include <cstddef>
#include <cstdint>

class CMyTCP {
 public:
  static constexpr int kReceiveBufferSize = 4096;
  static constexpr int kSendPiece = 500;
  // Start-up waits this long for an instrument that does not answer (an address with no host behind it).
  static constexpr int kConnectTimeoutMs = 3000;

  CMyTCP() = default;
  ~CMyTCP();
  CMyTCP(const CMyTCP&) = delete;
  CMyTCP& operator=(const CMyTCP&) = delete;

  // 1 connected, 0 refused, unreachable, not answered within timeoutMs or address 0.0.0.0; 0 at once when
  // already connected.
  int Connect(const char* ipText, int port, int timeoutMs = kConnectTimeoutMs);
  int IsConnected() const { return socket_ >= 0 ? 1 : 0; }
  // length sent, 0 without a socket or when a send fails.
  int Send(const void* bytes, int length);
  // One receive of what has arrived, waiting at most waitMs: 1 data stored, 0 nothing yet, -1 closed or failed.
  int Receive(int waitMs = 0);
  void Close();

  bool Received() const { return received_; }
  void ClearReceived() { received_ = false; }
  // The last data received, always terminated so it can be logged as text.
  const char* Text() const { return buffer_.data(); }
  const std::uint8_t* Bytes() const { return reinterpret_cast<const std::uint8_t*>(buffer_.data()); }
  int Count() const { return count_; }

 private:
  int socket_ = -1;
  bool received_ = false;
  int count_ = 0;
  std::array<char, kReceiveBufferSize + 1> buffer_{};
};
