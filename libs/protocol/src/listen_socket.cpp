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
        [line = line_](const std::string& text) { line->WritePacketLog(text); }, this);
    connection_ = client;
    connect(client, &CClientSocket::closed, this, [this, client] { OnClose(client); });
    line_->Attach(client->Socket(), client->Socket()->socketDescriptor());
    line_->testerState.store(kTesterReady);
    line_->WritePacketLog(port::Format("Client Accept :: Port %d", Port()));
  }
}

// The handler closed: the packets it sent that still wait go with its connection; the one in hand is
// finished, and its answer finds no connection.
void CListenSocket::OnClose(CClientSocket* client) {
  line_->WritePacketLog(port::Format("Client Close :: Port %d", Port()));
  line_->Detach(client->Socket());
  if (connection_ == client) {
    connection_ = nullptr;
    worker_->DropQueued();
  }
  client->deleteLater();
}

void CListenSocket::CloseClient() {
  CClientSocket* client = connection_;
  if (!client) return;
  line_->WritePacketLog(port::Format("Client Close :: Port %d", Port()));
  line_->Detach(client->Socket());
  connection_ = nullptr;
  worker_->DropQueued();
  client->disconnect(this);
  client->Close();
  client->deleteLater();
}

}  // namespace protocol

namespace protocol {

// A typed text is one packet, whatever it holds, as the handler's would be once cut from the stream. An edit
// field holds no '\r', so the packet gets the end a handler's has: a typed MES is then whole, not cut short.
void CListenSocket::Inject(const std::string& typed) {
  worker_->Push({typed.back() == '\r' ? typed : typed + '\r'});
}

}  // namespace protocol
