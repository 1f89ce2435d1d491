#include "listen_socket.h"

#include <QHostAddress>

#include "port/text.h"

namespace protocol {

CListenSocket::CListenSocket(std::shared_ptr<ServerLine> line, const std::atomic<bool>& simulationMode, MesGrids& mes)
    : line_(std::move(line)),
      dispatcher_(std::make_unique<PacketDispatcher>(line_, simulationMode, mes)) {
  worker_ = std::make_unique<PacketWorker>([this](const std::string& packet) { dispatcher_->DispatchPacket(packet); },
                                           &PacketDispatcher::HandledAtOnce);
  dispatcher_->SetStopQuery([this] { return worker_->IsStopping(); });
  connect(&listener_, &QTcpServer::newConnection, this, &CListenSocket::OnAccept);
}

CListenSocket::~CListenSocket() {
  line_->closed = true;
  CloseClient();
  listener_.close();
  worker_->StopAndJoin();
}

bool CListenSocket::Listen(int port, std::string& error) {
  if (port <= 0 || port > 65535) {
    error = "not a port number";
    return false;
  }
  listener_.setMaxPendingConnections(5);
  if (!listener_.listen(QHostAddress::Any, static_cast<quint16>(port))) {
    error = listener_.errorString().toStdString();
    return false;
  }
  line_->closed = false;
  return true;
}

int CListenSocket::Port() const { return listener_.serverPort(); }

void CListenSocket::OnAccept() {
  while (QTcpSocket* socket = listener_.nextPendingConnection()) {
    CloseClient();
    auto* client = new CClientSocket(
        socket, [this](std::vector<std::string> packets) { worker_->Push(std::move(packets)); },
        [line = line_](const std::string& text) { line->Log(text); },
        [line = line_](const std::string& text) { line->WritePacketLog(text); }, this);
    connection_ = client;
    connect(client, &CClientSocket::closed, this, [this, client] { OnClose(client); });
    line_->Attach(client->Socket(), client->Socket()->socketDescriptor());
    line_->testerState.store(kTesterReady);
    line_->WritePacketLog(port::Format("Client Accept :: Port %d", Port()));
  }
}

// The handler closed: packets it sent before stay queued and are handled; answers to them find no
// connection and are dropped.
void CListenSocket::OnClose(CClientSocket* client) {
  line_->WritePacketLog(port::Format("Client Close :: Port %d", Port()));
  line_->Detach(client->Socket());
  if (connection_ == client) connection_ = nullptr;
  client->deleteLater();
}

void CListenSocket::CloseClient() {
  CClientSocket* client = connection_;
  if (!client) return;
  line_->WritePacketLog(port::Format("Client Close :: Port %d", Port()));
  line_->Detach(client->Socket());
  connection_ = nullptr;
  client->disconnect(this);
  client->Close();
  client->deleteLater();
}

}  // namespace protocol

namespace protocol {

// An edit field holds no '\r', so a typed packet gets the end a handler's packet has.
void CListenSocket::Inject(const std::string& typed) {
  const std::string bytes = typed.back() == '\r' ? typed : typed + '\r';
  line_->WritePacketLog(bytes);
  PacketReassembler reassembler;
  auto result = reassembler.Feed(bytes);
  for (const auto& fragment : result.dropped) line_->Log("Packet without end dropped : " + fragment);
  if (!reassembler.Carry().empty()) line_->Log("Packet without end dropped : " + reassembler.Carry());
  worker_->Push(std::move(result.packets));
}

}  // namespace protocol
