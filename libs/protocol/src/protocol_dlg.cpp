#include "protocol_dlg.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QUrl>
#include <QVBoxLayout>

#include "port/path.h"
#include "port/text.h"

namespace protocol {
namespace {

constexpr int kEngineer = 2;
constexpr int kDebugWidth = 1300;
constexpr int kSequencePanelWidth = 328;

QCheckBox* Check(const char* id, const char* caption, bool on, QWidget* parent) {
  auto* box = new QCheckBox(caption, parent);
  box->setObjectName(id);
  box->setChecked(on);
  return box;
}

QPushButton* Button(const char* id, const char* caption, QWidget* parent) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(id);
  return button;
}

std::string DigitsOnly(const QString& text) {
  std::string out;
  for (const QChar c : text) {
    if (c.isDigit()) out.push_back(c.toLatin1());
  }
  return out;
}

}  // namespace

CProtocolDlg::CProtocolDlg(ProtocolCore& core) : core_(core) {
  setObjectName("CProtocolDlg");
  setWindowTitle("QTS Tester");
  auto* left = new QVBoxLayout;
  auto* top = new QHBoxLayout;
  top->addWidget(BuildOptions());
  top->addWidget(BuildChart());
  top->addWidget(BuildFtp());
  left->addLayout(top);
  auto* middle = new QHBoxLayout;
  middle->addWidget(BuildServerList(), 1);
  middle->addWidget(BuildDebugging(), 1);
  left->addLayout(middle);
  statusTabs_ = new QTabWidget(this);
  statusTabs_->setObjectName("4047");
  for (int i = 0; i < kServerCount; ++i) {
    status_[i] = new QListWidget(statusTabs_);
    status_[i]->setObjectName(QString::number(4016 + i));
    statusTabs_->addTab(status_[i], QString(QChar('A' + i)));
  }
  left->addWidget(statusTabs_, 1);
  auto* layout = new QHBoxLayout(this);
  layout->addLayout(left, 3);
  layout->addWidget(BuildSequences(), 1);
  sequencePanel_->setVisible(core_.IsDebugMode());
  if (!core_.IsDebugMode()) simulation_->hide();
  // Outside debug mode the window ends where the sequence panel begins.
  resize(core_.IsDebugMode() ? kDebugWidth : kDebugWidth - kSequencePanelWidth, 640);

  ack_ = new CAckDlg(core_.Monitor(), this);
  ack_->setWindowFlag(Qt::Window);
  ack_->hide();
  mes_ = new CMesDlg(core_.Mes(), this);
  mes_->setWindowFlag(Qt::Window);
  mes_->hide();
  auto* menu = new QMenuBar(this);
  QMenu* map = menu->addMenu("Map");
  connect(map->addAction("Ack"), &QAction::triggered, this, &CProtocolDlg::OnMenuMap);
  connect(map->addAction("Mes"), &QAction::triggered, this, &CProtocolDlg::OnMenuMap);
  layout->setMenuBar(menu);
  LoadServerRows();
  ApplyLoadLoginLevel();
  QPointer<CProtocolDlg> self(this);
  core_.SetStatusChanged([self] {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [self] {
          if (self) self->RefreshStatus();
        },
        Qt::QueuedConnection);
  });
  // Front of the other windows, neither shown nor moved: the engineer sees the failed entry's line when the
  // window is open.
  core_.SetServerMissing([self] {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [self] {
          if (self) self->raise();
        },
        Qt::QueuedConnection);
  });
  RefreshStatus();
}

CProtocolDlg::~CProtocolDlg() {
  core_.SetStatusChanged(nullptr);
  core_.SetServerMissing(nullptr);
}

QWidget* CProtocolDlg::BuildOptions() {
  auto* box = new CTGroupBox("Option", this);
  box->setObjectName("4030");
  packetSave_ = Check("4021", "Packet Log Save", core_.PacketSave(), box);
  simulation_ = Check("4045", "Simulation Mode", core_.SimulationMode(), box);
  auto* save = Button("4020", "Save", box);
  auto* clear = Button("4035", "Clear", box);
  auto* grid = new QGridLayout(box);
  grid->addWidget(packetSave_, 0, 0);
  grid->addWidget(simulation_, 1, 0);
  grid->addWidget(save, 0, 1);
  grid->addWidget(clear, 1, 1);
  connect(packetSave_, &QCheckBox::toggled, this, [this](bool on) { core_.SetPacketSave(on); });
  connect(simulation_, &QCheckBox::toggled, this, [this](bool on) { core_.SetSimulationMode(on); });
  connect(save, &QPushButton::clicked, this, &CProtocolDlg::OnBnClickedSave);
  connect(clear, &QPushButton::clicked, this, &CProtocolDlg::OnBnClickedClear);
  return box;
}

QWidget* CProtocolDlg::BuildChart() {
  auto* box = new CTGroupBox("Chart", this);
  box->setObjectName("4043");
  auto& chart = core_.ChartSettings();
  auto* layout = new QVBoxLayout(box);
  const std::array<std::pair<const char*, std::atomic<bool>*>, 3> options = {
      {{"X Inverse", &chart.xInverse}, {"Y Inverse", &chart.yInverse}, {"XY Change", &chart.xyChange}}};
  for (std::size_t i = 0; i < options.size(); ++i) {
    auto* box13 = Check(std::to_string(4013 + i).c_str(), options[i].first, options[i].second->load(), box);
    std::atomic<bool>* flag = options[i].second;
    connect(box13, &QCheckBox::toggled, this, [flag](bool on) { flag->store(on); });
    layout->addWidget(box13);
  }
  return box;
}

QWidget* CProtocolDlg::BuildFtp() {
  auto* box = new CTGroupBox("FTP", this);
  box->setObjectName("4084");
  const auto& ftp = core_.Ftp();
  const std::array<std::pair<const char*, std::string>, 4> fields = {
      {{"IP", ftp.ip}, {"Account", ftp.account}, {"Password", ftp.password}, {"Port", ftp.port}}};
  const std::array<const char*, 4> ids = {"4081", "4082", "4083", "4085"};
  auto* grid = new QGridLayout(box);
  for (std::size_t i = 0; i < fields.size(); ++i) {
    ftp_[i] = new QLineEdit(QString::fromStdString(fields[i].second), box);
    ftp_[i]->setObjectName(ids[i]);
    grid->addWidget(new QLabel(fields[i].first, box), static_cast<int>(i), 0);
    grid->addWidget(ftp_[i], static_cast<int>(i), 1);
  }
  return box;
}

QWidget* CProtocolDlg::BuildDebugging() {
  auto* box = new CTGroupBox("Test Debuging", this);
  box->setObjectName("4031");
  packet_ = new QLineEdit(box);
  packet_->setObjectName("4004");
  packet_->setPlaceholderText("$THC00001IIOT");
  sendServer_ = new QComboBox(box);
  sendServer_->setObjectName("4012");
  for (int i = 0; i < kServerCount; ++i) sendServer_->addItem(QString(QChar('A' + i)));
  send_ = Button("4005", "Send", box);
  auto* folder = Button("4007", "Packet Folder", box);
  auto* grid = new QGridLayout(box);
  grid->addWidget(packet_, 0, 0, 1, 3);
  grid->addWidget(sendServer_, 1, 0);
  grid->addWidget(send_, 1, 1);
  grid->addWidget(folder, 1, 2);
  grid->setRowStretch(2, 1);
  connect(send_, &QPushButton::clicked, this, &CProtocolDlg::OnBnClickedSend);
  connect(folder, &QPushButton::clicked, this, &CProtocolDlg::OnBnClickedPacketFolder);
  return box;
}

QWidget* CProtocolDlg::BuildServerList() {
  servers_ = new QTableWidget(kServerCount, 6, this);
  servers_->setObjectName("4028");
  servers_->setHorizontalHeaderLabels({"", "", "Port", "Tester", "Connect", "Close"});
  const std::array<int, 6> widths = {0, 25, 50, 50, 80, 80};
  for (int c = 0; c < 6; ++c) servers_->setColumnWidth(c, widths[c]);
  servers_->setColumnHidden(0, true);
  servers_->verticalHeader()->setVisible(false);
  servers_->setSelectionBehavior(QAbstractItemView::SelectRows);
  servers_->setEditTriggers(QAbstractItemView::DoubleClicked);
  servers_->setMinimumWidth(300);
  SetGridRowLook(*servers_);
  for (int row = 0; row < kServerCount; ++row) {
    for (const int column : {CGridButton::kConnect, CGridButton::kClose}) {
      auto* button = new CGridButton(row, column, servers_);
      button->setObjectName(QString("%1%2").arg(column == CGridButton::kConnect ? "Connect" : "Close").arg(QChar('A' + row)));
      servers_->setCellWidget(row, column, button);
      rowButtons_[row][column - CGridButton::kConnect] = button;
      connect(button, &QPushButton::clicked, this,
              [this, row, column] { column == CGridButton::kConnect ? OnConnect(row) : OnClose(row); });
    }
  }
  // The port keeps digits only and the site code capitals, as they are typed.
  connect(servers_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
    const QString text = item->text();
    const QString clean = item->column() == 2 ? QString::fromStdString(DigitsOnly(text)) : text.toUpper();
    if (clean != text) item->setText(clean);
  });
  return servers_;
}

QWidget* CProtocolDlg::BuildSequences() {
  sequencePanel_ = new QWidget(this);
  sequenceTabs_ = new QTabWidget(sequencePanel_);
  sequenceTabs_->setObjectName("4042");
  for (int i = 0; i < kSequenceLists; ++i) {
    sequences_[i] = new CGridCtrlSeq(sequenceTabs_);
    sequences_[i]->setObjectName(QString::number(13000 + i));
    sequences_[i]->SetRows(core_.Sequences().Rows(i));
    connect(sequences_[i], &QTableWidget::itemChanged, this, [this] { StoreSequences(); });
    sequenceTabs_->addTab(sequences_[i], QString(QChar('A' + i)));
  }
  function_ = new QComboBox(sequencePanel_);
  function_->setObjectName("4044");
  for (const auto& name : SequenceFunctions()) function_->addItem(QString::fromStdString(name));
  auto* buttons = new QHBoxLayout;
  const std::array<std::pair<const char*, const char*>, 4> captions = {
      {{"4038", "Insert"}, {"4039", "Delete"}, {"4040", "Up"}, {"4041", "Down"}}};
  const std::array<void (CProtocolDlg::*)(), 4> handlers = {&CProtocolDlg::OnBnClickedInsert, &CProtocolDlg::OnBnClickedDelete,
                                                           &CProtocolDlg::OnBnClickedUp, &CProtocolDlg::OnBnClickedDown};
  for (std::size_t i = 0; i < captions.size(); ++i) {
    auto* button = Button(captions[i].first, captions[i].second, sequencePanel_);
    connect(button, &QPushButton::clicked, this, handlers[i]);
    buttons->addWidget(button);
  }
  auto* layout = new QVBoxLayout(sequencePanel_);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(function_);
  layout->addLayout(buttons);
  layout->addWidget(sequenceTabs_, 1);
  sequencePanel_->setMinimumWidth(320);
  return sequencePanel_;
}

void CProtocolDlg::LoadServerRows() {
  const QSignalBlocker quiet(servers_);
  for (int row = 0; row < kServerCount; ++row) {
    const auto settings = core_.ServerSettings(row);
    auto* letter = new QTableWidgetItem(QString(QChar('A' + row)));
    letter->setFlags(letter->flags() & ~Qt::ItemIsEditable);
    servers_->setItem(row, 1, letter);
    servers_->setItem(row, 2, new QTableWidgetItem(QString::fromStdString(settings.port)));
    servers_->setItem(row, 3, new QTableWidgetItem(QString::fromStdString(settings.tester)));
  }
  UpdateRowButtons();
}

void CProtocolDlg::UpdateRowButtons() {
  for (int row = 0; row < kServerCount; ++row) {
    const int state = core_.IsServerOpen(row) ? 1 : 0;
    for (auto* button : rowButtons_[row]) button->SetState(state);
  }
}

void CProtocolDlg::RefreshStatus() {
  for (int i = 0; i < kServerCount; ++i) {
    const auto lines = core_.ServerStatus(i);
    QListWidget& list = *status_[i];
    if (static_cast<std::size_t>(list.count()) > lines.size()) list.clear();
    for (auto at = static_cast<std::size_t>(list.count()); at < lines.size(); ++at) {
      list.addItem(QString::fromStdString(lines[at]));
    }
    if (list.count() > 0) list.setCurrentRow(list.count() - 1);
  }
}

bool CProtocolDlg::IsEngineer() const { return core_.Record()->GetLoginLevel() == kEngineer; }

// At load the packet field and "Packet Log Save" follow the login level; each showing of the window then
// sets the packet field, "Send" and the server choice by the level of that moment.
void CProtocolDlg::ApplyLoadLoginLevel() {
  packet_->setEnabled(IsEngineer());
  packetSave_->setEnabled(IsEngineer());
}

void CProtocolDlg::ApplyLoginLevel() {
  for (QWidget* control :
       {static_cast<QWidget*>(packet_), static_cast<QWidget*>(send_), static_cast<QWidget*>(sendServer_)}) {
    control->setEnabled(IsEngineer());
  }
}

void CProtocolDlg::OnMenuMap() {
  mes_->hide();
  mes_->show();
  mes_->raise();
}

void CProtocolDlg::OnSpecDlg() {
  ApplyLoginLevel();
  hide();
  show();
  raise();
  activateWindow();
}

ProtocolCore::ServerRow CProtocolDlg::RowTexts(int row) const {
  return {servers_->item(row, 2)->text().toStdString(), servers_->item(row, 3)->text().toStdString()};
}

void CProtocolDlg::OnConnect(int row) {
  const auto texts = RowTexts(row);
  core_.SetServerSettings(row, texts);
  core_.CreateProtocolServer(row, texts.port, texts.tester);
  UpdateRowButtons();
}

void CProtocolDlg::OnClose(int row) {
  core_.CloseServer(row);
  UpdateRowButtons();
}

void CProtocolDlg::OnBnClickedSend() {
  const std::string text = packet_->text().toStdString();
  if (text.empty() || core_.Record()->GetLoginLevel() != kEngineer) return;
  core_.InjectPacket(sendServer_->currentIndex(), text);
}

void CProtocolDlg::StoreSequences() {
  for (int i = 0; i < kSequenceLists; ++i) core_.Sequences().SetRows(i, sequences_[i]->Rows());
}

void CProtocolDlg::OnBnClickedSave() {
  for (int row = 0; row < kServerCount; ++row) core_.SetServerSettings(row, RowTexts(row));
  core_.SetFtp({ftp_[0]->text().toStdString(), ftp_[1]->text().toStdString(), ftp_[2]->text().toStdString(),
                ftp_[3]->text().toStdString()});
  StoreSequences();
  core_.SaveSettings();
}

void CProtocolDlg::OnBnClickedClear() { core_.ClearServerStatus(); }

void CProtocolDlg::OnBnClickedPacketFolder() {
  const std::string folder =
      port::JoinPath(port::JoinPath(core_.Record()->GetRoot(), "Log"), "ProtocolPacket");
  QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(folder)));
}

CGridCtrlSeq& CProtocolDlg::CurrentSequence() { return *sequences_[std::max(0, sequenceTabs_->currentIndex())]; }

void CProtocolDlg::OnBnClickedInsert() {
  const std::string function = function_->currentText().toStdString();
  CurrentSequence().AppendRow({function, DefaultSequenceValue(function)});
  StoreSequences();
}

void CProtocolDlg::OnBnClickedDelete() {
  CGridCtrlSeq& list = CurrentSequence();
  const int row = list.currentRow();
  if (row < 0) return;
  list.removeRow(row);
  list.selectRow(std::min(row, list.rowCount() - 1));
  StoreSequences();
}

void CProtocolDlg::OnBnClickedUp() {
  CGridCtrlSeq& list = CurrentSequence();
  const int row = list.currentRow();
  if (row <= 0) return;
  list.SwapRows(row, row - 1);
  list.selectRow(row - 1);
  StoreSequences();
}

void CProtocolDlg::OnBnClickedDown() {
  CGridCtrlSeq& list = CurrentSequence();
  const int row = list.currentRow();
  if (row < 0 || row + 1 >= list.rowCount()) return;
  list.SwapRows(row, row + 1);
  list.selectRow(row + 1);
  StoreSequences();
}

}  // namespace protocol
