#pragma once
// The station's error list: how often each item failed with each code, per site or per board, kept in the
// model's Config.ini [ERROR_LIST] so that it survives a restart. Every site's test thread counts into it at
// the end of its test; one lock makes each count and its write to the file whole.
#include <mutex>
#include <string>
#include <vector>

#include "SiteModel.h"

struct ErrorListRow {
  std::string msg;
  std::string code;
  int count = 0;
  std::string itemName;
  std::string key;  // the site index, or the board index under the "Para" standard
};

class ErrorList {
 public:
  // Each row is one item failing with one code on one site or board; no lot fails in more ways than this.
  static constexpr int kMaxRows = 10000;

  // configPath: relative to the program folder, as the ini helpers take it.
  explicit ErrorList(std::string configPath);

  // Fills the list from [ERROR_LIST], at most kMaxRows rows; a row with fewer fields gets empty ones, a count
  // that is not a number counts 0.
  void Load();
  // Empties the list and writes COUNT 0 (a new lot).
  void Reset();
  // Empties the list and leaves the stored rows; the next count stores the list anew (a lot that ends
  // with its statistics reset keeps its number).
  void Clear();
  // Counts the failed rows (code neither "0" nor empty) of one test under the key text, then stores the list.
  void Update(const std::vector<ItemRow>& rows, const std::string& key);
  std::vector<ErrorListRow> Rows() const;
  // Takes the order the screen shows (a header sort); rows it does not show yet stay behind, in their order.
  // Counts and the next stores keep that order.
  void Reorder(const std::vector<ErrorListRow>& shown);

  // One failure: the same item name, code and site or board.
  static bool SameFailure(const ErrorListRow& a, const ErrorListRow& b);

  static ErrorListRow ParseRow(const std::string& value);

 private:
  void Store() const;

  const std::string m_configPath;
  mutable std::mutex m_lock;
  std::vector<ErrorListRow> m_rows;
};
