#include "handler/handler_peer.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <thread>

namespace handler {
namespace {

using Clock = std::chrono::steady_clock;

int RemainingMs(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

}  // namespace

HandlerPeer::~HandlerPeer() { Close(); }

bool HandlerPeer::Connect(const std::string& host, int port, int timeoutMs) {
  Close();
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) return false;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  if (::inet_pton(AF_INET, host.c_str(), &address.sin_addr) != 1) {
    ::close(fd);
    return false;
  }
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  while (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    if (RemainingMs(deadline) == 0) {
      ::close(fd);
      return false;
    }
    ::poll(nullptr, 0, 10);
  }
  const int on = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  fd_ = fd;
  reassembler_ = {};
  pending_.clear();
  return true;
}

void HandlerPeer::Close() {
  if (fd_ < 0) return;
  ::close(fd_);
  fd_ = -1;
}

bool HandlerPeer::SendRaw(std::string_view bytes) {
  while (!bytes.empty() && fd_ >= 0) {
    const ssize_t sent = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (sent <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(sent));
  }
  return fd_ >= 0;
}

std::string HandlerPeer::CommandPacket(int id, char code, std::string_view ext, std::string_view data) {
  char head[16];
  std::snprintf(head, sizeof head, "$THC%05d%c", id % 100000, code);
  return std::string(head) + std::string(ext) + std::string(data) + "\r";
}

bool HandlerPeer::SendCommand(char code, std::string_view ext, std::string_view data) {
  const std::string packet = CommandPacket(nextId_, code, ext, data);
  nextId_ = protocol::NextSequence(nextId_);
  return SendRaw(packet);
}

std::string HandlerPeer::StartOfTestData(const StartOfTest& start) {
  char fields[128];
  std::snprintf(fields, sizeof fields, "@Site=%d@Usb=%d@Para=%d@GrrMode=0@TestSequence=1", start.site, start.usb,
                start.para);
  std::string data = fields + ("@BCD=" + start.bcd) + ("@VCM=" + start.vcm);
  if (start.dualRight >= 0) {
    std::snprintf(fields, sizeof fields, "@DUAL=1@DUAL_SITE_L=%d@DUAL_SITE_R=%d", start.site, start.dualRight);
    data += fields;
  }
  return data + start.extra;
}

bool HandlerPeer::SendStartOfTest(const StartOfTest& start) { return SendCommand('K', "SOT", StartOfTestData(start)); }

std::optional<std::string> HandlerPeer::ReadPacket(int timeoutMs) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  while (true) {
    const std::size_t end = pending_.find('\r');
    if (end != std::string::npos) {
      std::string packet = pending_.substr(0, end);
      pending_.erase(0, end + 1);
      return packet;
    }
    if (fd_ < 0) return std::nullopt;
    pollfd wait{fd_, POLLIN, 0};
    if (::poll(&wait, 1, RemainingMs(deadline)) <= 0) return std::nullopt;
    char block[4096];
    const ssize_t got = ::recv(fd_, block, sizeof block, 0);
    if (got <= 0) {
      Close();
      continue;
    }
    for (auto& packet : reassembler_.Feed(std::string_view(block, static_cast<std::size_t>(got))).packets) {
      pending_ += packet.substr(0, packet.find('\r') + 1);
    }
  }
}

bool HandlerPeer::Acknowledge(const std::string& packet, std::string_view data) {
  const protocol::ProtocolPacket received(packet);
  const std::string id(received.Id());
  return SendRaw("$TH" + std::string("A") + id + received.Code() + std::string(received.Ext()) + std::string(data) + "\r");
}

std::optional<std::string> HandlerPeer::WaitFor(char code, std::string_view ext, int timeoutMs) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  while (auto packet = ReadPacket(RemainingMs(deadline))) {
    const protocol::ProtocolPacket received(*packet);
    if (received.Code() == code && received.Ext() == ext) return packet;
    if (received.Type() == 'C') Respond(*packet);
  }
  return std::nullopt;
}

std::optional<std::string> HandlerPeer::ServeNext(int timeoutMs) {
  auto packet = ReadPacket(timeoutMs);
  if (packet && protocol::ProtocolPacket(*packet).Type() == 'C') Respond(*packet);
  return packet;
}

HandlerPeer::Status HandlerPeer::AskStatus(int timeoutMs) {
  if (!SendCommand('I', "IOT", "")) {
    lastFailure_ = "the status inquiry could not be sent";
    return Status::Failed;
  }
  const std::optional<std::string> answer = WaitFor('I', "IOT", timeoutMs);
  if (!answer) {
    lastFailure_ = "no answer to the status inquiry";
    return Status::Failed;
  }
  const std::string ret = protocol::GetPacketField(protocol::ProtocolPacket(*answer).Data(), "RET");
  if (ret == "000") return Status::Ready;
  if (ret == "002") return Status::Working;
  lastFailure_ = "the tester is not ready: " + *answer;
  return Status::Failed;
}

std::optional<std::string> HandlerPeer::RunTest(const StartOfTest& start, int timeoutMs, int* refusals) {
  constexpr int kMaxRefusals = 1000;
  constexpr auto kRetryPause = std::chrono::milliseconds(10);
  lastFailure_.clear();
  for (int attempt = 0; attempt < kMaxRefusals; ++attempt) {
    const Status status = AskStatus(timeoutMs);
    if (status == Status::Failed) return std::nullopt;
    if (status == Status::Ready) {
      if (!SendStartOfTest(start)) return std::nullopt;
      const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
      std::optional<std::string> answer;
      while ((answer = ReadPacket(RemainingMs(deadline)))) {
        const protocol::ProtocolPacket received(*answer);
        if (received.Type() == 'N' && received.IsCommand('R', "RET")) {
          Acknowledge(*answer, "@RET=1");
          return answer;
        }
        if (received.Type() == 'A' && received.IsCommand('K', "SOT")) break;
        if (received.Type() == 'C') Respond(*answer);
      }
      if (!answer) {
        lastFailure_ = "no result within the time-out";
        return std::nullopt;
      }
    }
    if (refusals != nullptr) ++*refusals;
    std::this_thread::sleep_for(kRetryPause);
  }
  lastFailure_ = "the tester stayed busy";
  return std::nullopt;
}

void HandlerPeer::SetBehaviour(char code, std::string_view ext, AckBehaviour behaviour) {
  behaviours_[code + std::string(ext)] = std::move(behaviour);
}

void HandlerPeer::Respond(const std::string& packet) {
  const protocol::ProtocolPacket request(packet);
  const auto found = behaviours_.find(request.Code() + std::string(request.Ext()));
  const AckBehaviour behaviour = found != behaviours_.end() ? found->second : AckBehaviour{};
  const std::string answer = behaviour.data ? *behaviour.data : UsualAnswer(packet);
  const auto pause = [&] { std::this_thread::sleep_for(std::chrono::milliseconds(behaviour.delayMs)); };
  switch (behaviour.kind) {
    case AckBehaviour::Kind::Silent:
      return;
    case AckBehaviour::Kind::Late:
      pause();
      break;
    case AckBehaviour::Kind::RetZeroThenOne:
      Acknowledge(packet, "@RET=0");
      pause();
      break;
    case AckBehaviour::Kind::Answer:
      break;
  }
  Acknowledge(packet, answer);
  ++answered_;
}

std::string HandlerPeer::UsualAnswer(const std::string& packet) {
  const protocol::ProtocolPacket request(packet);
  const std::string data(request.Data());
  const auto field = [&](const char* key) { return protocol::GetPacketField(data, key); };
  const std::string kind = request.Code() + std::string(request.Ext());
  char text[256];
  if (kind == "TTMP") {
    std::snprintf(text, sizeof text, "@RET=1@TEMP=%.2f", values_.temperature);
  } else if (kind == "MAML") {
    std::snprintf(text, sizeof text, "@RET=1@Axis=%s@X=%.3f@Y=%.3f@Z=%.3f", field("Axis").c_str(), values_.motorX,
                  values_.motorY, values_.motorZ);
  } else if (kind == "MVIS") {
    std::snprintf(text, sizeof text, "@X_POS=%.3f@Y_POS=%.3f@ANGLE=%.3f@RECEIVE_DATA=1@RESULT=1", values_.visionX,
                  values_.visionY, values_.visionAngle);
  } else if (kind == "LAVG") {
    return "@RET=1@COUNT=" + field("COUNT") + "@Channel=" + field("Channel") + "@OnOff=" + field("OnOff");
  } else if (kind == "MPUS") {
    values_.publicData[field("KEY")] = field("DATA");
    std::snprintf(text, sizeof text, "@LOCATION=%d", values_.publicLocation);
  } else if (kind == "MPUG") {
    const auto stored = values_.publicData.find(field("KEY"));
    const std::string value = stored != values_.publicData.end() ? stored->second : "NULL";
    return "@KEY=" + field("KEY") + "@DATA=" + value + "@LOCATION=" + std::to_string(values_.publicLocation);
  } else if (kind == "FSTP") {
    return "@RET=1" + data;
  } else {
    return "@RET=1";
  }
  return text;
}

}  // namespace handler
