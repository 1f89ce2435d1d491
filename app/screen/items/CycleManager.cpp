#include "CycleManager.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <filesystem>

#include "CCycleGridCtrl.h"
#include "DialogListFont.h"
#include "GridCtrl.h"
#include "ModelSettings.h"
#include "ProgramFolder.h"
#include "SiteNames.h"
#include "Util.h"
#include "port/message_box.h"
#include "port/path.h"
#include "port/text.h"

namespace {

enum : int { kOptionInit = 1123, kOptionEnd = 1121, kOptionClose = 1122, kOptionSendResult = 1150 };
constexpr int kInitButtons[] = {1179, 1010, 1013, 1014};
constexpr int kEndButtons[] = {1011, 1012, 1017, 1018};
constexpr int kCloseButtons[] = {1015, 1016, 1019, 1020};

std::string CycleFolder() { return port::JoinPath(ProgramFolder::Root(), "Cycle"); }

// "*.dll" matches without regard to case, as the station's file names do.
bool IsDllFile(const std::filesystem::path& path) { return port::EqualsNoCase(path.extension().string(), ".dll"); }

}  // namespace

CycleManager::CycleManager(std::function<bool()> anySiteRunning, QWidget* parent)
    : QDialog(parent), m_anySiteRunning(std::move(anySiteRunning)), m_path(cycleini::CyclePath()) {
  setWindowTitle("Cycle Manager");
  auto* columns = new QHBoxLayout(this);
  auto* left = new QVBoxLayout;
  auto* right = new QVBoxLayout;
  columns->addLayout(left, 1);
  columns->addLayout(right, 1);

  auto* dllBox = new QGroupBox("Dll List", this);
  auto* dllLayout = new QVBoxLayout(dllBox);
  m_dllList = new CGridCtrl(dllBox);
  m_dllList->setObjectName("1110");
  UseDialogListFont(*m_dllList);
  m_dllList->SetCheckBoxes(true);
  m_dllList->SetFullRowSelect(true);
  m_dllList->SetHeaderSort(1);
  m_dllList->SetHeaderCheckAll(1);
  int column = 0;
  for (const auto& [title, width] : {std::pair{"", 25}, {"Item", 110}, {"Version", 50}, {"File size", 0},
                                     {"Update", 68}, {"DLL Name", 120}, {"Comment", 0}})
    m_dllList->InsertColumn(column++, QString::fromUtf8(title), Qt::AlignLeft, width);
  m_dllList->InitHeaderCheckBox();
  dllLayout->addWidget(m_dllList);
  auto* sendResult = new QCheckBox("Cycle Handler Retrun Option", dllBox);
  sendResult->setObjectName(QString::number(kOptionSendResult));
  dllLayout->addWidget(sendResult);
  left->addWidget(dllBox);

  m_initList = SetUpList(new CGridCtrl(this), "1108");
  connect(m_initList, &QTableWidget::cellDoubleClicked, m_initList, [this](int row, int col) {
    if (col == CCycleGridCtrl::kRetryColumn) m_initList->EditSubItem(row, col, 1);
  });
  AddArea(left, "Cycle Init", m_initList, [this] { return m_initList; }, kInitButtons, kOptionInit);

  m_siteTab = new QTabWidget(this);
  m_siteTab->setObjectName("1221");
  const int sites = ModelSettings::ReadSiteCount(-1);
  for (int site = 0; site < sites; ++site) {
    auto* list = static_cast<CCycleGridCtrl*>(SetUpList(new CCycleGridCtrl(m_siteTab), "2569"));
    m_siteTab->addTab(list, QString::fromStdString(ReadIniString("SITE_NAME", std::to_string(site).c_str(), "-1",
                                                                 ModelSettings::GetConfigIniPath())));
    m_endLists.push_back(list);
  }
  AddArea(right, "Cycle End", m_siteTab, [this] { return EndList(m_siteTab->currentIndex()); }, kEndButtons,
          kOptionEnd);
  m_closeList = SetUpList(new CGridCtrl(this), "1111");
  AddArea(right, "Cycle Close", m_closeList, [this] { return m_closeList; }, kCloseButtons, kOptionClose);

  auto* buttons = new QDialogButtonBox(this);
  QPushButton* save = buttons->addButton("Save", QDialogButtonBox::AcceptRole);
  save->setObjectName("1");
  QPushButton* close = buttons->addButton("Close", QDialogButtonBox::RejectRole);
  close->setObjectName("2");
  connect(save, &QPushButton::clicked, this, [this] {
    if (SaveCycleLists()) accept();
  });
  connect(close, &QPushButton::clicked, this, &QDialog::reject);
  right->addWidget(buttons);

  ListCycleDlls();
  LoadCycleList(m_initList, "INIT", 'A');
  LoadCycleList(m_closeList, "CLOSE", 'A');
  for (int site = 0; site < static_cast<int>(m_endLists.size()); ++site)
    LoadCycleList(m_endLists[static_cast<std::size_t>(site)], "END", static_cast<char>('A' + site));
  Option(kOptionInit)->setChecked(ReadIniInt("CYCLE_INIT_DLL", "ShowWIndow", 0, m_path) != 0);
  Option(kOptionEnd)->setChecked(ReadIniInt("CYCLE_END_DLL", "ShowWIndow", 0, m_path) != 0);
  Option(kOptionClose)->setChecked(ReadIniInt("CYCLE_CLOSE_DLL", "ShowWIndow", 0, m_path) != 0);
  Option(kOptionSendResult)->setChecked(ReadIniInt("CYCLE_SEND_RESULT", "check", 0, m_path) != 0);
  resize(980, 640);
}

CGridCtrl* CycleManager::SetUpList(CGridCtrl* list, const QString& id) {
  list->setObjectName(id);
  UseDialogListFont(*list);
  list->SetCheckBoxes(true);
  list->SetFullRowSelect(true);
  list->SetHeaderCheckAll(1);
  int column = 0;
  for (const auto& [title, width] : {std::pair{"", 25}, {"Item", 110}, {"Retry Count", 76}, {"DLL Name", 130}})
    list->InsertColumn(column++, QString::fromUtf8(title), Qt::AlignLeft, width);
  list->InitHeaderCheckBox();
  return list;
}

void CycleManager::AddArea(QVBoxLayout* layout, const QString& title, QWidget* list,
                           const std::function<CGridCtrl*()>& target, const int (&ids)[4], int optionId) {
  auto* box = new QGroupBox(title, this);
  auto* area = new QVBoxLayout(box);
  area->addWidget(list);
  auto* row = new QHBoxLayout;
  const char* captions[] = {"Insert", "Delete", "Up", "Down"};
  for (int i = 0; i < 4; ++i) {
    auto* button = new QPushButton(captions[i], box);
    button->setObjectName(QString::number(ids[i]));
    row->addWidget(button);
    connect(button, &QPushButton::clicked, this, [this, target, i] {
      CGridCtrl* list = target();
      if (list == nullptr) return;
      if (i == 0) InsertCheckedDlls(list);
      if (i == 1) list->DeleteSelectedRow();
      if (i == 2) list->MoveRowUp();
      if (i == 3) list->MoveRowDown();
    });
  }
  auto* option = new QCheckBox("If this fails, the cycle shows", box);
  option->setObjectName(QString::number(optionId));
  row->addWidget(option);
  area->addLayout(row);
  layout->addWidget(box, 1);
}

CCycleGridCtrl* CycleManager::EndList(int site) const {
  if (site < 0 || site >= static_cast<int>(m_endLists.size())) return nullptr;
  return m_endLists[static_cast<std::size_t>(site)];
}

QCheckBox* CycleManager::Option(int id) const { return findChild<QCheckBox*>(QString::number(id)); }

std::string CycleManager::ItemName(const std::string& dll) const {
  return GetVersionInfoString(port::JoinPath(CycleFolder(), dll), "ItemName");
}

void CycleManager::ListCycleDlls() {
  m_dllList->DeleteAllItems();
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(CycleFolder(), error)) {
    if (!IsDllFile(entry.path())) continue;
    const std::string file = entry.path().string();
    const std::string item = GetVersionInfoString(file, "ItemName");
    if (item == "(null)") continue;
    const QFileInfo info(QString::fromStdString(file));
    const int row = m_dllList->InsertItem(m_dllList->GetItemCount(), QString());
    m_dllList->SetItemText(row, 1, QString::fromStdString(item));
    m_dllList->SetItemText(row, 2, QString::fromStdString(GetVersionInfoString(file, "ProductVersion")));
    m_dllList->SetItemText(row, 3, QString::number((info.size() + 1023) / 1024) + "KB");
    m_dllList->SetItemText(row, 4, info.lastModified().toString("yyyy-MM-dd"));
    m_dllList->SetItemText(row, 5, QString::fromStdString(entry.path().filename().string()));
    m_dllList->SetItemText(row, 6, QString::fromStdString(GetVersionInfoString(file, "FileDescription")));
  }
}

void CycleManager::LoadCycleList(CGridCtrl* list, const std::string& phase, char siteLetter) {
  const std::vector<StoredCycleEntry>& stored = m_stored[list] =
      cycleini::ReadStoredEntries(m_path, cycleini::SectionOf(phase, siteLetter));
  list->DeleteAllItems();
  for (std::size_t n = 0; n < stored.size(); ++n) {
    const CycleEntry& entry = stored[n].entry;
    const int row = list->InsertItem(list->GetItemCount(), QString());
    list->SetItemData(row, static_cast<qintptr>(n + 1));
    list->SetCheck(row, entry.checked);
    list->SetItemText(row, 1, QString::fromStdString(ItemName(entry.dll)));
    list->SetItemText(row, 2, QString::fromStdString(entry.retry));
    list->SetItemText(row, 3, QString::fromStdString(entry.dll));
  }
}

void CycleManager::InsertCheckedDlls(CGridCtrl* target) {
  for (int row = 0; row < m_dllList->GetItemCount(); ++row) {
    if (!m_dllList->GetCheck(row)) continue;
    const QString dll = m_dllList->GetItemText(row, 5);
    bool present = false;
    for (int at = 0; at < target->GetItemCount() && !present; ++at)
      present = target->GetItemText(at, 3).compare(dll, Qt::CaseInsensitive) == 0;
    if (present) continue;
    const int added = target->InsertItem(target->GetItemCount(), QString());
    target->SetCheck(added, false);
    target->SetItemText(added, 1, m_dllList->GetItemText(row, 1));
    target->SetItemText(added, 2, "1");
    target->SetItemText(added, 3, dll);
  }
}

CycleEntry CycleManager::RowEntry(const CGridCtrl* list, int row) {
  return {list->GetItemText(row, 3).toStdString(), list->GetCheck(row), list->GetItemText(row, 2).toStdString()};
}

std::vector<std::optional<std::string>> CycleManager::Texts(const CGridCtrl* list, const QString& area,
                                                            std::vector<std::string>& faults) const {
  const auto found = m_stored.find(list);
  std::vector<std::optional<std::string>> texts;
  for (int row = 0; row < list->GetItemCount(); ++row) {
    const CycleEntry entry = RowEntry(list, row);
    const auto number = static_cast<std::size_t>(list->GetItemData(row));
    if (found != m_stored.end() && number >= 1 && number <= found->second.size()) {
      const StoredCycleEntry& stored = found->second[number - 1];
      if (entry == stored.entry) {
        // A missing entry keeps its place without a key; moved, it is written as it reads.
        const bool inPlace = number - 1 == static_cast<std::size_t>(row);
        texts.push_back(stored.text || inPlace ? stored.text : std::optional<std::string>("0"));
        continue;
      }
    }
    if (const std::string fault = cycleini::WriteFault(entry); !fault.empty())
      faults.push_back(port::Format("%s, row %d: %s", area.toUtf8().constData(), row + 1, fault.c_str()));
    texts.emplace_back(cycleini::EntryText(entry));
  }
  return texts;
}

bool CycleManager::SaveCycleLists() {
  if (m_anySiteRunning && m_anySiteRunning()) return false;
  std::vector<std::string> faults;
  const auto initTexts = Texts(m_initList, "Cycle Init", faults);
  std::vector<std::vector<std::optional<std::string>>> endTexts;
  for (int site = 0; site < static_cast<int>(m_endLists.size()); ++site)
    endTexts.push_back(
        Texts(m_endLists[static_cast<std::size_t>(site)], "Cycle End " + m_siteTab->tabText(site), faults));
  const auto closeTexts = Texts(m_closeList, "Cycle Close", faults);
  if (!faults.empty()) {
    std::string message = "Cycle.ini is not saved:";
    for (const std::string& fault : faults) message += "\n" + fault;
    port::MessageBox(message);
    return false;
  }
  cycleini::SaveCycleTexts(m_path, cycleini::SectionOf("INIT", 'A'), initTexts);
  for (int site = 0; site < static_cast<int>(m_endLists.size()); ++site)
    cycleini::SaveCycleTexts(m_path, cycleini::SectionOf("END", static_cast<char>('A' + site)),
                             endTexts[static_cast<std::size_t>(site)]);
  cycleini::SaveCycleTexts(m_path, cycleini::SectionOf("CLOSE", 'A'), closeTexts);
  WriteIniInt("CYCLE_INIT_DLL", "ShowWIndow", Option(kOptionInit)->isChecked() ? 1 : 0, m_path);
  WriteIniInt("CYCLE_END_DLL", "ShowWIndow", Option(kOptionEnd)->isChecked() ? 1 : 0, m_path);
  WriteIniInt("CYCLE_CLOSE_DLL", "ShowWIndow", Option(kOptionClose)->isChecked() ? 1 : 0, m_path);
  WriteIniInt("CYCLE_SEND_RESULT", "check", Option(kOptionSendResult)->isChecked() ? 1 : 0, m_path);
  return true;
}
