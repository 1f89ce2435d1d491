#include "TestModeDlg.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>

#include "DesktopTools.h"
#include "FolderPicker.h"
#include "QRV_PlatformMemory.h"
#include "Util.h"
#include "port/dialog_units.h"

namespace {

constexpr int kAutoMode = 1025, kAgingMode = 1026;

int LeadingNumber(const std::string& text) {
  int value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9' || value > (0x7FFFFFFF - 9) / 10) break;
    value = value * 10 + (c - '0');
  }
  return value;
}

}  // namespace

TestModeDlg::TestModeDlg(int mode, int count, std::string simulationPath, Station station, QWidget* parent)
    : QDialog(parent),
      m_nMode(mode),
      m_nCount(count),
      m_strSimulationPath(std::move(simulationPath)),
      m_station(std::move(station)) {
  setObjectName("133");
  setWindowTitle("Test Mode");
  const port::DialogUnits du(font());
  m_radioAuto = new QRadioButton("Auto mode", this);
  m_radioAging = new QRadioButton("Aging mode", this);
  du.Place(m_radioAuto, kAutoMode, 10, 10, 70, 12);
  du.Place(m_radioAging, kAgingMode, 10, 26, 70, 12);
  auto* modes = new QButtonGroup(this);
  modes->addButton(m_radioAuto, kAutoMode);
  modes->addButton(m_radioAging, kAgingMode);
  m_editCount = new QLineEdit(this);
  m_editCount->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), m_editCount));
  du.Place(m_editCount, 1034, 84, 25, 50, 14);
  auto* countLabel = new QLabel("(UI manager Start&Stop click)", this);
  du.Place(countLabel, 0, 140, 27, 150, 12);
  m_chkOverride = new QCheckBox("Override Mode", this);
  m_chkSimulation = new QCheckBox("Simulation Mode", this);
  du.Place(m_chkOverride, 1121, 10, 46, 90, 12);
  du.Place(m_chkSimulation, 1133, 110, 46, 90, 12);

  auto* group = new QGroupBox("Simulation", this);
  du.Place(group, 0, 7, 62, 323, 36);
  auto* pathLabel = new QLabel("Simulation Path", this);
  du.Place(pathLabel, 0, 14, 78, 58, 12);
  m_editPath = new QLineEdit(this);
  m_editPath->setReadOnly(true);
  m_editPath->setEnabled(false);
  du.Place(m_editPath, 1035, 74, 76, 176, 14);
  m_btnBrowse = new QPushButton("...", this);
  m_btnBrowse->setEnabled(false);
  du.Place(m_btnBrowse, 1016, 254, 76, 22, 14);
  auto* open = new QPushButton("OPEN", this);
  du.Place(open, 1017, 280, 76, 44, 14);

  auto* save = new QPushButton("Save", this);
  save->setDefault(true);
  du.Place(save, 1, 220, 105, 50, 16);
  auto* close = new QPushButton("Close", this);
  du.Place(close, 2, 278, 105, 50, 16);
  du.Resize(this, 337, 126);

  connect(modes, &QButtonGroup::idClicked, this, &TestModeDlg::EnableCountForMode);
  connect(m_chkSimulation, &QCheckBox::clicked, this, &TestModeDlg::OnSimulationModeClicked);
  connect(m_btnBrowse, &QPushButton::clicked, this, &TestModeDlg::OnBrowseSimulationPath);
  connect(open, &QPushButton::clicked, this, &TestModeDlg::OnOpenSimulationPath);
  connect(save, &QPushButton::clicked, this, &TestModeDlg::OnOK);
  connect(close, &QPushButton::clicked, this, &QDialog::reject);
  OnInitDialog();
}

void TestModeDlg::OnInitDialog() {
  (m_nMode == 1 ? m_radioAging : m_radioAuto)->setChecked(true);
  EnableCountForMode(m_nMode);
  m_editCount->setText(QString::number(m_nCount));
  const CQRVPlatformMemory* record = m_station.record;
  m_chkOverride->setChecked(record != nullptr && record->GetOverridemode() != 0);
  m_chkSimulation->setChecked(record != nullptr && record->GetSimulationMode() != 0);
  m_editPath->setText(QString::fromStdString(m_strSimulationPath));
}

void TestModeDlg::EnableCountForMode(int value) {
  if (value == 0 || value == kAutoMode) m_editCount->setEnabled(false);
  if (value == 1 || value == kAgingMode) m_editCount->setEnabled(true);
}

void TestModeDlg::OnSimulationModeClicked() { m_btnBrowse->setEnabled(m_chkSimulation->isChecked()); }

void TestModeDlg::OnBrowseSimulationPath() {
  m_strSimulationPath = BrowseFolder();
  m_editPath->setText(QString::fromStdString(m_strSimulationPath));
}

// The path is kept as the model stores it; only the folder opened is the station's mapping of it.
void TestModeDlg::OnOpenSimulationPath() {
  desktop_tools::OpenFolder(util::ini::OpenPath(m_strSimulationPath.c_str()));
}

void TestModeDlg::OnOK() {
  const int mode = m_radioAging->isChecked() ? 1 : 0;
  // The operator may wait for the site or close the dialog: the refusal says nothing.
  if (m_station.anySiteRunning && m_station.anySiteRunning()) return;
  const int overrideMode = m_chkOverride->isChecked() ? 1 : 0;
  WriteIniInt("TestMode", "OverrideMode", overrideMode, m_station.testModeIni);
  WriteIniString("TestMode", "SimulationPath", m_strSimulationPath.c_str(), m_station.testModeIni);
  m_nMode = mode;
  m_nOverrideMode = overrideMode;
  m_nSimulationMode = m_chkSimulation->isChecked() ? 1 : 0;
  m_nCount = LeadingNumber(m_editCount->text().toStdString());
  m_strSimulationPath = m_editPath->text().toStdString();
  accept();
}
