#include "PlatformLog.h"

#include <QComboBox>
#include <QListWidget>
#include <QVBoxLayout>
#include <atomic>
#include <cstdarg>
#include <filesystem>
#include <system_error>

#include "ConfigDlg.h"
#include "LogFile.h"
#include "ModelSettings.h"
#include "QRVBaseApp.h"
#include "port/path.h"
#include "port/text.h"
#include "port/ui_thread.h"

namespace {

// Changed only on the UI thread; read there by the queued list updates.
std::atomic<CQRVPlatformLog*> currentWindow{nullptr};

std::string ErrorLogFolder() {
  return port::JoinPath(port::JoinPath(CQRVBaseApp::Root(), "System"), "PlatformErrorLog");
}

std::string Header() {
  return port::Format("Model Name - %s \r\nLineName - %s\r\nMachineName - %s\r\n\r\n",
                      ConfigDlg::ReadModelName().c_str(), ModelSettings::ReadLineName().c_str(),
                      ModelSettings::ReadMachineName().c_str());
}

}  // namespace

CQRVPlatformLog::CQRVPlatformLog(QWidget* parent)
    : QDialog(parent), m_list(new QListWidget(this)), m_mode(new QComboBox(this)) {
  setWindowTitle(QStringLiteral("QRV Platform Log"));
  m_list->setObjectName(QStringLiteral("1108"));
  m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  m_list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  m_mode->setObjectName(QStringLiteral("1227"));
  m_mode->addItems({QStringLiteral("Debug Mode"), QStringLiteral("Release Mode")});
  m_mode->setCurrentIndex(1);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_mode, 0, Qt::AlignLeft);
  layout->addWidget(m_list);
  resize(520, 360);
  currentWindow = this;
}

CQRVPlatformLog::~CQRVPlatformLog() {
  CQRVPlatformLog* self = this;
  currentWindow.compare_exchange_strong(self, nullptr);
}

int CQRVPlatformLog::GetLogMode() const { return m_mode->currentIndex(); }

void CQRVPlatformLog::AddListEntry(const std::string& text) {
  m_list->addItem(QString::fromStdString(text));
}

void CQRVPlatformLog::AppendErrorLog(std::string text) {
  AddListEntry(text);
  AppendErrorLogFile(text, port::clock::NowLocal());
}

std::string CQRVPlatformLog::GetErrorLogPath(const port::clock::LocalTime& day) {
  return port::JoinPath(ErrorLogFolder(), port::Format("%04d_%02d_%02d_PlatformErrorLog.csv", day.year,
                                                       day.month, day.day));
}

bool CQRVPlatformLog::AppendErrorLogFile(const std::string& text, const port::clock::LocalTime& day) {
  std::error_code ignored;
  std::filesystem::create_directories(ErrorLogFolder(), ignored);
  return logfile::AppendLine(GetErrorLogPath(day), text + "\r\n", Header);
}

void LogPlatformError(const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  std::string text = port::FormatV(format, args);
  va_end(args);
  CQRVPlatformLog::AppendErrorLogFile(text, port::clock::NowLocal());
  port::ui::Post([text = std::move(text)] {
    CQRVPlatformLog* window = currentWindow.load();
    if (!window) return;
    window->AddListEntry(text);
    window->show();
  });
}
