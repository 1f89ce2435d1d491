#pragma once
// The MES data of the handler: parses MES packets into a server's record, MES.ini and the per-board
// grids of the MES dialog, and answers NVM requests. Runs on the servers' workers; the grids are a
// model under a lock that the dialog's view reads on the UI thread.
#include <array>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "ProtocolFunctionTable.h"
#include "QRV_PlatformMemory.h"

namespace protocol {

class MesGrids {
 public:
  static constexpr int kColumns = 16;
  static constexpr int kRows = 17;
  static constexpr std::size_t kMaxNvmReply = 1023;
  using Row = std::array<std::string, kColumns>;
  using Grid = std::vector<Row>;

  // One grid per board of the record's Para count.
  explicit MesGrids(CQRV_LoadMemory* record);

  void ParseMesData(int server, std::string_view fields, MesRecord& record);
  std::string BuildNvmReply(std::string_view fields) const;
  // Names [first, end) of the display table (1-based, as the dialog counts them) into rows 0.. of the
  // key column, each value cell "NULL"; new rows are added when insertRows is set.
  static void FillFieldNames(Grid& grid, int first, int end, int keyColumn, bool insertRows);

  int GridCount() const;
  // A copy of board's grid, empty for a board without one.
  Grid GridOf(int board) const;
  // Called after a MES packet changed the grids (on the worker); the dialog posts itself a redraw.
  void SetChanged(std::function<void()> changed);

 private:
  void ShowValue(int board, const std::string& name, const std::string& value);
  void WriteMesIni(const std::string& name, const std::string& value) const;

  CQRV_LoadMemory* const record_;
  mutable std::mutex mutex_;
  std::vector<Grid> grids_;
  std::function<void()> changed_;
};

}  // namespace protocol
