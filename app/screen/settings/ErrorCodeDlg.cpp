#include "ErrorCodeDlg.h"

#include <QDateTime>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>
#include <algorithm>
#include <cctype>
#include <filesystem>

#include "DialogButtons.h"
#include "DialogListFont.h"
#include "ErrorCodeTable.h"
#include "GridCtrl.h"
#include "ModelSettings.h"
#include "ProgramFolder.h"
#include "RowLeaveGuard.h"
#include "ShellOpen.h"
#include "Util.h"
#include "port/message_box.h"
#include "port/text.h"

namespace {

constexpr const char* kHandlerReturnKeys[] = {"Count code", "Version code", "Define code", "Index code"};
constexpr const char* kHandlerReturnDefaults[] = {"615", "616", "617", "618"};
constexpr const char* kHandlerReturnLabels[] = {"Count Error", "Version Error", "Define Error", "Index Error"};
constexpr int kHandlerCodeColumn = 1;

CGridCtrl* List(QWidget* parent, int id, std::initializer_list<std::pair<const char*, int>> columns) {
  auto* list = new CGridCtrl(parent);
  list->setObjectName(QString::number(id));
  UseDialogListFont(*list);
  list->SetFullRowSelect(true);
  int column = 0;
  for (const auto& [title, width] : columns) list->InsertColumn(column++, title, Qt::AlignLeft, width);
  return list;
}

std::string Field(const std::string& text, int index) { return ExtractField(text, index, ','); }

std::string Trimmed(const QLineEdit* edit) { return edit->text().trimmed().toStdString(); }

// The item libraries of the Dll folder; only files with an item name in their version block.
std::vector<std::filesystem::path> ItemLibraries() {
  std::vector<std::filesystem::path> files;
  std::error_code error;
  const std::filesystem::path folder = std::filesystem::path(ProgramFolder::Root()) / "Dll";
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    if (!entry.is_regular_file(error) || !port::EqualsNoCase(entry.path().extension().string(), ".dll")) continue;
    const std::string itemName = GetVersionInfoString(entry.path().string(), "ItemName");
    if (!itemName.empty() && itemName != "(null)") files.push_back(entry.path());
  }
  // The order a case-blind file system lists them in, so the list reads the same on every station.
  std::sort(files.begin(), files.end(), [](const std::filesystem::path& a, const std::filesystem::path& b) {
    const std::string left = a.filename().string(), right = b.filename().string();
    return std::lexicographical_compare(left.begin(), left.end(), right.begin(), right.end(), [](char x, char y) {
      return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
    });
  });
  return files;
}

}  // namespace

ErrorCodeDlg::ErrorCodeDlg(std::function<bool()> anySiteRunning, QWidget* parent)
    : QDialog(parent), m_anySiteRunning(std::move(anySiteRunning)) {
  setObjectName("187");
  setWindowTitle("Error Code");
  CreateControls();
  OnInitDialog();
  resize(1040, 560);
}

std::string ErrorCodeDlg::GetErrorCodePath() { return ModelSettings::GetModelFolder() + "/ErrorCode.ini"; }

std::string ErrorCodeDlg::GetItemVersionPath() { return ModelSettings::GetModelFolder() + "/ItemVersion.ini"; }

void ErrorCodeDlg::CreateControls() {
  auto* dllBox = new QGroupBox("Available dll files", this);
  m_dllList = List(dllBox, 1245, {{"Item", 120}, {"DLL Name", 110}, {"Version", 50}, {"Update", 123}});
  m_dllList->SetHeaderSort(1);
  (new QVBoxLayout(dllBox))->addWidget(m_dllList);

  auto* codeBox = new QGroupBox("Dll text error code", this);
  m_codeList = List(codeBox, 1111, {{"", 25}, {"OUTPUT CODE", 95}, {"HANDELER CODE", 95}, {"TEXT ERROR CODE", 213}});
  m_codeList->SetHeaderSort(1);
  m_codeList->SetHeaderCheckAll(1);
  m_codeList->InitHeaderCheckBox();
  QPushButton* insert = DialogButton("Insert", codeBox, 1017);
  QPushButton* remove = DialogButton("Delete", codeBox, 1016);
  auto* codeButtons = new QHBoxLayout;
  codeButtons->addStretch();
  codeButtons->addWidget(insert);
  codeButtons->addWidget(remove);
  auto* codeLayout = new QVBoxLayout(codeBox);
  codeLayout->addWidget(m_codeList);
  codeLayout->addLayout(codeButtons);

  auto* handlerBox = new QGroupBox("Dll version handler return code", this);
  m_handlerList = List(handlerBox, 1209, {{"Version Result", 200}, {"HANDLER CODE", 200}});
  // The four rows show whole, without a scroll bar.
  m_handlerList->setMinimumHeight(m_handlerList->horizontalHeader()->sizeHint().height() +
                                  4 * m_handlerList->verticalHeader()->defaultSectionSize() +
                                  2 * m_handlerList->frameWidth());
  (new QVBoxLayout(handlerBox))->addWidget(m_handlerList);

  auto* messageBox = new QGroupBox("Message KR", this);
  m_messagePath = new QLineEdit(messageBox);
  m_messagePath->setObjectName("1207");
  QPushButton* browse = DialogButton("...", messageBox, 1011);
  QPushButton* open = DialogButton("Open", messageBox, 1018);
  auto* messageLayout = new QGridLayout(messageBox);
  messageLayout->addWidget(new QLabel("Path", messageBox), 0, 0);
  messageLayout->addWidget(m_messagePath, 0, 1);
  messageLayout->addWidget(browse, 0, 2);
  messageLayout->addWidget(open, 0, 3);
  m_messageVersion = new QLabel(messageBox);
  m_messageVersion->setObjectName("1189");
  messageLayout->addWidget(new QLabel("Message_KR Version", messageBox), 1, 0);
  messageLayout->addWidget(m_messageVersion, 1, 1);

  m_stopCode = new QLineEdit(this);
  m_stopCode->setObjectName("1247");
  m_stopCode->setValidator(new QRegularExpressionValidator(QRegularExpression("-?[0-9]*"), m_stopCode));
  m_tableVersion = new QLabel(this);
  m_tableVersion->setObjectName("1188");
  auto* codeLine = new QHBoxLayout;
  codeLine->addWidget(new QLabel("Stop error code", this));
  codeLine->addWidget(m_stopCode);
  codeLine->addStretch();
  codeLine->addWidget(new QLabel("ErrorCode Version", this));
  codeLine->addWidget(m_tableVersion);

  auto* left = new QVBoxLayout;
  left->addWidget(dllBox, 1);
  left->addWidget(handlerBox, 0);
  auto* right = new QVBoxLayout;
  right->addWidget(codeBox, 1);
  right->addWidget(messageBox);
  right->addLayout(codeLine);
  QPushButton* save = AddAcceptCloseRow(this, right, "Save");
  auto* layout = new QHBoxLayout(this);
  layout->addLayout(left, 1);
  layout->addLayout(right, 1);

  connect(save, &QPushButton::clicked, this, &ErrorCodeDlg::SaveErrorCodes);
  connect(insert, &QPushButton::clicked, this, &ErrorCodeDlg::OnBnClickedInsert);
  connect(remove, &QPushButton::clicked, this, &ErrorCodeDlg::OnBnClickedDelete);
  connect(browse, &QPushButton::clicked, this, &ErrorCodeDlg::OnBnClickedBrowse);
  connect(open, &QPushButton::clicked, this, &ErrorCodeDlg::OnBnClickedOpen);
  connect(m_codeList, &CGridCtrl::cellDoubleClicked, this, &ErrorCodeDlg::OnDblclkCodeList);
  connect(m_handlerList, &CGridCtrl::cellDoubleClicked, this, &ErrorCodeDlg::OnDblclkHandlerList);
}

void ErrorCodeDlg::OnInitDialog() {
  const std::string table = GetErrorCodePath();
  m_tableVersion->setText(QString::fromStdString(ReadIniString("INI_VERSION", "ver", "0", table)));
  m_messagePath->setText(QString::fromStdString(ReadIniString("KR_PATH", "MESSAGE_KR_PATH", "", table)));
  const std::string messageFile = MessageFilePath();
  m_messageVersion->setText(messageFile.empty() ? QString()
                                                : QString::fromStdString(ReadIniStringAbs("INI_VERSION", "ver", "",
                                                                                         messageFile)));
  // A stopped run reports the stop code: the lookups take 999 when it is missing, and so does the editor.
  m_stopCode->setText(QString::fromStdString(ReadIniString("CODE", "STOP_CODE", "999", table)));
  // Every later row change first saves the library it leaves. A save refused for what was typed keeps that
  // library, so its unsaved rows are not dropped; while a site runs nothing is saved and the next one shows.
  auto* rows = new RowLeaveGuard(m_dllList->model(), m_dllList, [this] { return Save() != SaveOutcome::kRefused; });
  QItemSelectionModel* plain = m_dllList->selectionModel();
  m_dllList->setSelectionModel(rows);
  delete plain;
  FillDllList();
  LoadErrorCodes(0);
  FillHandlerReturnList();
  if (m_dllList->GetItemCount() > 0) {
    m_dllList->setCurrentCell(0, 0);
    m_dllList->setFocus();
  }
  connect(rows, &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& row, const QModelIndex& previous) { OnDllRowChanged(row.row(), previous.row()); });
  // A click shows the library's stored entries again, also on the library already shown; a click on a library
  // that could not be left for it shows nothing new.
  connect(m_dllList, &QTableWidget::cellClicked, this, [this](int row, int) {
    if (row == m_dllList->currentRow()) LoadErrorCodes(row);
  });
}

std::string ErrorCodeDlg::MessageFilePath() const {
  const std::string stored = m_messagePath->text().toStdString();
  return stored.empty() ? std::string() : util::ini::OpenPath(stored.c_str());
}

void ErrorCodeDlg::FillDllList() {
  m_dllList->DeleteAllItems();
  for (const std::filesystem::path& file : ItemLibraries()) {
    const std::string path = file.string();
    const int row = m_dllList->InsertItem(m_dllList->GetItemCount(),
                                          QString::fromStdString(GetVersionInfoString(path, "ItemName")));
    m_dllList->SetItemText(row, kDllNameColumn, QString::fromStdString(file.filename().string()));
    m_dllList->SetItemText(row, kVersionColumn, QString::fromStdString(GetVersionInfoString(path, "ProductVersion")));
    m_dllList->SetItemText(row, kUpdateColumn,
                           QFileInfo(QString::fromStdString(path)).lastModified().toString("yyyy-MM-dd HH:mm:ss"));
  }
}

void ErrorCodeDlg::LoadErrorCodes(int row) {
  m_codeList->CloseEditor();
  m_codeList->DeleteAllItems();
  m_shownDll = row >= 0 && row < m_dllList->GetItemCount()
                   ? m_dllList->GetItemText(row, kDllNameColumn).toStdString()
                   : std::string();
  if (m_shownDll.empty()) return;
  // The count and the entries come from one version of the file: a table saved meanwhile is not mixed in.
  const util::ini::Snapshot table = ReadIniSnapshot(GetErrorCodePath());
  const int count = table.Count(m_shownDll.c_str(), "count", 0, ErrorCodeTable::kMaxCodes);
  for (int i = 0; i < count; ++i) {
    const std::string entry = table.Text(m_shownDll.c_str(), std::to_string(i).c_str(), "-1", kIniTextBuffer);
    const int at = m_codeList->InsertItem(i, QString());
    // Enabled means exactly "1", as the lookups read it; a save keeps what was disabled disabled.
    m_codeList->SetCheck(at, Field(entry, 0) == "1");
    m_codeList->SetItemText(at, kOutputColumn, QString::fromStdString(Field(entry, 1)));
    m_codeList->SetItemText(at, kHandlerColumn, QString::fromStdString(Field(entry, 2)));
    m_codeList->SetItemText(at, kTextColumn, QString::fromStdString(Field(entry, 3)));
  }
}

void ErrorCodeDlg::FillHandlerReturnList() {
  m_handlerList->DeleteAllItems();
  const std::string itemVersion = GetItemVersionPath();
  for (int row = 0; row < 4; ++row) {
    m_handlerList->InsertItem(row, kHandlerReturnLabels[row]);
    m_handlerList->SetItemText(
        row, kHandlerCodeColumn,
        QString::fromStdString(ReadIniString("HANDLER_RETURN", kHandlerReturnKeys[row], kHandlerReturnDefaults[row],
                                             itemVersion)));
  }
}

bool ErrorCodeDlg::SaveErrorCodes() { return Save() == SaveOutcome::kSaved; }

ErrorCodeDlg::SaveOutcome ErrorCodeDlg::Save() {
  if (m_anySiteRunning && m_anySiteRunning()) return SaveOutcome::kSiteRunning;
  const std::string stopCode = Trimmed(m_stopCode);
  // 0 would report every stopped run as a pass; an empty or unreadable text reads as 0.
  if (stopCode.empty() || stopCode == "-" || std::atoi(stopCode.c_str()) == 0) {
    port::MessageBox("Stop error code: type a number other than 0 (0 reports a pass).", "Error Code",
                     port::kMbOk | port::kMbIconWarning);
    return SaveOutcome::kRefused;
  }
  m_codeList->CommitEdit();
  m_handlerList->CommitEdit();
  for (int row = 0; row < m_codeList->GetItemCount(); ++row) {
    if (!m_codeList->GetItemText(row, kTextColumn).contains(',')) continue;
    port::MessageBox(port::Format("Row %d: an error text cannot contain a comma.", row + 1), "Error Code",
                     port::kMbOk | port::kMbIconWarning);
    return SaveOutcome::kRefused;
  }
  const std::string table = GetErrorCodePath();
  WriteIniString("KR_PATH", "MESSAGE_KR_PATH", m_messagePath->text().toStdString().c_str(), table);
  if (!m_shownDll.empty()) {
    // The count and its entries in one write: a site that looks a code up meanwhile reads the old table or
    // the new one, never half of each.
    port::ini::KeyValues entries{{"count", std::to_string(m_codeList->GetItemCount())}};
    for (int row = 0; row < m_codeList->GetItemCount(); ++row) {
      entries.emplace_back(std::to_string(row),
                           port::Format("%d,%s,%s,%s", m_codeList->GetCheck(row) ? 1 : 0,
                                        m_codeList->GetItemText(row, kOutputColumn).toStdString().c_str(),
                                        m_codeList->GetItemText(row, kHandlerColumn).toStdString().c_str(),
                                        m_codeList->GetItemText(row, kTextColumn).toStdString().c_str()));
    }
    WriteIniStrings(m_shownDll.c_str(), entries, table);
  }
  WriteIniString("CODE", "STOP_CODE", stopCode.c_str(), table);
  const std::string itemVersion = GetItemVersionPath();
  for (int row = 0; row < 4; ++row)
    WriteIniString("HANDLER_RETURN", kHandlerReturnKeys[row],
                   m_handlerList->GetItemText(row, kHandlerCodeColumn).toStdString().c_str(), itemVersion);
  return SaveOutcome::kSaved;
}

void ErrorCodeDlg::OnDllRowChanged(int row, int previous) {
  if (row != previous) LoadErrorCodes(row);
}

void ErrorCodeDlg::OnBnClickedInsert() {
  m_codeList->CommitEdit();
  const int row = m_codeList->InsertItem(m_codeList->GetItemCount(), QString());
  m_codeList->SetCheck(row, false);
  m_codeList->SetItemText(row, kOutputColumn, "0");
  m_codeList->SetItemText(row, kHandlerColumn, "0");
  m_codeList->SetItemText(row, kTextColumn, "-");
  m_codeList->clearSelection();
  m_codeList->selectRow(row);
  m_codeList->SetSelectionMark(row);
  m_codeList->scrollToItem(m_codeList->item(row, 0));
  m_codeList->setFocus();
}

void ErrorCodeDlg::OnBnClickedDelete() {
  m_codeList->CloseEditor();
  const int row = m_codeList->GetSelectionMark();
  if (row >= 0 && row < m_codeList->GetItemCount()) m_codeList->DeleteItem(row);
}

void ErrorCodeDlg::OnBnClickedBrowse() {
  std::string chosen;
  if (m_pickFile) {
    chosen = m_pickFile();
  } else if (!port::IsHeadless()) {
    chosen = QFileDialog::getOpenFileName(this, "Error Code", QString(), "INI FILE (*.ini)").toStdString();
  }
  if (!chosen.empty()) m_messagePath->setText(QString::fromStdString(chosen));
}

void ErrorCodeDlg::OnBnClickedOpen() {
  const std::string path = MessageFilePath();
  std::error_code error;
  if (path.empty() || !std::filesystem::exists(path, error)) {
    port::MessageBox("ErrorCode file is not exist", "Error Code", port::kMbOk | port::kMbIconWarning);
    return;
  }
  OpenWithShell(path);
}

void ErrorCodeDlg::OnDblclkCodeList(int row, int column) {
  if (column != kOutputColumn && column != kHandlerColumn && column != kTextColumn) return;
  CGridEdit* editor = m_codeList->EditSubItem(row, column, column == kTextColumn ? 0 : 1);
  // The stored entry ends its text at the first comma.
  if (editor != nullptr && column == kTextColumn)
    editor->setValidator(new QRegularExpressionValidator(QRegularExpression("[^,]*"), editor));
}

void ErrorCodeDlg::OnDblclkHandlerList(int row, int column) {
  if (column == kHandlerCodeColumn) m_handlerList->EditSubItem(row, column, 1);
}
