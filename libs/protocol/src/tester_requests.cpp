// The test items' requests to the handler: each sends a Command on its server and waits for the
// handler's answer, its time-out or the stop-all flag.
#include <algorithm>
#include <string>
#include <string_view>

#include "ProtocolFunctionTable.h"
#include "ack_wait.h"
#include "library.h"
#include "port/text.h"

using protocol::AckFlag;
using protocol::FindServerLine;
using protocol::ServerLine;
using protocol::StopCheck;
using protocol::WaitTexts;

namespace {

int SendAndWait(ServerLine& line, AckFlag kind, char code, const char* ext, const std::string& data,
                const WaitTexts& texts, int timeoutMs, StopCheck stopCheck = StopCheck::BeforeAnswer) {
  auto& flag = line.answers.Flag(kind);
  flag.store(0);
  line.SendPacket(protocol::PacketType::Command, code, ext, data);
  return protocol::WaitAckFlag(line, flag, texts, timeoutMs, stopCheck) ? 1 : 0;
}

int Request(int server, AckFlag kind, char code, const char* ext, const std::string& data, const WaitTexts& texts,
            int timeoutMs) {
  const auto line = FindServerLine(server);
  return line ? SendAndWait(*line, kind, code, ext, data, texts, timeoutMs) : 0;
}

struct ChartPoint {
  double x, y;
};

// As the chart check boxes say: swap first, then negate.
ChartPoint OnChart(double x, double y) {
  const protocol::ChartSettings chart = protocol::CurrentChart();
  if (chart.xyChange) std::swap(x, y);
  if (chart.xInverse) x = -x;
  if (chart.yInverse) y = -y;
  return {x, y};
}

// A text the caller puts into a field must not end the field, the packet, or start another one.
bool IsFieldText(std::string_view text, std::string_view alsoRefused = {}) {
  return text.find_first_of(std::string("$@\r") + std::string(alsoRefused)) == std::string_view::npos;
}

}  // namespace

QRV_EXPORT int MoveCylinder(int server, int location, int timeoutMs) {
  return Request(server, AckFlag::FMC, 'F', "FMC", port::Format("@Location=%d", location),
                 {"MoveCylinder Start", "MoveCylinder pass", "MoveCylinder fail - timeout!"}, timeoutMs);
}

QRV_EXPORT int MoveFocusZ(int server, int upDown, double location, int timeoutMs) {
  return Request(server, AckFlag::FLZ, 'F', "FLZ", port::Format("@UpDown=%d@Location=%03.3f", upDown, location),
                 {port::Format("Move focus Location %03.3f.", location), "FocusZ pass", "FocusZ fail - timeout!"},
                 timeoutMs);
}

QRV_EXPORT int MoveXY(int server, double x, double y, int timeoutMs) {
  const ChartPoint p = OnChart(x, y);
  return Request(server, AckFlag::FXY, 'F', "FXY", port::Format("@X=%03.3f@Y=%03.3f", p.x, p.y),
                 {"MoveXY Start", "MoveXY pass", "MoveXY fail - timeout!"}, timeoutMs);
}

QRV_EXPORT int MoveRotation(int server, double rotation, int timeoutMs, int speed) {
  return Request(server, AckFlag::FRT, 'F', "FRT", port::Format("@Rotation=%03.3f@Speed=%d", rotation, speed),
                 {"MoveRotation Start", "MoveRotation pass", "MoveRotation fail - timeout!"}, timeoutMs);
}

QRV_EXPORT int MoveFocusChart(int server, float x, float y, float z, int timeoutMs) {
  const ChartPoint p = OnChart(x, y);
  return Request(server, AckFlag::MFC, 'F', "MFC",
                 port::Format("@X=%03.3f@Y=%03.3f@Z=%03.3f", p.x, p.y, static_cast<double>(z)),
                 {"MoveFocusChart Start", "MoveFocusChart pass", "MoveFocusChart fail - timeout!"}, timeoutMs);
}

QRV_EXPORT int MoveTilt(int server, float x, float y, int timeoutMs) {
  return Request(server, AckFlag::TLT, 'F', "TLT",
                 port::Format("@X=%03.3f@Y=%03.3f", static_cast<double>(x), static_cast<double>(y)),
                 {"MoveTilt Start", "MoveTilt pass", "MoveTilt fail - timeout!"}, timeoutMs);
}

QRV_EXPORT int MoveTilt2(int server, int axis, float angle, int timeoutMs) {
  return Request(server, AckFlag::TL2, 'F', "TL2", port::Format("@Axis=%d@Angle=%03.3f", axis, static_cast<double>(angle)),
                 {"MoveTilt2 Start", "MoveTilt2 pass", "MoveTilt2 fail - timeout!"}, timeoutMs);
}

QRV_EXPORT int MoveTilt3(int server, int axis, float x, float y, int timeoutMs) {
  return Request(server, AckFlag::TL3, 'F', "TL3",
                 port::Format("@Axis=%d@X=%03.3f@Y=%03.3f", axis, static_cast<double>(x), static_cast<double>(y)),
                 {"MoveTilt3 Start", "MoveTilt3 pass", "MoveTilt3 fail - timeout!"}, timeoutMs);
}

QRV_EXPORT int DisPensing(int server, int timeoutMs) {
  return Request(server, AckFlag::DPS, 'F', "DPS", "", {"DisPensing Start", "DisPensing pass", "DisPensing fail - timeout!"},
                 timeoutMs);
}

QRV_EXPORT int GetRotateStaus(int server, int timeoutMs) {
  return Request(server, AckFlag::ROT, 'F', "ROT", "", {"ROT", "RotateStaus pass", "RotateStaus fail - timeout!"},
                 timeoutMs);
}

QRV_EXPORT int SetAvisLight(int server, int timeoutMs, int channel) {
  return Request(server, AckFlag::AVS, 'L', "AVS", port::Format("@Channel=%d", channel),
                 {"Avis Light", "Avis Light change pass", "Avis Light change fail - timeout!"}, timeoutMs);
}

QRV_EXPORT int GetAvisLight(int server, int timeoutMs, AvisLightValueInfo* request) {
  const auto line = FindServerLine(server);
  if (!line) return 0;
  if (!request || request->COUNT < 0 || request->COUNT > kAvisLightChannels) {
    line->Log(port::Format("Avis Light request refused : COUNT %d", request ? request->COUNT : -1));
    return 0;
  }
  std::string data = port::Format("@COUNT=%d", request->COUNT);
  if (request->COUNT > 0) {
    data += "@Channel=";
    for (int i = 0; i < request->COUNT; ++i) data += port::Format("%d,", request->Channel[i]);
    data += "@OnOff=";
    for (int i = 0; i < request->COUNT; ++i) data += port::Format("%d,", request->OnOff[i]);
  }
  return SendAndWait(*line, AckFlag::AVG, 'L', "AVG", data,
                     {"Avis Light", "Avis Light Get change pass", "Avis Light change fail - timeout!"}, timeoutMs);
}

QRV_EXPORT int SetIO_Onoff(int server, int timeoutMs, int io, int onOff) {
  return Request(server, AckFlag::AIO, 'A', "AIO", port::Format("@IO=%d@OnOff=%d", io, onOff),
                 {"IO OnOff", "IO OnOff pass", "IO OnOff fail - timeout!"}, timeoutMs);
}

QRV_EXPORT int SetEmergency(int server, int timeoutMs) {
  const auto line = FindServerLine(server);
  if (!line) return 0;
  line->SendCommandToPanel("STOP");
  line->MarkMonitor(protocol::AckMonitor::List::Recv);
  return SendAndWait(*line, AckFlag::EMO, 'K', "EMO", "", {"EMO", "EMO pass", "EMO fail - timeout!"}, timeoutMs);
}

QRV_EXPORT int GetMoterLocation(int server, int axis, int timeoutMs) {
  return Request(server, AckFlag::AML, 'M', "AML", port::Format("@Axis=%d", axis),
                 {"AML", "GetMoterLocation pass", "GetMoterLocation fail - timeout!"}, timeoutMs);
}

QRV_EXPORT int SetTemperature(int server, int timeoutMs, float value) {
  return Request(server, AckFlag::TMS, 'T', "TMS", port::Format("@VAL=%.2f", static_cast<double>(value)),
                 {"SetTemperature", "SetTemperature pass", "SetTemperature fail - timeout!"}, timeoutMs);
}

QRV_EXPORT float GetTemperature(int server, int timeoutMs) {
  const auto line = FindServerLine(server);
  if (!line) return 0.0f;
  const int answered =
      SendAndWait(*line, AckFlag::TMP, 'T', "TMP", "",
                  {"GetTemperature", "GetTemperature pass", "GetTemperature fail - timeout!"}, timeoutMs,
                  StopCheck::AfterTimeout);
  return answered ? line->answers.temperature.load() : 0.0f;
}

QRV_EXPORT int GetVision(int server, int timeoutMs) {
  const auto line = FindServerLine(server);
  if (!line) return 0;
  VisionData& vision = line->answers.vision;
  vision.X_POS = vision.Y_POS = vision.ANGLE = 0.0;
  vision.RECEIVE_DATA = vision.RESULT = 0;
  return SendAndWait(*line, AckFlag::VIS, 'M', "VIS", "", {"GetVision", "GetVision pass", "GetVision fail - timeout!"},
                     timeoutMs);
}

// Waits for the focus-cone-load result the handler sends on its own; nothing is sent.
QRV_EXPORT int GetLoadResult(int server, int timeoutMs) {
  const auto line = FindServerLine(server);
  if (!line) return 0;
  return protocol::WaitAckFlag(*line, line->answers.Flag(AckFlag::FLR),
                               {"FocusConeLoad Start", "Focus Cone Load pass", "Focus Cone Load fail - timeout!"},
                               timeoutMs)
             ? 1
             : 0;
}

QRV_EXPORT int SetPublicData(int server, int timeoutMs, int slot, std::string key, std::string data) {
  const auto line = FindServerLine(server);
  if (!line) return 0;
  if (!protocol::IsPublicSlot(slot) || !IsFieldText(key, "=") || !IsFieldText(data)) {
    line->Log(port::Format("SendPublicData refused : slot %d", slot));
    return 0;
  }
  auto& flag = line->answers.PublicSetFlag(slot);
  flag.store(0);
  line->SendPacket(protocol::PacketType::Command, 'M', "PUS", "@KEY=" + key + "@DATA=" + data);
  return protocol::WaitAckFlag(*line, flag, {"SendPublicData", "SendPublicData Ack", "SendPublicData fail - timeout!"},
                               timeoutMs)
             ? 1
             : 0;
}

QRV_EXPORT std::string GetPublicData(int server, int timeoutMs, int slot, std::string key, int* error) {
  auto fail = [error](int code, const char* text) {
    if (error) *error = code;
    return std::string(text);
  };
  const auto line = FindServerLine(server);
  if (!line) return fail(1, "Error - Server NULL");
  if (!protocol::IsPublicSlot(slot) || !IsFieldText(key, "=")) {
    line->Log(port::Format("PublicReceiveData refused : slot %d", slot));
    return fail(1, "Error - Request refused");
  }
  auto& flag = line->answers.PublicGetFlag(slot);
  flag.store(0);
  line->SendPacket(protocol::PacketType::Command, 'M', "PUG", "@KEY=" + key);
  if (!protocol::WaitAckFlag(*line, flag,
                             {"PublicReceiveData", "PublicReceiveData Ack", "PublicReceiveData fail - timeout!"},
                             timeoutMs)) {
    return fail(3, "Error - Timeout");
  }
  const auto value = line->answers.PublicData(key);
  if (!value || *value == "NULL") return fail(2, "Error - NULL");
  if (error) *error = 0;
  return *value;
}

QRV_EXPORT int MoveStep(int server, int step, int count, const std::string* symbols, const double* values,
                        int timeoutMs) {
  const auto line = FindServerLine(server);
  if (!line) return -1;
  const bool listed = count >= 0 && count <= kMoveStepItems && (count == 0 || (symbols && values));
  const bool plain =
      listed && std::all_of(symbols, symbols + count, [](const std::string& s) { return IsFieldText(s, ",="); });
  if (!plain) {
    line->Log(port::Format("MoveStep refused : COUNT %d", count));
    return -1;
  }
  std::string symbolList;
  std::string valueList;
  for (int i = 0; i < count; ++i) {
    symbolList += symbols[i] + ",";
    valueList += port::Format("%f,", values[i]);
  }
  auto& answered = line->answers.stepAnswered;
  line->answers.stepRet.store(0);
  answered.store(0);
  line->SendPacket(protocol::PacketType::Command, 'F', "STP",
                   port::Format("@STEP=%d@COUNT=%d@SYMBOL=%s@DATA=%s", step, count, symbolList.c_str(), valueList.c_str()));
  if (!protocol::WaitAckFlag(*line, answered, {"MoveStep", "MoveStep Ack", "MoveStep fail - timeout!"}, timeoutMs)) {
    return -1;
  }
  return line->answers.stepRet.load();
}
