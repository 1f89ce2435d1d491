#include "server_line.h"

#include <QByteArray>
#include <QMetaObject>
#include <QTcpSocket>
#include <cstdio>

#include "mes_record.h"
#include "port/window_message.h"
#include "text_rules.h"

namespace protocol {

ServerLine::ServerLine(int server, CQRV_LoadMemory* record, char siteCode)
    : site(record->GetSiteCount() == 1 ? 0 : server),
      usbIndex(server),
      para(server),
      server_(server),
      record_(record),
      siteCode_(siteCode) {
  for (char* text : {barCode.BCD, barCode.VCM, barCode.BCD_SUB, barCode.TIME}) std::snprintf(text, 5, "NULL");
  std::snprintf(i1Pro.text, sizeof i1Pro.text, "00000000");
  i1Pro.value = 0;
  InitMesRecord(mes);
}

void ServerLine::Attach(QObject* connection) {
  const std::lock_guard lock(sendMutex_);
  connection_ = connection;
}

void ServerLine::Detach(const QObject* connection) {
  const std::lock_guard lock(sendMutex_);
  if (connection_ == connection) connection_ = nullptr;
}

void ServerLine::RestartSequence() {
  const std::lock_guard lock(sendMutex_);
  sequence_ = 1;
}

void ServerLine::SendPacket(PacketType type, char code, std::string_view ext, std::string_view data,
                            const ProtocolPacket* request) {
  std::string packet;
  {
    const std::lock_guard lock(sendMutex_);
    auto* socket = qobject_cast<QTcpSocket*>(connection_);
    if (!socket) return;
    int id = 0;
    if (type == PacketType::Ack && request) {
      id = ParseInt(request->Id());
    } else {
      id = sequence_;
      sequence_ = NextSequence(sequence_);
    }
    packet = BuildPacket(siteCode_.load(), type, id, code, ext, data);
    // Queued under the send lock, so the wire order is the order of the IDs.
    QMetaObject::invokeMethod(
        socket, [socket, bytes = QByteArray::fromStdString(packet)] { socket->write(bytes); }, Qt::QueuedConnection);
  }
  packet.pop_back();
  Log(packet);
}

void ServerLine::SendCommandToPanel(const std::string& text) const {
  port::SendMessage(record_->m_hSiteWnd, port::kWmProtocolCommand, reinterpret_cast<std::uintptr_t>(text.c_str()), 0);
}

bool ServerLine::IsConfiguredSite(int candidate) const {
  return candidate >= 0 && static_cast<std::uint32_t>(candidate) < record_->GetSiteCount() && IsValidSite(candidate);
}

void ServerLine::Log(std::string_view text) const { LogToSite(site.load(), text); }

void ServerLine::LogToSite(int target, std::string_view text) const {
  if (!record_->SetLog) return;
  const std::string line(text);
  record_->SetLog(IsConfiguredSite(target) ? target : 0, "%s", line.c_str());
}

}  // namespace protocol
