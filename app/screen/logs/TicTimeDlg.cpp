#include "TicTimeDlg.h"

#include <QStringList>
#include <QVBoxLayout>
#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "GridCtrl.h"
#include "LogFile.h"
#include "ModelSettings.h"
#include "PlatformErrorLog.h"
#include "TestLogCsv.h"
#include "Util.h"
#include "port/path.h"
#include "port/text.h"

namespace {

std::tm LocalNow() {
  const std::time_t now = std::time(nullptr);
  std::tm when{};
  localtime_r(&now, &when);
  return when;
}

}  // namespace

TicTimeDlg::TicTimeDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle("Test Log Info");
  m_grid = new CGridCtrl(this);
  m_grid->setObjectName("1108");
  m_grid->SetFullRowSelect(true);
  int column = 0;
  for (const auto& [title, width] :
       {std::pair{"", 0}, {"Index", 110}, {"Item name", 150}, {"Code", 50}, {"Result", 60}, {"Msg", 130},
        {"reTry Count", 75}, {"Time", 60}, {"Dll Name", 130}})
    m_grid->InsertColumn(column++, QString::fromUtf8(title), Qt::AlignLeft, width);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(m_grid);
  resize(820, 360);
}

bool TicTimeDlg::SetLogHeader() {
  const std::tm when = LocalNow();
  const std::string folder = TestLogCsv::FolderFor(ModelSettings::GetListLogFolder(), when);
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  m_strPath = port::JoinPath(folder, port::Format("%04d_%02d_%02d_%s.csv", when.tm_year + 1900, when.tm_mon + 1,
                                                  when.tm_mday,
                                                  logfile::SafeFileNamePart(ModelSettings::ReadLotNumber()).c_str()));
  if (std::filesystem::exists(m_strPath, error)) return true;
  const std::string config = ModelSettings::GetConfigIniPath();
  const std::string header = port::Format("Line Name - %s\r\nMachine Name - %s\r\n\r\n",
                                          ReadIniString("LOG", "LineName", "", config).c_str(),
                                          ReadIniString("LOG", "MachineName", "", config).c_str()) +
                             ", Index, Item name, Code, Result, Msg, reTryCount, Time(ms), Dll Name\r\n";
  if (logfile::AppendLine(m_strPath, header)) return true;
  LogPlatformError("%s [Line:%d] ERROR : Test log file create fail", "TicTimeDlg::SetLogHeader", __LINE__);
  return false;
}

bool TicTimeDlg::SetLogBody(int /*row*/, int attempts, const ItemRow& item) {
  std::error_code error;
  if (m_strPath.empty() || !std::filesystem::exists(m_strPath, error)) SetLogHeader();
  const QString count = QString::number(m_grid->GetItemCount());
  const QString tact = QString::fromStdString(item.tact);
  AddRow({count, count, QString::fromStdString(item.code), QString::fromStdString(item.result),
          QString::fromStdString(item.errorMsg), QString::number(attempts), tact, tact});
  m_nItemTime += std::atoi(item.tact.c_str());
  if (!Append("", "TicTimeDlg::SetLogBody", __LINE__, "Ploatform Log Body fail")) return false;
  m_nItemTime = 0;
  return true;
}

bool TicTimeDlg::SetLogEnd(const std::string& first, int resultCode, const std::string& message, bool passed) {
  const QString total = QString::number(m_nItemTime) + " ms";
  const QString result = passed ? "PASS" : "FAIL";
  AddRow({});
  AddRow({"Total Time", total});
  AddRow({"Result Handler Code", QString::number(resultCode)});
  AddRow({"Msg", QString::fromStdString(message)});
  AddRow({"Result", result});
  return Append(
      port::Format(" %s, Total Time ,%s\r\n, Result Handler Code, %d\r\n, MSG, %s\r\n, Result, %s \r\n\r\n\r\n\r\n",
                   first.c_str(), total.toStdString().c_str(), resultCode, message.c_str(),
                   result.toStdString().c_str()),
      "TicTimeDlg::SetLogEnd", __LINE__, "Ploatform Log End ReadWrite fail");
}

void TicTimeDlg::ClearLog() {
  if (m_grid->GetItemCount() == 0) return;
  m_grid->DeleteAllItems();
  m_nItemTime = 0;
}

// The body's check and the end block go to an existing file only; a missing one is reported.
bool TicTimeDlg::Append(const std::string& text, const char* operation, int line, const char* failure) {
  if (!m_strPath.empty() && logfile::AppendToExisting(m_strPath, text)) return true;
  LogPlatformError("%s [Line:%d] ERROR : %s", operation, line, failure);
  return false;
}

void TicTimeDlg::AddRow(const QStringList& cells) {
  const int row = m_grid->InsertItem(m_grid->GetItemCount(), QString());
  for (int column = 0; column < cells.size() && column + 1 < m_grid->GetColumnCount(); ++column)
    m_grid->SetItemText(row, column + 1, cells[column]);
  m_grid->scrollToBottom();
}
