#pragma once
// The simulation sequences of debug mode: per server letter a list of rows (function, value) that replace
// the handler's moves when ProtocolDebug is 1, kept in Protocol.ini [SIMUL_SEQUENEC_<letter>]. The lists
// are edited on the UI thread and read by the site threads that report results, so they live under a lock.
#include <array>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ProtocolFunctionTable.h"
#include "QRV_PlatformMemory.h"

namespace protocol {

struct SequenceRow {
  std::string function;
  std::string value;
  bool operator==(const SequenceRow&) const = default;
};
using Sequence = std::vector<SequenceRow>;

inline constexpr int kSequenceLists = 4;
// A simulated handler's sequence is typed by hand, a row at a time.
inline constexpr int kMaxSequenceRows = 10000;

// The 16 functions of a sequence row, in the order the function choice lists them.
const std::vector<std::string>& SequenceFunctions();
// The value a new row of that function starts with.
std::string DefaultSequenceValue(std::string_view function);

class DebugSequences {
 public:
  void Load(const std::string& protocolIni);
  void Save(const std::string& protocolIni) const;

  Sequence Rows(int list) const;
  void SetRows(int list, Sequence rows);
  // The value of the first row whose function begins with "ReturnCode" (any case), as the result code.
  std::optional<int> ReturnCode(int list) const;

 private:
  mutable std::mutex mutex_;
  std::array<Sequence, kSequenceLists> lists_;
};

// What a run needs of its server: the entries the rows call and where the "Status" rows go.
struct SequenceTarget {
  int server;
  const ProtocolFunctionTable* table;
  CQRV_LoadMemory* record;
  std::atomic<int>* testerState;
  std::atomic<int>* statusRow;  // the row of the last "Status" entry, for the status inquiry
};

// Runs the rows from first to last while the stop-all flag is clear.
void RunDebugSequence(const Sequence& rows, const SequenceTarget& target);

// The item of a row value named key ("X" in "3000,X=10,Y=20"); empty when there is none.
std::string KeyedItem(std::string_view value, std::string_view key);

}  // namespace protocol
