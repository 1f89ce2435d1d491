#pragma once
// One protocol server: listens on its port, serves one handler connection at a time and hands the
// packets to its worker. The sockets live on the UI thread; the line state is shared with the worker
// and the test threads.
#include <QObject>
#include <QPointer>
#include <QTcpServer>
#include <atomic>
#include <memory>
#include <string>

#include "client_socket.h"
#include "packet_dispatcher.h"
#include "packet_worker.h"
#include "server_line.h"

namespace protocol {

class CListenSocket : public QObject {
  Q_OBJECT
 public:
  // Serves line, which outlives the server: a test still running when the server closes finds it and reports
  // to the next server of the same index.
  CListenSocket(std::shared_ptr<ServerLine> line, const std::atomic<bool>& simulationMode, MesGrids& mes);
  // Closes the connection and the listening socket, marks the line closed (requests waiting on it end),
  // then ends and joins the worker.
  ~CListenSocket() override;

  // Listens on every address; false with the reason in error when the port cannot be taken.
  bool Listen(int port, std::string& error);
  int Port() const;
  const std::shared_ptr<ServerLine>& Line() const { return line_; }
  void CloseClient();
  // Bytes typed by an engineer, cut into packets and queued to the worker as a connection's bytes are.
  void Inject(const std::string& bytes);

 private:
  void OnAccept();
  void OnClose(CClientSocket* client);

  std::shared_ptr<ServerLine> line_;
  QTcpServer listener_;
  QPointer<CClientSocket> connection_;
  std::unique_ptr<PacketDispatcher> dispatcher_;
  std::unique_ptr<PacketWorker> worker_;
};

}  // namespace protocol
