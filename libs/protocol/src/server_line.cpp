#include "server_line.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <thread>

#include "mes_record.h"
#include "QRV_Messages.h"
#include "port/text.h"
#include "port/window_message.h"
#include "socket_write.h"
#include "text_rules.h"

namespace protocol {

ServerLine::ServerLine(int server, CQRV_LoadMemory* record, char siteCode)
    : site(record->GetSiteCount() == 1 ? 0 : server),
      usbIndex(server),
      para(server),
      server_(server),
      record_(record),
      packetLog_(record->GetRoot(), SiteLetter(server)),
      siteCode_(siteCode) {
  for (char* text : {barCode.BCD, barCode.VCM, barCode.BCD_SUB, barCode.TIME}) std::snprintf(text, 5, "NULL");
  std::snprintf(i1Pro.text, sizeof i1Pro.text, "00000000");
  i1Pro.value = 0;
  InitMesRecord(mes);
}

ServerLine::~ServerLine() { CloseDescriptor(); }

void ServerLine::Attach(const QObject* connection, std::intptr_t descriptor) {
  const std::lock_guard lock(sendMutex_);
  CloseDescriptor();
  connection_ = connection;
  descriptor_ = descriptor >= 0 ? ::fcntl(static_cast<int>(descriptor), F_DUPFD_CLOEXEC, 0) : -1;
}

void ServerLine::Detach(const QObject* connection) {
  const std::lock_guard lock(sendMutex_);
  if (connection_ != connection) return;
  connection_ = nullptr;
  CloseDescriptor();
}

void ServerLine::CloseDescriptor() {
  if (descriptor_ >= 0) ::close(descriptor_);
  descriptor_ = -1;
}

void ServerLine::RestartSequence() {
  const std::lock_guard lock(sendMutex_);
  sequence_ = 1;
}

void ServerLine::SendPacket(PacketType type, char code, std::string_view ext, std::string_view data,
                            const ProtocolPacket* request) {
  std::string packet;
  int failure = 0;
  {
    const std::lock_guard lock(sendMutex_);
    if (descriptor_ < 0) return;
    int id = 0;
    if (type == PacketType::Ack && request) {
      id = ParseInt(request->Id());
    } else {
      id = sequence_;
      sequence_ = NextSequence(sequence_);
    }
    packet = BuildPacket(siteCode_.load(), type, id, code, ext, data);
    // The row is in the monitor before the handler can answer it, so its Ack always finds it.
    if (monitor) monitor->AddSendRow(server_, std::string_view(packet).substr(0, packet.size() - 1));
    // The descriptor is non-blocking, as the connection's own is: a full send buffer waits for room.
    // The pause after the last packet is taken before this one leaves: a lone packet is not held up, and its
    // lines are written as soon as it is on the wire.
    std::this_thread::sleep_until(nextSend_);
    failure = WriteAll(descriptor_, packet, kSendTimeout);
    nextSend_ = std::chrono::steady_clock::now() + kSendPause;
  }
  packet.pop_back();
  Log(packet);
  WritePacketLog(packet);
  if (failure != 0) Log(port::Format("Packet send fail : %s", std::strerror(failure)));
}

void ServerLine::MarkMonitor(AckMonitor::List list) const {
  if (monitor) monitor->Mark(server_, list);
}

bool ServerLine::IsDebugMode() const {
  return record_->RegeditRead_Int &&
         record_->RegeditRead_Int(RegRoot::CurrentUser, kProtocolDebugKey, "ProtocolDebug", 0) == 1;
}

void ServerLine::RunDebugSequence(int site) {
  if (!sequences || !table) return;
  protocol::RunDebugSequence(sequences->Rows(site), {server_, table, record_, &testerState, &statusRow});
}

void ServerLine::WritePacketLog(std::string_view text) {
  if (!packetSave.load()) return;
  const auto now = port::clock::NowLocal();
  const std::string line = PacketLog::FormatLine(now, text);
  if (status) status->Append(server_, line);
  packetLog_.WriteLine(now, line);
}

void ServerLine::SendCommandToPanel(const std::string& text) const {
  port::SendMessage(record_->m_hSiteWnd, kWmProtocolCommand, reinterpret_cast<std::uintptr_t>(text.c_str()), 0);
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
