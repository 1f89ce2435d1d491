#include "IntegratedLog.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QAbstractListModel>
#include <QListView>
#include <QMenuBar>
#include <QStackedWidget>
#include <QTabBar>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

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

// One site's lines as its list shows them. Eight sites keep up to 10001 lines each for the operator to scroll
// through; as list-widget items a stamped line costs some 480 bytes, held as UTF-8 text about a quarter of that.
class ListLines : public QAbstractListModel {
 public:
  using QAbstractListModel::QAbstractListModel;

  int rowCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : static_cast<int>(m_lines.size());
  }
  QVariant data(const QModelIndex& index, int role) const override {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount()) return {};
    return QString::fromStdString(m_lines[static_cast<std::size_t>(index.row())]);
  }
  void Append(std::string line) {
    const int row = rowCount();
    beginInsertRows({}, row, row);
    m_lines.push_back(std::move(line));
    endInsertRows();
  }
  void Clear() {
    beginResetModel();
    m_lines = std::vector<std::string>();  // gives the memory back, not only the lines
    endResetModel();
  }

 private:
  std::vector<std::string> m_lines;
};

ListLines& LinesOf(const QListView& list) { return *static_cast<ListLines*>(list.model()); }

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
    auto* list = new QListView(m_stack);
    list->setModel(new ListLines(list));
    list->setUniformItemSizes(true);
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

QListView* CIntegratedLog::List(int site) const { return IsValidSite(site) ? m_lists[site] : nullptr; }

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
  port::ui::Post([self = m_self, site, shown = line.substr(0, line.size() - 2)]() mutable {
    if (self) self->AddLineToList(site, std::move(shown));
  });

  const std::string folder = ModelSettings::GetListLogFolder();
  const std::string path = GetListLogPath(folder, site, when, ModelSettings::ReadListLogSubName());
  std::error_code ignored;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
  logfile::AppendLine(path, line);
}

void CIntegratedLog::AddLineToList(int site, std::string line) {
  QListView* list = List(site);
  if (!list) return;
  ListLines& lines = LinesOf(*list);
  lines.Append(std::move(line));
  list->setCurrentIndex(lines.index(lines.rowCount() - 1));
  if (lines.rowCount() > kMaxListEntries) lines.Clear();
}

int CIntegratedLog::CopyLineToClipboard() {
  const QListView* list = List(m_tabs->currentIndex());
  const QModelIndexList selected = list ? list->selectionModel()->selectedIndexes() : QModelIndexList{};
  const QString line = selected.isEmpty() ? QString() : selected.first().data().toString();
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (!clipboard) return 0;
  clipboard->setText(line + QStringLiteral("\r\n"));
  return 1;
}

void CIntegratedLog::OnLogClear() {
  if (QListView* list = List(m_tabs->currentIndex())) LinesOf(*list).Clear();
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
