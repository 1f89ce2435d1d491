#include "QRVAbout.h"

#include <QDateTime>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

#include "ProgramFolder.h"
#include "Util.h"
#include "port/message_box.h"
#include "port/path.h"

namespace {

constexpr const char* kSystemKey = "Software\\QRV\\Platform\\SYSTEM\\";
constexpr const char* kHardwareKey = "System\\Hardware\\";

struct VersionRow {
  const char* caption;
  const char* id;
  const char* name;
};
constexpr VersionRow kVersionRows[] = {
    {"Company :", "1161", "CompanyName"},     {"Description :", "1162", "FileDescription"},
    {"Copyright :", "1163", "LegalCopyright"}, {"Product :", "1164", "ProductName"},
    {"File version :", "1165", "FileVersion"},
};

}  // namespace

CQRVAbout::CQRVAbout(QWidget* parent, SetLog_Fn log) : QDialog(parent), m_log(log) {
  setObjectName("184");
  setWindowTitle("Tarvesta System");
  auto* layout = new QGridLayout(this);
  m_logo = new QLabel(this);
  m_logo->setObjectName("1203");
  m_logo->setAlignment(Qt::AlignCenter);
  layout->addWidget(m_logo, 0, 0, 1, 2);
  int row = 1;
  for (const auto& version : kVersionRows) AddRow(row++, version.caption, version.id);
  AddRow(row++, "Update date :", "1167");
  auto* reset = new QPushButton("Reset Registry", this);
  reset->setObjectName("1248");
  layout->addWidget(reset, row, 0, 1, 2);
  connect(reset, &QPushButton::clicked, this, &CQRVAbout::OnBnClickedResetRegistry);
  FillVersionInfo();
}

void CQRVAbout::AddRow(int row, const char* caption, const char* id) {
  auto* grid = static_cast<QGridLayout*>(layout());
  grid->addWidget(new QLabel(caption, this), row, 0);
  auto* value = new QLabel(this);
  value->setObjectName(id);
  grid->addWidget(value, row, 1);
}

void CQRVAbout::FillVersionInfo() {
  const std::string program = port::JoinPath(ProgramFolder::Root(), "QRVBase.exe");
  const QFileInfo file(QString::fromStdString(program));
  if (!file.exists()) return;
  for (const auto& version : kVersionRows) {
    findChild<QLabel*>(version.id)->setText(QString::fromStdString(GetVersionInfoString(program, version.name)));
  }
  findChild<QLabel*>("1167")->setText(file.lastModified().toLocalTime().toString("yyyy.MM.dd hh:mm:ss"));
  const std::string logo = port::JoinPath(port::JoinPath(ProgramFolder::Root(), "Res"), "QRVLogo.bmp");
  m_logo->setPixmap(QPixmap(QString::fromStdString(logo)));
}

void CQRVAbout::OnBnClickedResetRegistry() {
  if (port::MessageBox("Do you want to reset the registry?", "QRVBase", port::kMbYesNo) != port::kIdYes) return;
  using port::registry::Root;
  for (const char* name : {"LoginByPass", "VersionByPass", "SystemVersionByPass", "ProtocolDebug"}) {
    RegWriteInt(Root::CurrentUser, kSystemKey, name, 0);
  }
  RegWriteInt(Root::CurrentUser, kHardwareKey, "HardwareByPass", 0);
  if (m_log) m_log(0, "Registry is reset");
  port::MessageBox("Registry is reset");
}
