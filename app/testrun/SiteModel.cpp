#include "SiteModel.h"

const char* RowStateText(int state) {
  switch (state) {
    case kRowTesting: return "Testing..";
    case kRowPass: return "PASS";
    case kRowFail: return "FAIL";
    default: return "Ready";
  }
}

void SiteModel::SetUpdateHook(std::function<void()> hook) {
  std::lock_guard lock(m_hookLock);
  m_hook = std::move(hook);
}

void SiteModel::Changed() {
  std::lock_guard lock(m_hookLock);
  if (m_hook) m_hook();
}

void SiteModel::SetRows(std::vector<ItemRow> rows) {
  {
    std::lock_guard lock(m_lock);
    if (m_inRun) {
      m_nextRows = std::move(rows);
      return;
    }
    m_rows = std::move(rows);
    m_currentRow = -1;
  }
  Changed();
}

void SiteModel::BeginRun(std::vector<ItemRow> rows) {
  {
    std::lock_guard lock(m_lock);
    m_inRun = true;
    m_nextRows.reset();
    m_rows = std::move(rows);
    m_currentRow = -1;
  }
  Changed();
}

void SiteModel::EndRun() {
  {
    std::lock_guard lock(m_lock);
    m_inRun = false;
    if (!m_nextRows) return;
    m_rows = std::move(*m_nextRows);
    m_nextRows.reset();
    m_currentRow = -1;
  }
  Changed();
}

std::vector<ItemRow> SiteModel::Rows() const {
  std::lock_guard lock(m_lock);
  return m_rows;
}

int SiteModel::RowCount() const {
  std::lock_guard lock(m_lock);
  return static_cast<int>(m_rows.size());
}

ItemRow SiteModel::Row(int row) const {
  std::lock_guard lock(m_lock);
  if (row < 0 || row >= static_cast<int>(m_rows.size())) return {};
  return m_rows[row];
}

void SiteModel::SetRowResult(int row, int state, const std::string& code, const std::string& errorMsg) {
  {
    std::lock_guard lock(m_lock);
    if (state == kRowReady) {
      for (auto& each : m_rows) each.result = RowStateText(kRowReady);
    } else {
      if (row < 0 || row >= static_cast<int>(m_rows.size())) return;
      m_rows[row].result = RowStateText(state);
      m_rows[row].code = code;
      m_rows[row].errorMsg = errorMsg;
    }
  }
  Changed();
}

void SiteModel::SetTact(int row, const std::string& tact) {
  {
    std::lock_guard lock(m_lock);
    if (row < 0 || row >= static_cast<int>(m_rows.size())) return;
    m_rows[row].tact = tact;
  }
  Changed();
}

void SiteModel::SetTestBreak(int row) {
  {
    std::lock_guard lock(m_lock);
    if (row < 0 || row >= static_cast<int>(m_rows.size())) return;
    m_rows[row].testBreak = "1";
  }
  Changed();
}

void SiteModel::SetCurrentRow(int row) {
  {
    std::lock_guard lock(m_lock);
    m_currentRow = row;
  }
  Changed();
}

int SiteModel::CurrentRow() const {
  std::lock_guard lock(m_lock);
  return m_currentRow;
}

void SiteModel::SetLabel(const std::string& text) {
  {
    std::lock_guard lock(m_lock);
    m_label = text;
    m_labelWritten = true;
  }
  Changed();
}

std::string SiteModel::Label() const {
  std::lock_guard lock(m_lock);
  return m_label;
}

bool SiteModel::LabelWritten() const {
  std::lock_guard lock(m_lock);
  return m_labelWritten;
}

void SiteModel::SetPicture(int state) {
  {
    std::lock_guard lock(m_lock);
    m_picture = state;
  }
  Changed();
}

int SiteModel::Picture() const {
  std::lock_guard lock(m_lock);
  return m_picture;
}

void SiteModel::SetTimeText(const std::string& text) {
  {
    std::lock_guard lock(m_lock);
    m_timeText = text;
  }
  Changed();
}

std::string SiteModel::TimeText() const {
  std::lock_guard lock(m_lock);
  return m_timeText;
}

void SiteModel::SetCounts(const YieldCounts& counts) {
  {
    std::lock_guard lock(m_lock);
    m_counts = counts;
  }
  Changed();
}

YieldCounts SiteModel::Counts() const {
  std::lock_guard lock(m_lock);
  return m_counts;
}

void SiteModel::AddYield(bool pass) {
  {
    std::lock_guard lock(m_lock);
    ++m_counts.total;
    ++(pass ? m_counts.pass : m_counts.fail);
  }
  Changed();
}
