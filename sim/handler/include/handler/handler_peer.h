#pragma once
// A handler as the station sees it over the handler link: connects to a protocol server, sends starts of
// test and other requests, reads what the tester sends, and answers the tester's requests as a handler
// does. It can also misbehave on purpose: raw bytes, packets cut or merged, a dropped connection.
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "protocol_packet.h"
#include "packet_reassembler.h"

namespace handler {

struct StartOfTest {
  int site = 0;
  int usb = 0;
  int para = 0;
  std::string bcd = "BCD0001";
  std::string vcm = "VCM0001";
  // A site of its own makes it a dual start: one start for `site` on board usb and `dualRight` on usb + 1,
  // answered by one result for the pair.
  int dualRight = -1;
  std::string extra;  // further "@key=value" fields
};

// How the peer answers one kind of tester request; a handler that misbehaves on purpose.
struct AckBehaviour {
  enum class Kind {
    Answer,          // at once
    Silent,          // never
    Late,            // after delayMs
    RetZeroThenOne,  // "@RET=0" at once, the usual answer after delayMs
  };
  Kind kind = Kind::Answer;
  int delayMs = 0;
  std::optional<std::string> data;  // sent in place of the usual answer
};

// What the peer's machine reports when the tester asks.
struct HandlerValues {
  double motorX = 1.25, motorY = -2.5, motorZ = 0.75;
  double visionX = 10.5, visionY = -3.25, visionAngle = 0.5;
  double temperature = 36.5;
  int publicLocation = 0;  // the slot the handler names in its public-data answers
  std::map<std::string, std::string> publicData;
};

class HandlerPeer {
 public:
  HandlerPeer() = default;
  ~HandlerPeer();
  HandlerPeer(const HandlerPeer&) = delete;
  HandlerPeer& operator=(const HandlerPeer&) = delete;

  bool Connect(const std::string& host, int port, int timeoutMs);
  // Drops the connection at once, whatever is in flight.
  void Close();
  bool IsConnected() const { return fd_ >= 0; }

  bool SendRaw(std::string_view bytes);
  // A Command of the handler: "$", receiver, 'H', 'C', the next ID, class, letters, data, '\r'.
  bool SendCommand(char code, std::string_view ext, std::string_view data);
  bool SendStartOfTest(const StartOfTest& start);
  static std::string StartOfTestData(const StartOfTest& start);
  static std::string CommandPacket(int id, char code, std::string_view ext, std::string_view data);

  // The next packet the tester sent, without its '\r'; nullopt on time-out or a closed connection.
  std::optional<std::string> ReadPacket(int timeoutMs);
  // Reads until a packet of that class and letters arrives, answering the tester's own Commands on the
  // way as Serve does; nullopt on time-out.
  std::optional<std::string> WaitFor(char code, std::string_view ext, int timeoutMs);
  // Reads the tester's next packet and, when it is a Command, answers it as its behaviour says.
  std::optional<std::string> ServeNext(int timeoutMs);
  // One module as a handler tests it: asks the tester's status, sends the start once the tester is ready
  // and waits for the result notice, answering the tester's Commands on the way. A tester still working
  // (its site finishing the previous module) is asked again, and a start it refuses is sent again, after a
  // short pause; each adds 1 to *refusals. The result is acknowledged and returned; nullopt when no result
  // came within timeoutMs of the last start, or when the status answer is neither ready nor working (the
  // tester's hardware or MES is in error), with the reason in LastFailure.
  std::optional<std::string> RunTest(const StartOfTest& start, int timeoutMs, int* refusals = nullptr);
  // Why the last RunTest gave no result: the status answer that was not ready, or a missing answer.
  const std::string& LastFailure() const { return lastFailure_; }
  // Answers a tester Command as a handler does (with this peer's behaviour for its kind).
  void Respond(const std::string& packet);
  // The answer a handler that does what it is asked gives to a tester Command.
  std::string UsualAnswer(const std::string& packet);

  void SetBehaviour(char code, std::string_view ext, AckBehaviour behaviour);
  HandlerValues& Values() { return values_; }
  // Acknowledges a packet of the tester with the given data.
  bool Acknowledge(const std::string& packet, std::string_view data);

  int AnsweredCommands() const { return answered_; }

 private:
  int fd_ = -1;
  int nextId_ = 1;
  int answered_ = 0;
  std::map<std::string, AckBehaviour> behaviours_;  // by class letter and three letters
  HandlerValues values_;
  protocol::PacketReassembler reassembler_;
  std::string pending_;  // complete packets not yet handed out, each ending in '\r'
  std::string lastFailure_;

  enum class Status { Ready, Working, Failed };
  // Asks the tester's status; Failed sets lastFailure_.
  Status AskStatus(int timeoutMs);
};

}  // namespace handler
