#include "PlatformLog.h"

#include <QComboBox>
#include <QListWidget>
#include <QVBoxLayout>

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
  platform_error_log::SetView(this);
}

CQRVPlatformLog::~CQRVPlatformLog() { platform_error_log::ClearView(this); }

int CQRVPlatformLog::GetLogMode() const { return m_mode->currentIndex(); }

void CQRVPlatformLog::AddListEntry(const std::string& text) {
  m_list->addItem(QString::fromStdString(text));
}

void CQRVPlatformLog::ShowErrorLine(const std::string& text) {
  AddListEntry(text);
  show();
}

void CQRVPlatformLog::AppendErrorLog(std::string text) {
  AddListEntry(text);
  platform_error_log::AppendErrorLogFile(text, port::clock::NowLocal());
}
