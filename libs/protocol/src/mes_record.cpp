#include "mes_record.h"

#include <cstddef>
#include <cstring>

#include "port/text.h"
#include "text_rules.h"

namespace protocol {
namespace {

struct MesField {
  std::string name;
  std::size_t offset;
  bool isText;
};

std::string Indexed(const char* stem, int i) { return stem + std::to_string(i); }

std::vector<MesField> BuildFields() {
  std::vector<MesField> fields;
  auto number = [&](std::string name, std::size_t offset) { fields.push_back({std::move(name), offset, false}); };
  auto text = [&](std::string name, std::size_t offset) { fields.push_back({std::move(name), offset, true}); };
  number("BCD_Length", offsetof(MesRecord, BCD_Length));
  for (int i = 0; i < 5; ++i) number(Indexed("BCD_PosNo_", i), offsetof(MesRecord, BCD_PosNo) + i * sizeof(std::int32_t));
  number("BCD_Checksum", offsetof(MesRecord, BCD_Checksum));
  for (int i = 0; i < 5; ++i) number(Indexed("BCD_Check_", i), offsetof(MesRecord, BCD_Check) + i * sizeof(std::int32_t));
  for (int i = 0; i < 5; ++i) text(Indexed("BCD_Char_", i), offsetof(MesRecord, BCD_Char) + i * kMesTextSize);
  number("TEST_MODE", offsetof(MesRecord, TEST_MODE));
  number("ONOFFLINE", offsetof(MesRecord, ONOFFLINE));
  number("FCHECK", offsetof(MesRecord, FCHECK));
  number("THROUGH", offsetof(MesRecord, THROUGH));
  const char* const texts[] = {"LOT",        "EQUIPMENT", "FACTORY", "AREA",      "LINE",     "STATION",
                               "OPERATION",  "SUBEQUIPMENT", "PRODUCTSPEC", "EVENTUSER", "SWVERSION",
                               "SERVER_ADDR", "FBEQP",     "UFEQ",    "GHAEQP",    "LHAEQP",   "ACFEQP",
                               "SAEQP",      "PFEQP0",    "PFEQP1",  "VCMID0",    "VCMID1"};
  for (std::size_t i = 0; i < std::size(texts); ++i) text(texts[i], offsetof(MesRecord, LOT) + i * kMesTextSize);
  const char* const parts[] = {"SUBSTRATEID", "IRCFID", "LENSID", "FLEXID", "STIFFENER"};
  for (int group = 0; group < kMesPartGroups; ++group) {
    for (std::size_t part = 0; part < std::size(parts); ++part) {
      text(Indexed(parts[part], group),
           offsetof(MesRecord, GROUP) + group * sizeof(MesPartGroup) + part * kMesTextSize);
    }
  }
  return fields;
}

const std::vector<MesField>& Fields() {
  static const std::vector<MesField> fields = BuildFields();
  return fields;
}

}  // namespace

void InitMesRecord(MesRecord& record) {
  record = MesRecord{};
  for (const MesField& field : Fields()) {
    if (field.isText) StoreMesField(record, field.name, "NULL");
  }
  record.TEST_MODE = 1;
}

bool StoreMesField(MesRecord& record, std::string_view name, std::string_view value) {
  auto* base = reinterpret_cast<unsigned char*>(&record);
  for (const MesField& field : Fields()) {
    if (field.name != name) continue;
    if (field.isText) {
      port::CopyText(reinterpret_cast<char*>(base + field.offset), kMesTextSize, value);
    } else {
      const std::int32_t number = ParseInt(value);
      std::memcpy(base + field.offset, &number, sizeof number);
    }
    return true;
  }
  return false;
}

const std::vector<std::string>& MesDisplayNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> list = {"BCD_Length"};
    for (int i = 0; i < 5; ++i) list.push_back(Indexed("BCD_PosNo_", i));
    list.push_back("BCD_Checksum");
    for (int i = 0; i < 5; ++i) list.push_back(Indexed("BCD_Check_", i));
    for (int i = 0; i < 5; ++i) list.push_back(Indexed("BCD_Char_", i));
    for (const char* name : {"LOT", "EQUIPMENT", "TEST_MODE", "SERVER_ADDR", "FACTORY", "AREA", "STATION",
                             "OPERATION", "SUBEQUIPMENT", "PRODUCTSPEC", "EVENTUSER", "SWVERSION", "ONOFFLINE",
                             "LINE", "FCHECK", "THROUGH", "FBEQP", "UFEQ", "GHAEQP", "PFEQP0", "PFEQP1", "VCMID0",
                             "VCMID1", "LHAEQP", "ACFEQP", "SAEQP"}) {
      list.emplace_back(name);
    }
    for (const char* stem : {"SUBSTRATEID", "IRCFID", "FLEXID", "STIFFENER"}) {
      for (int i = 0; i < kMesPartGroups; ++i) list.push_back(Indexed(stem, i));
    }
    return list;
  }();
  return names;
}

}  // namespace protocol
