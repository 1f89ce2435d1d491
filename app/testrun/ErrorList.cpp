#include "ErrorList.h"

#include <algorithm>
#include <cstdlib>

#include "Util.h"
#include "port/text.h"

ErrorList::ErrorList(std::string configPath) : m_configPath(std::move(configPath)) {}

ErrorListRow ErrorList::ParseRow(const std::string& value) {
  std::vector<std::string> fields;
  std::string::size_type start = 0;
  while (fields.size() < 4) {
    const std::string::size_type comma = value.find(',', start);
    if (comma == std::string::npos) break;
    fields.push_back(value.substr(start, comma - start));
    start = comma + 1;
  }
  fields.push_back(value.substr(std::min(start, value.size())));
  fields.resize(5);
  return {fields[0], fields[1], std::atoi(fields[2].c_str()), fields[3], fields[4]};
}

void ErrorList::Load() {
  const std::lock_guard lock(m_lock);
  m_rows.clear();
  // The count and the rows come from one version of the file.
  const util::ini::Snapshot file = ReadIniSnapshot(m_configPath);
  const int count = file.Count("ERROR_LIST", "COUNT", 0, kMaxRows);
  for (int row = 0; row < count; ++row)
    m_rows.push_back(ParseRow(file.Text("ERROR_LIST", std::to_string(row).c_str(), "", kIniTextBuffer)));
}

void ErrorList::Reset() {
  const std::lock_guard lock(m_lock);
  m_rows.clear();
  WriteIniInt("ERROR_LIST", "COUNT", 0, m_configPath);
}

void ErrorList::Clear() {
  const std::lock_guard lock(m_lock);
  m_rows.clear();
}

void ErrorList::Update(const std::vector<ItemRow>& rows, const std::string& key) {
  const std::lock_guard lock(m_lock);
  for (const ItemRow& row : rows) {
    if (row.code.empty() || row.code == "0") continue;
    const ErrorListRow failure{row.errorMsg, row.code, 1, row.item, key};
    const auto entry = std::find_if(m_rows.begin(), m_rows.end(),
                                    [&](const ErrorListRow& listed) { return SameFailure(listed, failure); });
    if (entry != m_rows.end())
      ++entry->count;
    else
      m_rows.push_back(failure);
  }
  Store();
}

std::vector<ErrorListRow> ErrorList::Rows() const {
  const std::lock_guard lock(m_lock);
  return m_rows;
}

bool ErrorList::SameFailure(const ErrorListRow& a, const ErrorListRow& b) {
  return a.itemName == b.itemName && a.code == b.code && a.key == b.key;
}

void ErrorList::Reorder(const std::vector<ErrorListRow>& shown) {
  const std::lock_guard lock(m_lock);
  std::vector<ErrorListRow> ordered;
  ordered.reserve(m_rows.size());
  for (const ErrorListRow& wanted : shown) {
    const auto found = std::find_if(m_rows.begin(), m_rows.end(),
                                    [&](const ErrorListRow& row) { return SameFailure(row, wanted); });
    if (found == m_rows.end()) continue;
    ordered.push_back(std::move(*found));
    m_rows.erase(found);
  }
  for (ErrorListRow& rest : m_rows) ordered.push_back(std::move(rest));
  m_rows = std::move(ordered);
}

void ErrorList::Store() const {
  // One write of the file for the whole list: a write per row rewrites the file once for every row.
  port::ini::KeyValues values{{"COUNT", std::to_string(m_rows.size())}};
  for (std::size_t n = 0; n < m_rows.size(); ++n) {
    const ErrorListRow& row = m_rows[n];
    values.emplace_back(std::to_string(n), port::Format("%s,%s,%d,%s,%s", row.msg.c_str(), row.code.c_str(),
                                                        row.count, row.itemName.c_str(), row.key.c_str()));
  }
  WriteIniStrings("ERROR_LIST", values, m_configPath);
}
