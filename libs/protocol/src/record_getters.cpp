// The exports through which test items read what the handler answered: the records of their requests
// and the MES data.
#include "ProtocolFunctionTable.h"
#include "library.h"

namespace {

// The answer record of the server's line, or null for a server that is not open.
template <typename Record>
Record* AnswerOf(int server, Record protocol::TesterAnswers::*answer) {
  const auto line = protocol::FindServerLine(server);
  return line ? &(line->answers.*answer) : nullptr;
}

}  // namespace

QRV_EXPORT VisionData* GetVisionData(int server) { return AnswerOf(server, &protocol::TesterAnswers::vision); }

QRV_EXPORT MoterLocationInfo* GetMoterLocationInfo(int server) {
  return AnswerOf(server, &protocol::TesterAnswers::motor);
}

QRV_EXPORT AvisLightValueInfo* GetAvisLightValueInfo(int server) {
  return AnswerOf(server, &protocol::TesterAnswers::avis);
}

QRV_EXPORT MoveStepData* GetMoveStepData(int server) { return AnswerOf(server, &protocol::TesterAnswers::step); }

QRV_EXPORT MesRecord* GetMesData(int server) {
  const auto line = protocol::FindServerLine(server);
  return line ? &line->mes : nullptr;
}
