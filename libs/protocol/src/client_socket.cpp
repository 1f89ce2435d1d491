#include "client_socket.h"

namespace protocol {

CClientSocket::CClientSocket(QTcpSocket* socket, PacketSink sink, LineLog packetLog, QObject* parent)
    : QObject(parent), socket_(socket), sink_(std::move(sink)), packetLog_(std::move(packetLog)) {
  socket_->setParent(this);
  connect(socket_, &QTcpSocket::readyRead, this, &CClientSocket::OnReceive);
  connect(socket_, &QTcpSocket::disconnected, this, &CClientSocket::closed);
  // Bytes that arrived before the connection was taken over.
  OnReceive();
}

void CClientSocket::Close() {
  socket_->disconnect(this);
  socket_->disconnectFromHost();
}

void CClientSocket::OnReceive() {
  while (socket_->bytesAvailable() > 0) {
    const QByteArray block = socket_->read(static_cast<qint64>(kMaxPacket));
    if (block.isEmpty()) break;
    packetLog_(std::string(block.constData(), static_cast<std::size_t>(block.size())));
    sink_(reassembler_.Feed(std::string_view(block.constData(), static_cast<std::size_t>(block.size()))).packets);
  }
}

}  // namespace protocol
