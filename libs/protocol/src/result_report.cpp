#include "result_report.h"

#include "port/text.h"

namespace protocol {
namespace {

void SendResult(ServerLine& line, int code, const std::string& message) {
  if (code == 0) code = 1;
  const std::string bcd = line.barCode.BCD;
  const std::string vcm = line.barCode.VCM;
  line.Log(port::Format("Protocol ResultCode: %d", code));
  line.Log(port::Format("Module BarCode: %s", bcd.c_str()));
  line.SendPacket(PacketType::Notify, 'R', "RET",
                  port::Format("@RET=%d@MSG=%s@BCD=%s@VCM=%s", code, message.c_str(), bcd.c_str(), vcm.c_str()));
  line.MarkMonitor(AckMonitor::List::Recv);
  line.MarkMonitor(AckMonitor::List::Send);
}

// The pair's result at its second report: the code a test item set for the pair, else the first failure of
// the two sites with that site's message, else the pass. Caller holds resultMutex.
void TakePairResult(const ServerLine& line, int& code, std::string& message) {
  if (line.dualCode) {
    code = *line.dualCode;
  } else if (line.dualFirstCode != 0) {
    code = line.dualFirstCode;
    message = line.dualMessage;
  }
}

}  // namespace

void ReportResult(ServerLine& line, int code, std::string message) {
  {
    const std::lock_guard lock(line.resultMutex);
    if (line.dual.load() != 0) {
      if (++line.dualResultCount == 1) {
        line.dualFirstCode = code;
        line.dualMessage = std::move(message);
        return;
      }
      // With one side refused, the started side tested alone: its own result goes.
      if (!line.dualSideRefused) TakePairResult(line, code, message);
    }
  }
  SendResult(line, code, message);
}

int ReportStatus(ServerLine& line) {
  const std::lock_guard lock(line.resultMutex);
  int state = line.testerState.load();
  const bool done = line.dual.load() == 0 || line.dualResultCount >= 2;
  if (state == kTesterWorking && done) line.testerState.compare_exchange_strong(state, kTesterReady);
  return state;
}

void ReportRefusedSide(ServerLine& line) {
  int code = 0;
  std::string message;
  {
    const std::lock_guard lock(line.resultMutex);
    line.dualSideRefused = true;
    if (++line.dualResultCount == 1) return;
    code = line.dualFirstCode;
    message = line.dualMessage;
  }
  SendResult(line, code, message);
  ReportStatus(line);
}

}  // namespace protocol
