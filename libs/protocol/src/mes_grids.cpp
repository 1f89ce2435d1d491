#include "mes_grids.h"

#include <algorithm>

#include "QRV_Exports.h"
#include "mes_record.h"
#include "port/module.h"
#include "port/path.h"
#include "port/text.h"
#include "protocol_packet.h"

namespace protocol {
namespace {

bool IsControl(char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; }

std::string WithoutControls(std::string_view text) {
  std::string out;
  for (const char c : text) {
    if (!IsControl(c)) out.push_back(c);
  }
  return out;
}

// A key that can stand in an ini file without changing its structure.
bool IsIniKey(std::string_view name) {
  return !name.empty() && std::none_of(name.begin(), name.end(), [](char c) {
    return IsControl(c) || c == '[' || c == ']' || c == '=' || c == ';';
  });
}

std::string PlatformVersionTail() {
  auto version = reinterpret_cast<GetPlatformVer_Fn>(port::FindProgramSymbol("GetPlatformVer"));
  if (!version) return "NULL";
  const std::string text = version();
  return text.size() > 8 ? text.substr(text.size() - 8) : text;
}

}  // namespace

MesGrids::MesGrids(CQRV_LoadMemory* record) : record_(record) {
  const int boards = static_cast<int>(std::min<std::uint32_t>(record->GetPara(), kMaxSites));
  grids_.resize(static_cast<std::size_t>(boards));
  for (Grid& grid : grids_) {
    FillFieldNames(grid, 1, 18, 0, true);
    FillFieldNames(grid, 18, 34, 2, false);
    FillFieldNames(grid, 34, 40, 4, false);
    for (int k = 0; k < 5; ++k) FillFieldNames(grid, 40 + 10 * k, 50 + 10 * k, 6 + 2 * k, false);
  }
}

void MesGrids::FillFieldNames(Grid& grid, int first, int end, int keyColumn, bool insertRows) {
  const auto& names = MesDisplayNames();
  for (int n = first; n < end; ++n) {
    const std::size_t row = static_cast<std::size_t>(n - first);
    if (row >= grid.size()) {
      if (!insertRows) return;
      grid.resize(row + 1);
    }
    const std::size_t index = static_cast<std::size_t>(n - 1);
    grid[row][keyColumn] = index < names.size() ? names[index] : std::string();
    grid[row][keyColumn + 1] = "NULL";
  }
}

int MesGrids::GridCount() const {
  const std::lock_guard lock(mutex_);
  return static_cast<int>(grids_.size());
}

MesGrids::Grid MesGrids::GridOf(int board) const {
  const std::lock_guard lock(mutex_);
  return board >= 0 && board < static_cast<int>(grids_.size()) ? grids_[board] : Grid{};
}

void MesGrids::ParseMesData(int server, std::string_view fields, MesRecord& record) {
  for (const PacketField& field : GetPacketFields(fields)) {
    StoreMesField(record, field.name, field.value);
    ShowValue(server, field.name, field.value);
    WriteMesIni(field.name, field.value);
  }
  std::function<void()> changed;
  {
    const std::lock_guard lock(mutex_);
    changed = changed_;
  }
  if (changed) changed();
}

// A server without a board of its own has no grid; its data is still stored and written.
void MesGrids::SetChanged(std::function<void()> changed) {
  const std::lock_guard lock(mutex_);
  changed_ = std::move(changed);
}

void MesGrids::ShowValue(int board, const std::string& name, const std::string& value) {
  const std::lock_guard lock(mutex_);
  if (board < 0 || board >= static_cast<int>(grids_.size())) return;
  for (Row& row : grids_[board]) {
    for (int key = 0; key < kColumns; key += 2) {
      if (!row[key].empty() && row[key] == name) {
        row[key + 1] = value;
        break;
      }
    }
  }
}

void MesGrids::WriteMesIni(const std::string& name, const std::string& value) const {
  if (!record_->IniWrite_String || !IsIniKey(name)) return;
  const std::string path = port::JoinPath(record_->GetModelPath(), "MES.ini");
  record_->IniWrite_String("MES_DATA", name.c_str(), WithoutControls(value).c_str(), path.c_str());
}

std::string MesGrids::BuildNvmReply(std::string_view fields) const {
  const std::string sensor = record_->GetSensorPath();
  auto readText = [&](const char* section, const std::string& key) {
    return record_->IniRead_String ? record_->IniRead_String(section, key.c_str(), "NULL", sensor.c_str())
                                   : std::string("NULL");
  };
  auto readInt = [&](const char* section, const char* key) {
    return record_->IniRead_Int ? record_->IniRead_Int(section, key, 0, sensor.c_str()) : 0;
  };
  std::string reply;
  for (const PacketField& field : GetPacketFields(fields)) {
    const std::string name = WithoutControls(field.name);
    std::string value;
    if (name == "EEEER") value = readText("LOG", "LAST_STRING");
    else if (name == "CONFIG_BYTE") value = port::Format("C%x%d", readInt("OTP_WRITE", "CameraBuild"), readInt("OTP_WRITE", "Config"));
    else if (name == "BUILD_TYPE") value = readText("OTP_WRITE", "CameraBuild");
    else if (name == "PLATFORM_VERSION") value = PlatformVersionTail();
    else value = readText("OTP_WRITE", name);
    reply += "@" + name + "=" + WithoutControls(value);
  }
  if (reply.size() > kMaxNvmReply) reply.resize(kMaxNvmReply);
  return reply;
}

}  // namespace protocol
