#include "DllRegistrationLists.h"

#include <QBoxLayout>
#include <QDateTime>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>

#include "GridCtrl.h"
#include "ItemImport.h"
#include "ProgramFolder.h"
#include "Util.h"
#include "port/message_box.h"
#include "port/path.h"
#include "port/text.h"

namespace {

enum : int { kImport = 1011, kInsert = 1009, kUp = 1019, kDown = 1021, kDelete = 1010 };

QString Text(const std::string& text) { return QString::fromStdString(text); }

// "*.dll" matches without regard to case, as the station's file names do.
bool IsDllFile(const std::filesystem::path& path) { return port::EqualsNoCase(path.extension().string(), ".dll"); }

void SetUpList(CGridCtrl* list, std::initializer_list<std::pair<const char*, int>> columns) {
  list->SetCheckBoxes(true);
  list->SetFullRowSelect(true);
  list->SetHeaderCheckAll(1);
  list->setWordWrap(false);
  int column = 0;
  for (const auto& [title, width] : columns) list->InsertColumn(column++, QString::fromUtf8(title), Qt::AlignLeft, width);
  list->InitHeaderCheckBox();
}

}  // namespace

DllRegistrationLists::DllRegistrationLists(Rules rules, const QString& registeredId, QWidget* parent)
    : QWidget(parent), m_rules(std::move(rules)) {
  m_available = new CGridCtrl(this);
  m_available->setObjectName("1108");
  m_registered = new CGridCtrl(this);
  m_registered->setObjectName(registeredId);
  InitColumns();
  CreateLayout();
}

std::string DllRegistrationLists::DllFolder() { return port::JoinPath(ProgramFolder::Root(), "Dll"); }

void DllRegistrationLists::InitColumns() {
  SetUpList(m_available, {{"", 25}, {"Item", 120}, {"Version", 50}, {"File size", 52}, {"Update", 115},
                          {"DLL Name", 170}, {"Comment", 217}});
  m_available->SetHeaderSort(1);
  // Selected rows are dragged onto the registered list; the drop itself is taken by the event filter.
  m_available->setDragEnabled(true);
  m_available->setDragDropMode(QAbstractItemView::DragOnly);
  m_available->setDefaultDropAction(Qt::CopyAction);

  SetUpList(m_registered, {{"", 25}, {"Index", 50}, {"Item", 120}, {"Version", 50}, {"Retry Count", 80},
                           {"DLL Name", 170}, {"Comment", 254}});
  m_registered->setSelectionMode(QAbstractItemView::SingleSelection);
  m_registered->setAcceptDrops(true);
  m_registered->viewport()->setAcceptDrops(true);
  m_registered->viewport()->installEventFilter(this);

  auto toggle = [this](int, int column) { ToggleAvailableCheck(column); };
  if (m_rules.toggleOnClick)
    connect(m_available, &QTableWidget::cellClicked, this, toggle);
  else
    connect(m_available, &QTableWidget::cellDoubleClicked, this, toggle);
  connect(m_registered, &QTableWidget::cellDoubleClicked, this, [this](int row, int column) {
    if (column == kRegRetry) m_registered->EditSubItem(row, column, 1);
  });
}

void DllRegistrationLists::CreateLayout() {
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(6, 6, 6, 6);
  grid->addWidget(new QLabel("Available dll files", this), 0, 0);
  grid->addWidget(m_available, 1, 0);
  grid->addWidget(new QLabel("Registered dll file", this), 2, 0);
  grid->addWidget(m_registered, 3, 0);
  auto buttons = [this](std::initializer_list<std::pair<const char*, int>> captions) {
    auto* column = new QVBoxLayout;
    for (const auto& [caption, id] : captions) {
      auto* button = new QPushButton(caption, this);
      button->setObjectName(QString::number(id));
      button->setAutoDefault(false);
      column->addWidget(button);
    }
    column->addStretch(1);
    return column;
  };
  grid->addLayout(buttons({{"Import", kImport}, {"Insert", kInsert}}), 1, 1);
  grid->addLayout(buttons({{"Up", kUp}, {"Down", kDown}, {"Delete", kDelete}}), 3, 1);
  grid->setRowStretch(1, 1);
  grid->setRowStretch(3, 1);
  connect(Button(kImport), &QPushButton::clicked, this, [this] { ImportDllFiles(); });
  connect(Button(kInsert), &QPushButton::clicked, this, [this] { InsertDlls(0); });
  connect(Button(kUp), &QPushButton::clicked, m_registered, [this] { m_registered->MoveRowUp(); });
  connect(Button(kDown), &QPushButton::clicked, m_registered, [this] { m_registered->MoveRowDown(); });
  connect(Button(kDelete), &QPushButton::clicked, m_registered, [this] { m_registered->DeleteSelectedRow(); });
}

QPushButton* DllRegistrationLists::Button(int id) const { return findChild<QPushButton*>(QString::number(id)); }

void DllRegistrationLists::ToggleAvailableCheck(int column) {
  // The check box column toggles itself.
  const int row = m_available->GetSelectionMark();
  if (column == kAvailCheck || row < 0) return;
  m_available->SetCheck(row, !m_available->GetCheck(row));
}

void DllRegistrationLists::ListAvailableDlls() {
  m_available->DeleteAllItems();
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(DllFolder(), error)) {
    if (!IsDllFile(entry.path())) continue;
    const std::string file = entry.path().string();
    const std::string item = GetVersionInfoString(file, "ItemName");
    if (item == "(null)" && !m_rules.offerUnnamed) continue;
    const QFileInfo info(Text(file));
    const int row = m_available->InsertItem(m_available->GetItemCount(), QString());
    m_available->SetItemText(row, kAvailItem, Text(item));
    m_available->SetItemText(row, kAvailVersion, Text(GetVersionInfoString(file, "ProductVersion")));
    m_available->SetItemText(row, kAvailSize, QString::number((info.size() + 1023) / 1024) + "KB");
    m_available->SetItemText(row, kAvailUpdate, info.lastModified().toString("yyyy-MM-dd HH:mm:ss"));
    m_available->SetItemText(row, kAvailDll, Text(entry.path().filename().string()));
    m_available->SetItemText(row, kAvailComment, Text(GetVersionInfoString(file, "FileDescription")));
    for (int column = 0; column < m_available->GetColumnCount(); ++column)
      m_available->item(row, column)->setFlags(m_available->item(row, column)->flags() | Qt::ItemIsDragEnabled);
  }
  // Dates and names are never cut or wrapped.
  m_available->GrowColumnsToContents(1, m_available->GetColumnCount());
}

void DllRegistrationLists::AppendRow(const DllEntry& entry, const std::string& itemName, const std::string& comment) {
  const int row = m_registered->InsertItem(m_registered->GetItemCount(), QString());
  m_registered->SetCheck(row, entry.checked != 0);
  m_registered->SetItemText(row, kRegIndex, Text(m_rules.pinnedIndex ? m_rules.pinnedIndex(itemName) : "0"));
  m_registered->SetItemText(row, kRegItem, Text(itemName));
  m_registered->SetItemText(row, kRegVersion, Text(m_rules.pinnedVersion ? m_rules.pinnedVersion(itemName) : ""));
  m_registered->SetItemText(row, kRegRetry, Text(entry.retry));
  m_registered->SetItemText(row, kRegDll, Text(entry.dll));
  m_registered->SetItemText(row, kRegComment, Text(comment));
  m_registered->GrowColumnsToContents(1, m_registered->GetColumnCount());
}

void DllRegistrationLists::AppendRegistered(const DllEntry& entry) {
  const std::string file = port::JoinPath(DllFolder(), entry.dll);
  AppendRow(entry, GetVersionInfoString(file, "ItemName"), GetVersionInfoString(file, "FileDescription"));
}

bool DllRegistrationLists::IsRegistered(const QString& dll) const {
  for (int row = 0; row < m_registered->GetItemCount(); ++row)
    if (m_registered->GetItemText(row, kRegDll).compare(dll, Qt::CaseInsensitive) == 0) return true;
  return false;
}

void DllRegistrationLists::InsertDlls(int fromDrop) {
  QItemSelectionModel* selection = m_available->selectionModel();
  for (int row = 0; row < m_available->GetItemCount(); ++row) {
    const bool taken = fromDrop ? selection->isRowSelected(row, QModelIndex()) : m_available->GetCheck(row);
    const QString dll = m_available->GetItemText(row, kAvailDll);
    if (!taken || IsRegistered(dll)) continue;
    const std::string name = dll.toStdString();
    AppendRow({name, 0, "1"}, GetVersionInfoString(port::JoinPath(DllFolder(), name), "ItemName"),
              m_available->GetItemText(row, kAvailComment).toStdString());
  }
}

void DllRegistrationLists::OnDrop() { InsertDlls(m_rules.dropTakesChecked ? 0 : 1); }

void DllRegistrationLists::ImportDllFiles() {
  std::vector<std::string> files;
  if (!port::IsHeadless()) {
    for (const QString& file : QFileDialog::getOpenFileNames(this, "Import", QString(), "DLL FILE (*.dll)"))
      files.push_back(file.toStdString());
  }
  ImportFiles(files);
}

void DllRegistrationLists::ImportFiles(const std::vector<std::string>& files) {
  const DllImportResult result = ItemImport::ImportDllFiles(files, DllFolder());
  if (result.samePath) {
    port::MessageBox("You can not choose the same path.");
    return;
  }
  if (!result.refused.empty()) {
    std::string text = "Not imported:";
    for (const std::string& line : result.refused) text += "\n" + line;
    port::MessageBox(text);
  }
  ListAvailableDlls();
}

std::vector<DllEntry> DllRegistrationLists::Entries() const {
  m_registered->CommitEdit();
  std::vector<DllEntry> entries;
  for (int row = 0; row < m_registered->GetItemCount(); ++row)
    entries.push_back({m_registered->GetItemText(row, kRegDll).toStdString(), m_registered->GetCheck(row) ? 1 : 0,
                       m_registered->GetItemText(row, kRegRetry).toStdString()});
  return entries;
}

bool DllRegistrationLists::eventFilter(QObject* watched, QEvent* event) {
  if (watched != m_registered->viewport()) return QWidget::eventFilter(watched, event);
  switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
      auto* drag = static_cast<QDropEvent*>(event);
      if (drag->source() == m_available) drag->acceptProposedAction();
      else drag->ignore();
      return true;
    }
    case QEvent::Drop: {
      auto* drop = static_cast<QDropEvent*>(event);
      if (drop->source() == m_available) {
        OnDrop();
        drop->acceptProposedAction();
      }
      return true;
    }
    default:
      return QWidget::eventFilter(watched, event);
  }
}
