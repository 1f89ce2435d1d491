#include "ConfigDlg.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <filesystem>

#include "DialogButtons.h"
#include "FolderPicker.h"
#include "KeyBoardDlg.h"
#include "ModelSettings.h"
#include "PlatformErrorLog.h"
#include "QRV_Types.h"
#include "ShellOpen.h"
#include "Util.h"
#include "port/message_box.h"
#include "port/path.h"

namespace {

constexpr int kEngineerLevel = 2;
// The line number the platform error log has always given for a failed copy of the template.
constexpr int kCopyFailLine = 277;
enum PathRowIndex : int { kProductionRow = 0, kEngineerRow = 1, kListLogRow = 2 };

QComboBox* CountList(QWidget* parent, int id) {
  auto* list = new QComboBox(parent);
  list->setObjectName(QString::number(id));
  for (int count = 1; count <= kMaxSites; ++count) list->addItem(QString::number(count));
  return list;
}

QLineEdit* Edit(QWidget* parent, int id) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(QString::number(id));
  return edit;
}

// The entry for a stored value, or none when the value is not one the list offers.
void SelectStored(QComboBox* list, int index) { list->setCurrentIndex(index >= 0 && index < list->count() ? index : -1); }

std::string Text(const QLineEdit* edit) { return edit->text().toStdString(); }

}  // namespace

ConfigDlg::ConfigDlg(Options options, QWidget* parent) : QDialog(parent), m_options(std::move(options)) {
  setObjectName("131");
  setWindowTitle("Config");
  if (!m_options.pickFolder) m_options.pickFolder = BrowseFolder;
  CreateControls();
  LoadConfig();
  ApplyAccessRule();
}

void ConfigDlg::CreateControls() {
  auto* platform = new QGroupBox("Platform", this);
  auto* platformGrid = new QGridLayout(platform);
  m_model = new QComboBox(platform);
  m_model->setObjectName("1012");
  m_model->setMinimumContentsLength(16);
  m_newModel = DialogButton("New model", platform, 1160);
  m_site = CountList(platform, 1211);
  m_para = CountList(platform, 1213);
  m_draw = new QComboBox(platform);
  m_draw->setObjectName("1215");
  for (const char* type : kDrawTypes) m_draw->addItem(type);
  platformGrid->addWidget(new QLabel("Model", platform), 0, 0);
  platformGrid->addWidget(m_model, 0, 1);
  platformGrid->addWidget(m_newModel, 0, 2);
  const std::pair<const char*, QComboBox*> lists[] = {{"Site", m_site}, {"Para", m_para}, {"Draw", m_draw}};
  for (int row = 0; row < 3; ++row) {
    platformGrid->addWidget(new QLabel(lists[row].first, platform), row + 1, 0);
    platformGrid->addWidget(lists[row].second, row + 1, 1);
  }

  auto* logPath = new QGroupBox("Log Path", this);
  auto* logGrid = new QGridLayout(logPath);
  const struct {
    const char* label;
    int edit, browse, open;
    const char* leaf;
  } rows[] = {{"Production Path", 1097, 1017, 1021, "ProductionLog"},
              {"Engineer Path", 1098, 1018, 1022, "EngineerLog"},
              {"ListLog Path", 1099, 1019, 1023, "ListLog"}};
  for (int row = 0; row < 3; ++row) {
    PathRow& path = m_paths[static_cast<std::size_t>(row)];
    path = {Edit(logPath, rows[row].edit), DialogButton("...", logPath, rows[row].browse),
            DialogButton("Open", logPath, rows[row].open), rows[row].leaf};
    path.edit->setMinimumWidth(320);
    logGrid->addWidget(new QLabel(rows[row].label, logPath), row, 0);
    logGrid->addWidget(path.edit, row, 1);
    logGrid->addWidget(path.browse, row, 2);
    logGrid->addWidget(path.open, row, 3);
    connect(path.browse, &QPushButton::clicked, this, [this, row] { OnBrowse(row); });
    connect(path.open, &QPushButton::clicked, this, [this, row] { OnOpen(row); });
  }

  auto* machine = new QGroupBox("Machine information", this);
  auto* machineGrid = new QGridLayout(machine);
  m_lineName = Edit(machine, 1105);
  m_machineName = Edit(machine, 1106);
  m_userMsg = Edit(machine, 1107);
  const std::pair<const char*, QLineEdit*> names[] = {
      {"Line Name", m_lineName}, {"Machine Name", m_machineName}, {"User Msg", m_userMsg}};
  for (int row = 0; row < 3; ++row) {
    machineGrid->addWidget(new QLabel(names[row].first, machine), row, 0);
    machineGrid->addWidget(names[row].second, row, 1);
  }

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(platform);
  layout->addWidget(logPath);
  layout->addWidget(machine);
  QPushButton* save = AddAcceptCloseRow(this, layout, "Save");

  connect(m_newModel, &QPushButton::clicked, this, &ConfigDlg::OnBnClickedButtonNewModel);
  connect(save, &QPushButton::clicked, this, &ConfigDlg::SaveConfig);
}

void ConfigDlg::LoadConfig() {
  const std::string current = ModelSettings::ReadModelName();
  m_model->clear();
  for (const std::string& model : ModelSettings::ListModels()) m_model->addItem(QString::fromStdString(model));
  m_model->setCurrentIndex(m_model->findText(QString::fromStdString(current), Qt::MatchExactly | Qt::MatchCaseSensitive));
  if (m_options.modelOnly != 0) {
    for (QComboBox* list : {m_site, m_para, m_draw}) list->setCurrentIndex(-1);
    return;
  }
  SelectStored(m_site, ModelSettings::ReadSiteCount() - 1);
  SelectStored(m_para, ModelSettings::ReadPara() - 1);
  SelectStored(m_draw, ModelSettings::ReadDraw());
  m_paths[kProductionRow].edit->setText(QString::fromStdString(ModelSettings::ReadProductionLogPath()));
  m_paths[kEngineerRow].edit->setText(QString::fromStdString(ModelSettings::ReadEngineerLogPath()));
  m_paths[kListLogRow].edit->setText(QString::fromStdString(ModelSettings::ReadListLogPath()));
  m_lineName->setText(QString::fromStdString(ModelSettings::ReadLineName()));
  m_machineName->setText(QString::fromStdString(ModelSettings::ReadMachineName()));
  m_userMsg->setText(QString::fromStdString(ModelSettings::ReadUserMsg()));
}

// The model list, "Draw", the three "...", the list-log "Open", "New model", "Save" and "Close" stay usable.
void ConfigDlg::ApplyAccessRule() {
  if (m_options.modelOnly == 0 && m_options.loginLevel == kEngineerLevel) return;
  for (QWidget* control : {static_cast<QWidget*>(m_site), static_cast<QWidget*>(m_para),
                           static_cast<QWidget*>(m_paths[kProductionRow].edit),
                           static_cast<QWidget*>(m_paths[kEngineerRow].edit),
                           static_cast<QWidget*>(m_paths[kProductionRow].open),
                           static_cast<QWidget*>(m_paths[kEngineerRow].open), static_cast<QWidget*>(m_lineName),
                           static_cast<QWidget*>(m_machineName), static_cast<QWidget*>(m_userMsg)})
    control->setEnabled(false);
  for (const PathRow& path : m_paths) path.edit->setReadOnly(true);
}

void ConfigDlg::OnBrowse(int row) {
  std::string folder = m_options.pickFolder();
  if (folder.empty()) return;
  if (folder.back() == '/' || folder.back() == '\\') folder.pop_back();
  const PathRow& path = m_paths[static_cast<std::size_t>(row)];
  path.edit->setText(QString::fromStdString(folder + "/" + path.leaf));
}

// The production and engineer rows open the stored folder; the list-log row the folder in its edit.
void ConfigDlg::OnOpen(int row) {
  std::string stored;
  switch (row) {
    case kProductionRow: stored = ModelSettings::ReadProductionLogPath(); break;
    case kEngineerRow: stored = ModelSettings::ReadEngineerLogPath(); break;
    default: stored = Text(m_paths[kListLogRow].edit); break;
  }
  OpenWithShell(ModelSettings::ResolveLogFolder(stored));
}

// A list with no entry selected (its stored value is not one it offers) keeps that value rather than
// storing 0 or -1.
void ConfigDlg::WriteModelValues() const {
  const std::string config = ModelSettings::GetConfigIniPath();
  if (m_site->currentIndex() >= 0) WriteIniInt("SITE", "site", m_site->currentIndex() + 1, config);
  if (m_para->currentIndex() >= 0) WriteIniInt("PARA", "para", m_para->currentIndex() + 1, config);
  if (m_draw->currentIndex() >= 0) WriteIniInt("DRAW", "draw", m_draw->currentIndex(), config);
  WriteIniString("LOG", "ProductionLog", Text(m_paths[kProductionRow].edit).c_str(), config);
  WriteIniString("LOG", "EngineerLog", Text(m_paths[kEngineerRow].edit).c_str(), config);
  WriteIniString("LOG", "ListLog", Text(m_paths[kListLogRow].edit).c_str(), config);
  WriteIniString("LOG", "LineName", Text(m_lineName).c_str(), config);
  WriteIniString("LOG", "MachineName", Text(m_machineName).c_str(), config);
  WriteIniString("LOG", "UserMsg", Text(m_userMsg).c_str(), config);
}

// Values go to the model that is current when Save is pressed; a model chosen in the same use becomes
// current after them.
bool ConfigDlg::SaveConfig() {
  const std::string chosen = m_model->currentIndex() >= 0 ? m_model->currentText().toStdString() : std::string();
  if (m_options.modelOnly != 0 && chosen.empty()) {
    port::MessageBox("Select a model.", "Config", port::kMbOk | port::kMbIconWarning);
    return false;
  }
  if (m_options.modelOnly == 0) {
    // The running sites read these values: nothing is written under them, and nothing is said.
    if (m_options.anySiteRunning && m_options.anySiteRunning()) return false;
    WriteModelValues();
    ModelSettings::CreateDatedLogFolders(Text(m_paths[kProductionRow].edit));
    ModelSettings::CreateDatedLogFolders(Text(m_paths[kEngineerRow].edit));
  }
  const std::string stored = ModelSettings::ReadModelName();
  // The key is made to exist in the model that is current now; a missing model gets no file.
  if (ModelSettings::ModelFolderExists(stored))
    WriteIniString("LOG", "ListLog_SubName", ModelSettings::ReadListLogSubName().c_str(),
                   ModelSettings::GetConfigIniPath());
  if (!chosen.empty()) ModelSettings::WriteModelName(chosen);
  if (!chosen.empty() && chosen != stored && m_options.modelChanged) m_options.modelChanged();
  accept();
  return true;
}

void ConfigDlg::OnBnClickedButtonNewModel() {
  KeyBoardDlg keyboard(QString(), 0, this);
  if (keyboard.exec() != QDialog::Accepted) return;
  const std::string name = keyboard.GetInputText().toStdString();
  // Whatever Ref already holds under the name, the template included, is the same model; Ref is matched
  // without regard to letter case, as the station's models are named, and the holder stays as it is. Only a
  // name nothing holds yet must make a plain folder name.
  std::error_code error;
  if (!name.empty() && std::filesystem::exists(port::ResolvePathCase(ModelSettings::ModelFolderPath(name)), error)) {
    port::MessageBox("This is the same model.", "Config", port::kMbOk | port::kMbIconWarning);
    return;
  }
  if (const std::string refusal = ModelSettings::CheckNewModelName(name); !refusal.empty()) {
    port::MessageBox(refusal, "Config", port::kMbOk | port::kMbIconWarning);
    return;
  }
  const std::string source = ModelSettings::ModelFolderPath(ModelSettings::kTemplateModel) + '\0';
  const std::string target = ModelSettings::ModelFolderPath(name) + '\0';
  if (CopyFolder(source.c_str(), target.c_str()) != 0)
    LogPlatformError("%s [%d] ERROR : UtilityCopyDirectory Fail", "ConfigDlg::OnBnClickedButtonNewModel",
                     kCopyFailLine);
  SaveConfig();
}
