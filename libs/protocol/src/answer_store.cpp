#include "answer_store.h"

#include <algorithm>
#include <array>
#include <utility>

#include "port/text.h"
#include "text_rules.h"

namespace protocol {
namespace {

struct RetAnswer {
  char code;
  const char* ext;
  AckFlag flag;
};

// Answers whose RET is all there is to store.
constexpr std::array<RetAnswer, 14> kRetAnswers = {{{'F', "FMC", AckFlag::FMC},
                                                    {'F', "FLZ", AckFlag::FLZ},
                                                    {'F', "FXY", AckFlag::FXY},
                                                    {'F', "FRT", AckFlag::FRT},
                                                    {'F', "MFC", AckFlag::MFC},
                                                    {'F', "TLT", AckFlag::TLT},
                                                    {'F', "TL2", AckFlag::TL2},
                                                    {'F', "TL3", AckFlag::TL3},
                                                    {'F', "DPS", AckFlag::DPS},
                                                    {'F', "ROT", AckFlag::ROT},
                                                    {'K', "EMO", AckFlag::EMO},
                                                    {'L', "AVS", AckFlag::AVS},
                                                    {'T', "TMS", AckFlag::TMS},
                                                    {'T', "TMP", AckFlag::TMP}}};

double DoubleField(const PacketFields& fields, std::string_view key) { return ParseDouble(fields.Get(key)); }

// A count from the handler, held to the items a record has room for.
int ItemCount(const PacketFields& fields, std::string_view key, int room) {
  return std::clamp(fields.Int(key), 0, room);
}

void Raise(std::atomic<int>& flag, int value) { flag.store(value, std::memory_order_release); }

void StoreAvisLight(TesterAnswers& answers, const ProtocolPacket& packet, const PacketFields& fields) {
  AvisLightValueInfo& avis = answers.avis;
  std::fill(std::begin(avis.ID), std::end(avis.ID), '\0');
  port::CopyText(avis.ID, packet.Id());
  avis.COUNT = ItemCount(fields, "COUNT", kAvisLightChannels);
  const auto channels = SplitList(fields.Get("Channel"));
  const auto onOff = SplitList(fields.Get("OnOff"));
  for (int i = 0; i < avis.COUNT; ++i) {
    avis.Channel[i] = i < static_cast<int>(channels.size()) ? ParseInt(channels[i]) : 0;
    avis.OnOff[i] = i < static_cast<int>(onOff.size()) ? ParseInt(onOff[i]) : 0;
  }
}

void StoreStep(TesterAnswers& answers, const PacketFields& fields) {
  MoveStepData& step = answers.step;
  step = MoveStepData{};
  step.STEP = fields.Int("STEP");
  step.COUNT = ItemCount(fields, "COUNT", kMoveStepItems);
  const auto symbols = SplitList(fields.Get("SYMBOL"));
  const auto values = SplitList(fields.Get("DATA"));
  for (int i = 0; i < step.COUNT; ++i) {
    if (i < static_cast<int>(symbols.size())) port::CopyText(step.SYMBOL[i], symbols[i]);
    if (i < static_cast<int>(values.size())) step.DATA[i] = ParseDouble(values[i]);
  }
}

// A public-data answer names its slot by LOCATION; one outside the slots is logged and changes nothing.
bool PublicSlot(ServerLine& line, const PacketFields& fields, int& slot) {
  slot = fields.Int("LOCATION");
  if (IsPublicSlot(slot)) return true;
  line.Log(port::Format("Public data answer ignored : LOCATION %d", slot));
  return false;
}

}  // namespace

bool StoreTesterAnswer(ServerLine& line, const ProtocolPacket& packet) {
  TesterAnswers& answers = line.answers;
  const PacketFields fields(packet.Data());
  for (const RetAnswer& answer : kRetAnswers) {
    if (!packet.IsCommand(answer.code, answer.ext)) continue;
    if (answer.flag == AckFlag::TMP) answers.temperature.store(static_cast<float>(DoubleField(fields, "TEMP")));
    Raise(answers.Flag(answer.flag), fields.Int("RET"));
    return true;
  }
  if (packet.IsCommandNoCase('F', "STP")) {
    answers.stepRet.store(fields.Int("RET"));
    StoreStep(answers, fields);
    Raise(answers.stepAnswered, 1);
  } else if (packet.IsCommand('A', "AIO")) {
    Raise(answers.Flag(AckFlag::AIO), 1);
  } else if (packet.IsCommand('L', "AVG")) {
    StoreAvisLight(answers, packet, fields);
    Raise(answers.Flag(AckFlag::AVG), fields.Int("RET"));
  } else if (packet.IsCommand('M', "AML")) {
    MoterLocationInfo& motor = answers.motor;
    motor.Axis = fields.Int("Axis");
    motor.X = DoubleField(fields, "X");
    motor.Y = DoubleField(fields, "Y");
    motor.Z = DoubleField(fields, "Z");
    Raise(answers.Flag(AckFlag::AML), fields.Int("RET"));
  } else if (packet.IsCommandNoCase('M', "VIS")) {
    VisionData& vision = answers.vision;
    vision.X_POS = DoubleField(fields, "X_POS");
    vision.Y_POS = DoubleField(fields, "Y_POS");
    vision.ANGLE = DoubleField(fields, "ANGLE");
    vision.RECEIVE_DATA = fields.Int("RECEIVE_DATA");
    vision.RESULT = fields.Int("RESULT");
    Raise(answers.Flag(AckFlag::VIS), 1);
  } else if (packet.IsCommandNoCase('M', "PUS")) {
    int slot = 0;
    if (PublicSlot(line, fields, slot)) Raise(answers.PublicSetFlag(slot), 1);
  } else if (packet.IsCommandNoCase('M', "PUG")) {
    int slot = 0;
    if (PublicSlot(line, fields, slot)) {
      answers.SetPublicData(std::string(fields.Get("KEY")), std::string(fields.Get("DATA")));
      Raise(answers.PublicGetFlag(slot), 1);
    }
  } else {
    return false;
  }
  return true;
}

}  // namespace protocol
