#pragma once
// The state of one site that its test thread changes and the site panel shows: item rows, result label,
// result picture, time text and counts. Workers change it under its lock; every change calls the update
// hook (outside the lock), through which a view queues its repaint on the UI thread. Nothing here is a widget.
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

// Row states of an item list, shown in its "Result" column.
enum ItemRowState : int { kRowReady = 0, kRowTesting = 1, kRowPass = 2, kRowFail = 3 };

// The "Result" text of a row state; any other value reads "Ready".
const char* RowStateText(int state);

// Result picture states.
enum ResultPicture : int { kPictureReady = 0, kPictureTesting = 1, kPicturePass = 2, kPictureFail = 3,
                           kPictureFinish = 4 };

// The most times one start calls a failing item, whether an item list's retry count or a cycle row's call
// count asks for more: a mistyped count must not keep a site from ever ending its test.
inline constexpr int kMaxItemCalls = 100;

struct ItemRow {
  std::string versionIndex;    // column 0
  std::string item;            // 1 "Item"
  std::string code;            // 2 "Code"
  std::string tact;            // 3 "Tact"
  std::string result = "Ready";  // 4 "Result"
  std::string dllName;         // 5 "Dll Name"
  std::string productVersion;  // 6
  std::string errorMsg;        // 7 "Error Msg"
  std::string testBreak = "0";  // 8 "Test Break"
  int retry = 0;               // runs of a failing item in all, from the registration entry the row came from
};

struct YieldCounts {
  int total = 0;
  int pass = 0;
  int fail = 0;
};

// Label colours as stored colour values (0x00BBGGRR).
inline constexpr std::uint32_t kColourPass = 0x16DB1D;
inline constexpr std::uint32_t kColourTesting = 0x00E4FF;
inline constexpr std::uint32_t kColourFail = 0x0000FF;

class SiteModel {
 public:
  SiteModel() = default;
  SiteModel(const SiteModel&) = delete;
  SiteModel& operator=(const SiteModel&) = delete;

  // Called after every change, on the changing thread, without the lock held.
  void SetUpdateHook(std::function<void()> hook);

  // Between BeginRun and EndRun the rows are the run's: its results land in them and its result is read from
  // them. Rows set meanwhile (a list read again) are kept and shown when the run ends.
  void SetRows(std::vector<ItemRow> rows);
  void BeginRun(std::vector<ItemRow> rows);
  void EndRun();
  std::vector<ItemRow> Rows() const;
  int RowCount() const;
  // A copy of one row; an empty row outside the list.
  ItemRow Row(int row) const;
  // States 1, 2, 3 write the row's Result, Code and Error Msg; state 0 writes "Ready" into every row.
  // A row outside the list changes nothing.
  void SetRowResult(int row, int state, const std::string& code, const std::string& errorMsg);
  void SetTact(int row, const std::string& tact);
  void SetTestBreak(int row);
  // The row the list keeps selected and visible; -1 for none.
  void SetCurrentRow(int row);
  int CurrentRow() const;

  void SetLabel(const std::string& text);
  std::string Label() const;
  // False until the first SetLabel: the screen keeps the label's own text until then.
  bool LabelWritten() const;
  void SetPicture(int state);
  int Picture() const;
  void SetTimeText(const std::string& text);
  std::string TimeText() const;

  void SetCounts(const YieldCounts& counts);
  YieldCounts Counts() const;
  // Row 0, column 1 of the yield list: the site's lot total before the current run is counted.
  int LotTotal() const { return Counts().total; }
  void AddYield(bool pass);

 private:
  void Changed();

  mutable std::mutex m_lock;
  std::vector<ItemRow> m_rows;
  bool m_inRun = false;
  std::optional<std::vector<ItemRow>> m_nextRows;  // set during a run, shown at its end
  int m_currentRow = -1;
  std::string m_label;
  bool m_labelWritten = false;
  int m_picture = kPictureReady;
  std::string m_timeText;
  YieldCounts m_counts;
  std::function<void()> m_hook;
  std::mutex m_hookLock;
};
