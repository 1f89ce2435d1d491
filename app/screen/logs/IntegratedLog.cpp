#include "IntegratedLog.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QMenuBar>
#include <QStackedWidget>
#include <QTabBar>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>
#include <system_error>

#include "LogFile.h"
#include "ModelSettings.h"
#include "PlatformErrorLog.h"
#include "QRV_PlatformMemory.h"
#include "ControllerIni.h"
#include "Util.h"
#include "port/path.h"
#include "port/text.h"
#include "port/ui_thread.h"

namespace {

constexpr int kFirstListId = 58993;

int SiteCountOf(const CQRV_LoadMemory* record) {
  return record ? static_cast<int>(std::min<std::uint32_t>(record->GetSiteCount(), kMaxSites)) : 0;
}

}  // namespace

CIntegratedLog::CIntegratedLog(CQRV_LoadMemory* record, QWidget* parent)
    : QDialog(parent),
      m_siteCount(SiteCountOf(record)),
      m_tabs(new QTabBar(this)),
      m_stack(new QStackedWidget(this)),
      m_self(this) {
  setWindowTitle(QStringLiteral("List Log"));
  setSizeGripEnabled(true);
  m_tabs->setObjectName(QStringLiteral("1221"));

  auto* menuBar = new QMenuBar(this);
  QMenu* file = menuBar->addMenu(QStringLiteral("File"));
  file->addAction(QStringLiteral("Log Open"));
  file->addAction(QStringLiteral("Log Show"));
  file->addAction(QStringLiteral("Log Clear"), this, &CIntegratedLog::OnLogClear);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->setMenuBar(menuBar);
  layout->addWidget(m_tabs);
  layout->addWidget(m_stack, 1);

  m_logMove.store(ControllerIni::ReadUserInterfaceValue("LOG_MOVE"));
  for (int site = 0; site < m_siteCount; ++site) {
    m_tabs->addTab(QString(QChar(SiteLetter(site))));
    auto* list = new QListWidget(m_stack);
    list->setObjectName(QString::number(kFirstListId + site));
    list->installEventFilter(this);
    m_stack->addWidget(list);
    m_lists[site] = list;
  }
  connect(m_tabs, &QTabBar::currentChanged, this, &CIntegratedLog::OnTabChanged);
  if (m_siteCount > 0) {
    m_tabs->setCurrentIndex(0);
    m_stack->setCurrentIndex(0);
  }
  resize(600, 400);
}

CIntegratedLog::~CIntegratedLog() = default;

QListWidget* CIntegratedLog::List(int site) const { return IsValidSite(site) ? m_lists[site] : nullptr; }

std::string CIntegratedLog::FormatStamp(const port::clock::LocalTime& when) {
  return port::Format("%04d/%02d/%02d %02d:%02d:%02d:%03d", when.year, when.month, when.day, when.hour,
                      when.minute, when.second, when.millisecond);
}

std::string CIntegratedLog::GetListLogPath(const std::string& folder, int site, const port::clock::LocalTime& when,
                                           const std::string& subName) {
  const std::string monthFolder = port::Format("%s/%04d/%02d", folder.c_str(), when.year, when.month);
  const std::string safeSub = logfile::SafeFileNamePart(subName);
  const std::string name =
      safeSub.empty()
          ? port::Format("ListLog_%04d_%02d_%02d_%c.txt", when.year, when.month, when.day, SiteLetter(site))
          : port::Format("ListLog_%04d_%02d_%02d_%c_%s.txt", when.year, when.month, when.day, SiteLetter(site),
                         safeSub.c_str());
  return port::JoinPath(monthFolder, name);
}

void CIntegratedLog::AddListLog(int site, std::string text) { AddListLog(site, text, port::clock::NowLocal()); }

void CIntegratedLog::AddListLog(int site, const std::string& text, const port::clock::LocalTime& when) {
  if (!IsValidSite(site)) {
    LogPlatformError("CIntegratedLog::AddListLog [%d] ERROR : Log site %d out of range", __LINE__, site);
    return;
  }
  if (site >= m_siteCount) {
    LogPlatformError("CIntegratedLog::AddListLog [%d] ERROR : Log Dlg pointer null", __LINE__);
    return;
  }
  const std::string line = port::Format("[%s] %s\r\n", FormatStamp(when).c_str(), text.c_str());
  port::ui::Post([self = m_self, site, shown = QString::fromStdString(line.substr(0, line.size() - 2))] {
    if (self) self->AddLineToList(site, shown);
  });

  const std::string folder = ModelSettings::GetListLogFolder();
  const std::string path = GetListLogPath(folder, site, when, ModelSettings::ReadListLogSubName());
  std::error_code ignored;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
  logfile::AppendLine(path, line);
}

void CIntegratedLog::AddLineToList(int site, const QString& line) {
  QListWidget* list = List(site);
  if (!list) return;
  list->addItem(line);
  list->setCurrentRow(list->count() - 1);
  if (list->count() > kMaxListEntries) list->clear();
}

int CIntegratedLog::CopyLineToClipboard() {
  const QListWidget* list = List(m_tabs->currentIndex());
  const QList<QListWidgetItem*> selected = list ? list->selectedItems() : QList<QListWidgetItem*>{};
  const QString line = selected.isEmpty() ? QString() : selected.first()->text();
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (!clipboard) return 0;
  clipboard->setText(line + QStringLiteral("\r\n"));
  return 1;
}

void CIntegratedLog::OnLogClear() {
  if (QListWidget* list = List(m_tabs->currentIndex())) list->clear();
}

void CIntegratedLog::OnTabChanged(int index) {
  if (index >= 0 && index < m_stack->count()) m_stack->setCurrentIndex(index);
}

bool CIntegratedLog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_C && (key->modifiers() & Qt::ControlModifier)) {
      CopyLineToClipboard();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}
