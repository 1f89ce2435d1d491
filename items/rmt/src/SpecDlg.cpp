#include "SpecDlg.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>

#include "port/message_box.h"
#include "port/text.h"

namespace {

constexpr int kTestPointIds[kRelayTestPoints] = {4019, 4020, 4021, 4022, 4028, 4029};
constexpr int kMaxDelayMs = 600000;
constexpr int kMaxCount = 100000;
constexpr float kNoReading = 999.999f;

QSpinBox* SpinBox(QWidget* parent, int id, int maximum) {
  auto* box = new QSpinBox(parent);
  box->setObjectName(QString::number(id));
  box->setRange(0, maximum);
  return box;
}

QLineEdit* LineEdit(QWidget* parent, int id) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(QString::number(id));
  return edit;
}

QPushButton* Button(QWidget* parent, int id, const char* caption) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(QString::number(id));
  button->setAutoDefault(false);
  return button;
}

// The four fields of a dotted address; fields that do not parse read as 0.
void SplitAddress(const std::string& text, int fields[4]) {
  fields[0] = fields[1] = fields[2] = fields[3] = 0;
  std::sscanf(text.c_str(), "%d.%d.%d.%d", &fields[0], &fields[1], &fields[2], &fields[3]);
}

QString OutcomeText(RmtItem::Outcome outcome) {
  switch (outcome) {
    case RmtItem::Outcome::kDone:
      return "Done";
    case RmtItem::Outcome::kNoReply:
      return "No reply";
    case RmtItem::Outcome::kNothingToDo:
      return "Nothing to do";
    case RmtItem::Outcome::kNotConnected:
      return "Not connected";
  }
  return QString();
}

}  // namespace

CSpecDlg::CSpecDlg(RmtItem* item, CQRV_LoadMemory* record) : item_(nullptr), record_(nullptr) {
  setWindowTitle("~");
  auto* layout = new QVBoxLayout(this);
  auto* groups = new QHBoxLayout;
  groups->addWidget(BuildBoardGroup());
  groups->addWidget(BuildMeterGroup());
  layout->addLayout(groups);
  layout->addWidget(BuildButtons());
  SetItem(item, record);
}

CSpecDlg::~CSpecDlg() {
  if (item_ != nullptr) item_->SetListener({});
}

// The item's worker reports through a queued call, which Qt drops once the window is gone.
void CSpecDlg::SetItem(RmtItem* item, CQRV_LoadMemory* record) {
  if (item_ != nullptr) item_->SetListener({});
  item_ = item;
  record_ = record;
  if (item_ != nullptr)
    item_->SetListener([this](const RmtItem::JobReport& report) {
      QMetaObject::invokeMethod(this, [this, report] { ShowJobReport(report); }, Qt::QueuedConnection);
    });
  EnableJobButtons(item_ == nullptr || !item_->Busy());
  LoadItemSettings();
}

QWidget* CSpecDlg::BuildBoardGroup() {
  auto* group = new QGroupBox("RMT Board", this);
  auto* form = new QFormLayout;
  interval_ = SpinBox(group, 4009, kMaxDelayMs);
  sleep_ = SpinBox(group, 4010, kMaxDelayMs);
  boardPort_ = SpinBox(group, 15034, 65535);
  boardDummy_ = SpinBox(group, 4046, kMaxCount);
  form->addRow("Interval(ms)", interval_);
  form->addRow("Sleep(ms)", sleep_);
  form->addRow("RMT Board Port", boardPort_);
  form->addRow("Dummy", boardDummy_);

  auto* channels = new QGridLayout;
  for (int i = 0; i < kRelayChannels; ++i) {
    channel_[i] = new QCheckBox(QString::number(i + 1), group);
    channel_[i]->setObjectName(QString::number(4011 + i));
    channels->addWidget(channel_[i], i / 4, i % 4);
  }
  form->addRow("Channel", channels);
  auto* points = new QGridLayout;
  for (int i = 0; i < kRelayTestPoints; ++i) {
    testPoint_[i] = new QCheckBox(QString::number(i + 1), group);
    testPoint_[i]->setObjectName(QString::number(kTestPointIds[i]));
    points->addWidget(testPoint_[i], i / 3, i % 3);
  }
  form->addRow("TP", points);

  agingCount_ = SpinBox(group, 4026, kMaxCount);
  form->addRow("Aging count", agingCount_);
  auto* scan = new QHBoxLayout;
  auto* start = Button(group, 4023, "Start");
  auto* agingStart = Button(group, 4025, "Aging Start");
  auto* agingStop = Button(group, 4024, "Aging Stop");
  scan->addWidget(start);
  scan->addWidget(agingStart);
  scan->addWidget(agingStop);
  jobButtons_[0] = start;
  jobButtons_[1] = agingStart;
  agingStop_ = agingStop;
  form->addRow(scan);
  auto* board = new QHBoxLayout;
  auto* init = Button(group, 4042, "RMT INIT");
  auto* version = Button(group, 4044, "RMT Version");
  version_ = LineEdit(group, 15035);
  version_->setReadOnly(true);
  board->addWidget(init);
  board->addWidget(version);
  jobButtons_[3] = init;
  jobButtons_[4] = version;
  board->addWidget(version_);
  form->addRow(board);
  group->setLayout(form);

  connect(start, &QPushButton::clicked, this, &CSpecDlg::OnBnClickedStart);
  connect(agingStart, &QPushButton::clicked, this, &CSpecDlg::OnBnClickedAgingStart);
  connect(agingStop, &QPushButton::clicked, this, &CSpecDlg::OnBnClickedAgingStop);
  connect(init, &QPushButton::clicked, this, &CSpecDlg::OnBnClickedRmtInit);
  connect(version, &QPushButton::clicked, this, &CSpecDlg::OnBnClickedRmtVersion);
  return group;
}

QWidget* CSpecDlg::BuildMeterGroup() {
  auto* group = new QGroupBox("HIOKI", this);
  auto* form = new QFormLayout;
  auto* address = new QWidget(group);
  address->setObjectName("4008");
  auto* fields = new QHBoxLayout(address);
  fields->setContentsMargins(0, 0, 0, 0);
  for (int i = 0; i < 4; ++i) {
    ip_[i] = SpinBox(address, 4008, 255);
    ip_[i]->setObjectName(QString("4008_%1").arg(i));
    fields->addWidget(ip_[i]);
  }
  form->addRow("IP Address", address);
  meterPort_ = SpinBox(group, 15033, 65535);
  range_ = LineEdit(group, 4030);
  speed_ = LineEdit(group, 4039);
  sendSleep_ = SpinBox(group, 4034, kMaxDelayMs);
  recvSleep_ = SpinBox(group, 4037, kMaxDelayMs);
  meterDummy_ = SpinBox(group, 4038, kMaxCount);
  sampling_ = SpinBox(group, 4027, kMaxCount);
  form->addRow("DMM Port", meterPort_);
  form->addRow("Range", range_);
  form->addRow("Speed", speed_);
  form->addRow("Send Sleep(ms)", sendSleep_);
  form->addRow("Recv Sleep(ms)", recvSleep_);
  form->addRow("Dummy", meterDummy_);
  form->addRow("Sampling", sampling_);
  auto* read = new QHBoxLayout;
  auto* readData = Button(group, 4041, "Read Data");
  reading_ = LineEdit(group, 4035);
  reading_->setReadOnly(true);
  read->addWidget(readData);
  jobButtons_[2] = readData;
  read->addWidget(reading_);
  form->addRow(read);
  group->setLayout(form);
  connect(readData, &QPushButton::clicked, this, &CSpecDlg::OnBnClickedReadData);
  return group;
}

QWidget* CSpecDlg::BuildButtons() {
  auto* row = new QWidget(this);
  auto* layout = new QHBoxLayout(row);
  progress_ = new QProgressBar(row);
  progress_->setObjectName("progress");
  progress_->setTextVisible(true);
  progress_->setRange(0, 1);
  progress_->setValue(0);
  progress_->setFormat(QString());
  layout->addWidget(progress_, 1);
  auto* apply = Button(row, 15000, "Apply");
  auto* close = Button(row, 2, "Close");
  layout->addWidget(apply);
  layout->addWidget(close);
  connect(apply, &QPushButton::clicked, this, &CSpecDlg::OnBnClickedApply);
  connect(close, &QPushButton::clicked, this, &QDialog::hide);
  return row;
}

void CSpecDlg::LoadItemSettings() {
  if (record_ != nullptr && item_ != nullptr) settings_ = ::LoadItemSettings(*record_, item_->IniPath());
  ShowMembers();
}

bool CSpecDlg::SaveItemSettings() {
  return record_ != nullptr && item_ != nullptr && ::SaveItemSettings(*record_, item_->IniPath(), settings_);
}

void CSpecDlg::ShowMembers() {
  interval_->setValue(settings_.interval);
  sleep_->setValue(settings_.sleep);
  boardPort_->setValue(settings_.boardPort);
  boardDummy_->setValue(settings_.boardDummy);
  for (int i = 0; i < kRelayChannels; ++i) channel_[i]->setChecked(settings_.channel[i] != 0);
  for (int i = 0; i < kRelayTestPoints; ++i) testPoint_[i]->setChecked(settings_.testPoint[i] != 0);
  int fields[4];
  SplitAddress(settings_.ipAddress, fields);
  for (int i = 0; i < 4; ++i) ip_[i]->setValue(fields[i]);
  meterPort_->setValue(settings_.meterPort);
  range_->setText(QString::fromStdString(settings_.range));
  speed_->setText(QString::fromStdString(settings_.speed));
  sendSleep_->setValue(settings_.sendSleep);
  recvSleep_->setValue(settings_.recvSleep);
  meterDummy_->setValue(settings_.meterDummy);
  sampling_->setValue(settings_.sampling);
  ShowReading();
}

void CSpecDlg::ShowReading() { reading_->setText(QString::number(static_cast<double>(lastReading_), 'f', 3)); }

void CSpecDlg::ControlsIntoMembers() {
  settings_.interval = interval_->value();
  settings_.sleep = sleep_->value();
  settings_.boardPort = boardPort_->value();
  settings_.boardDummy = boardDummy_->value();
  for (int i = 0; i < kRelayChannels; ++i) settings_.channel[i] = channel_[i]->isChecked() ? 1 : 0;
  for (int i = 0; i < kRelayTestPoints; ++i) settings_.testPoint[i] = testPoint_[i]->isChecked() ? 1 : 0;
  settings_.ipAddress = port::Format("%d.%d.%d.%d", ip_[0]->value(), ip_[1]->value(), ip_[2]->value(), ip_[3]->value());
  settings_.meterPort = meterPort_->value();
  settings_.range = range_->text().toStdString();
  settings_.speed = speed_->text().toStdString();
  settings_.sendSleep = sendSleep_->value();
  settings_.recvSleep = recvSleep_->value();
  settings_.meterDummy = meterDummy_->value();
  settings_.sampling = sampling_->value();
  if (item_ != nullptr) item_->UseSettings(settings_);
}

void CSpecDlg::OnBnClickedApply() {
  ControlsIntoMembers();
  if (!SaveItemSettings()) port::MessageBox(port::Format("Test.ini could not be written: %s",
                                                         item_ ? item_->IniPath().c_str() : ""));
}

void CSpecDlg::EnableJobButtons(bool on) {
  for (QPushButton* button : jobButtons_) button->setEnabled(on);
}

void CSpecDlg::StartJob(RmtItem::Job job, int agingCount) {
  if (item_ == nullptr || !item_->StartJob(job, agingCount)) return;
  EnableJobButtons(false);
  // Busy until the first selection tells how far the job has come; jobs without selections stay busy.
  progress_->setRange(0, 0);
  progress_->setFormat(QString());
}

void CSpecDlg::ShowJobReport(const RmtItem::JobReport& report) {
  if (!report.done) {
    progress_->setRange(0, std::max(report.steps, 1));
    progress_->setValue(report.step);
    progress_->setFormat(QString("CH %1 / TP %2   %3 of %4")
                             .arg(report.channel)
                             .arg(report.testPoint)
                             .arg(report.step)
                             .arg(report.steps));
    return;
  }
  const bool done = report.outcome == RmtItem::Outcome::kDone;
  progress_->setRange(0, 1);
  progress_->setValue(done ? 1 : 0);
  progress_->setFormat(OutcomeText(report.outcome));
  EnableJobButtons(true);
  if (report.job == RmtItem::Job::kReadData) {
    lastReading_ = report.reading;
    ShowReading();
  }
  if (report.job == RmtItem::Job::kRelayVersion) version_->setText(QString::fromStdString(report.version));
}

void CSpecDlg::StartScan(bool aging) {
  ControlsIntoMembers();
  StartJob(aging ? RmtItem::Job::kAgingScan : RmtItem::Job::kScan, agingCount_->value());
}

void CSpecDlg::OnBnClickedStart() { StartScan(false); }

void CSpecDlg::OnBnClickedAgingStart() { StartScan(true); }

void CSpecDlg::OnBnClickedAgingStop() {
  if (item_ != nullptr) item_->StopAging();
}

void CSpecDlg::OnBnClickedReadData() {
  if (item_ == nullptr || !item_->LinksReady()) {
    lastReading_ = kNoReading;
    ShowReading();
    port::MessageBox("RMT Initialized Failed");
    return;
  }
  StartJob(RmtItem::Job::kReadData);
}

void CSpecDlg::OnBnClickedRmtInit() { StartJob(RmtItem::Job::kRelayInit); }

void CSpecDlg::OnBnClickedRmtVersion() { StartJob(RmtItem::Job::kRelayVersion); }
