// The exports through which test items read what the handler answered: the records of their requests
// and the MES data.
#include "ProtocolFunctionTable.h"
#include "library.h"

using protocol::FindServerLine;

QRV_EXPORT VisionData* GetVisionData(int server) {
  const auto line = FindServerLine(server);
  return line ? &line->answers.vision : nullptr;
}

QRV_EXPORT MoterLocationInfo* GetMoterLocationInfo(int server) {
  const auto line = FindServerLine(server);
  return line ? &line->answers.motor : nullptr;
}

QRV_EXPORT AvisLightValueInfo* GetAvisLightValueInfo(int server) {
  const auto line = FindServerLine(server);
  return line ? &line->answers.avis : nullptr;
}

QRV_EXPORT MoveStepData* GetMoveStepData(int server) {
  const auto line = FindServerLine(server);
  return line ? &line->answers.step : nullptr;
}

QRV_EXPORT MesRecord* GetMesData(int server) {
  const auto line = FindServerLine(server);
  return line ? &line->mes : nullptr;
}
