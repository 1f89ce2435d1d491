#pragma once
// One accepted handler connection: cuts what arrives into packets and queues them to its server's
// worker. Lives on the UI thread, like every socket of the library.
#include <QObject>
#include <QTcpSocket>
#include <functional>
#include <string>
#include <vector>

#include "packet_reassembler.h"

namespace protocol {

class CClientSocket : public QObject {
  Q_OBJECT
 public:
  using PacketSink = std::function<void(std::vector<std::string> packets)>;
  using LineLog = std::function<void(const std::string& line)>;

  // Takes the accepted socket over; every received block goes to packetLog as it came. Text before a packet's
  // '$' is no packet and is dropped; the packet log has it.
  CClientSocket(QTcpSocket* socket, PacketSink sink, LineLog packetLog, QObject* parent);

  QTcpSocket* Socket() const { return socket_; }
  void Close();

 signals:
  void closed();

 private:
  void OnReceive();

  QTcpSocket* const socket_;
  PacketSink sink_;
  LineLog packetLog_;
  PacketReassembler reassembler_;
};

}  // namespace protocol
