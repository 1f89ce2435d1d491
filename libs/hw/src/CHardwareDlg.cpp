#include "CHardwareDlg.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QUrl>
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "CUsbFrmDlg.h"
#include "QRV_InterFace_SW.h"
#include "hardware_controller.h"
#include "port/module.h"
#include "spec_grid.h"

namespace hw {
namespace {

// Digits only, except for the keys that take any text.
class ValueDelegate : public QStyledItemDelegate {
 public:
  explicit ValueDelegate(QTableWidget* grid, int keyColumn) : QStyledItemDelegate(grid), grid_(grid), keyColumn_(keyColumn) {}
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    const QTableWidgetItem* key = keyColumn_ >= 0 ? grid_->item(index.row(), keyColumn_) : nullptr;
    auto* line = qobject_cast<QLineEdit*>(editor);
    if (line && !(key && IsFreeTextKey(key->text().toStdString()))) {
      line->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), line));
    }
    return editor;
  }

 private:
  QTableWidget* grid_;
  int keyColumn_;
};

QTableWidget* MakeGrid(QWidget* parent, int id, const QStringList& headers, const QList<int>& widths) {
  auto* grid = new QTableWidget(0, static_cast<int>(headers.size()), parent);
  grid->setObjectName(QString::number(id));
  grid->setHorizontalHeaderLabels(headers);
  // The columns keep their widths; a grid narrower than its columns scrolls across them, also into its one
  // wide column.
  for (int c = 0; c < widths.size(); ++c) grid->setColumnWidth(c, widths[c]);
  grid->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  grid->verticalHeader()->setVisible(false);
  grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
  grid->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid->setSelectionMode(QAbstractItemView::SingleSelection);
  grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid->setShowGrid(true);
  return grid;
}

QComboBox* MakeList(QWidget* parent, int id, std::initializer_list<const char*> items) {
  auto* list = new QComboBox(parent);
  list->setObjectName(QString::number(id));
  for (const char* item : items) list->addItem(item);
  return list;
}

void SetRow(QTableWidget* grid, int row, const QStringList& texts) {
  for (int c = 0; c < texts.size(); ++c) grid->setItem(row, c, new QTableWidgetItem(texts[c]));
}

}  // namespace

CHardwareDlg::CHardwareDlg(HardwareController& controller, QWidget* parent)
    : QDialog(parent), controller_(controller) {
  setObjectName("7001");
  setWindowTitle("HW_Velkara_LPDP");
  BuildGrids();
  BuildControls();
  ConnectButtons();
  FillSpecGrid();
  LoadRegisterKeys();
  LoadCounters();
  // SDP On and SDP Off both start enabled, and so do the image format and the image buttons.
  Enable({7027, 7005, 7033, 7034, 7035, 7036, 7037, 7043, 7046, 7058, 7059, 7060, 7069}, false);
  const CQRV_LoadMemory* record = controller_.Record();
  const int para = record ? static_cast<int>(record->GetPara()) : 0;
  boardList_->setCurrentIndex(para == 1 ? std::clamp(controller_.State().Settings()->usbId, 0, 3) : 0);
  // Posted to the window: its destruction drops a refresh still on its way, and the listener is gone
  // before that.
  controller_.State().SetChangeListener([this, queued = refreshQueued_] {
    if (!queued->exchange(true)) QMetaObject::invokeMethod(this, &CHardwareDlg::Refresh, Qt::QueuedConnection);
  });
  Refresh();
  resize(1320, 760);
}

CHardwareDlg::~CHardwareDlg() { controller_.State().SetChangeListener(nullptr); }

int CHardwareDlg::Board() const { return boardList_->currentIndex(); }
int CHardwareDlg::Site() const { return siteList_->currentIndex(); }
std::string CHardwareDlg::SelectedKey() const { return keyList_->currentText().toStdString(); }

bool CHardwareDlg::IsEngineer() const {
  const CQRV_LoadMemory* record = controller_.Record();
  return record && record->GetLoginLevel() == 2;
}

QPushButton* CHardwareDlg::AddButton(int id, const char* text) {
  auto* button = new QPushButton(text, this);
  button->setObjectName(QString::number(id));
  return button;
}

void CHardwareDlg::BuildGrids() {
  specGrid_ = MakeGrid(this, 7003, {"App", "Key", "Value"}, {130, 250, 170});
  specGrid_->setItemDelegateForColumn(2, new ValueDelegate(specGrid_, 1));
  keyGrid_ = MakeGrid(this, 7057, {"App"}, {500});
  counterGrid_ = MakeGrid(this, 7097, {"Info", "Count", "Error", "Count"}, {200, 150, 150, 150});
  counterGrid_->setItemDelegateForColumn(1, new ValueDelegate(counterGrid_, -1));
  keyList_ = new QComboBox(this);
  keyList_->setObjectName("7046");
  logList_ = new QListWidget(this);
  logList_->setObjectName("7047");
  connect(specGrid_, &QTableWidget::cellDoubleClicked, this, &CHardwareDlg::OnSpecCellDoubleClicked);
  connect(keyGrid_, &QTableWidget::cellDoubleClicked, this, &CHardwareDlg::OnKeyCellDoubleClicked);
  connect(counterGrid_, &QTableWidget::cellDoubleClicked, this, &CHardwareDlg::OnCounterCellDoubleClicked);
}

void CHardwareDlg::BuildControls() {
  auto* spec = new QGroupBox("Sensor Spec", this);
  (new QVBoxLayout(spec))->addWidget(specGrid_);
  // The settings grid shows its three columns whole; the width left goes to the grids beside it.
  specGrid_->setMinimumWidth(specGrid_->horizontalHeader()->length() +
                             specGrid_->verticalScrollBar()->sizeHint().width() + 2 * specGrid_->frameWidth());

  auto* keys = new QGroupBox("Register Key", this);
  auto* keyLayout = new QGridLayout(keys);
  keyLayout->addWidget(keyGrid_, 0, 0, 1, 3);
  keyLayout->addWidget(keyList_, 1, 0, 1, 3);
  keyLayout->addWidget(AddButton(7058, "Reg Insert"), 2, 0);
  keyLayout->addWidget(AddButton(7059, "Reg Delete"), 2, 1);
  keyLayout->addWidget(AddButton(7060, "Reg  Open"), 2, 2);
  // The three rows stay in sight above the scroll bar across the four columns.
  counterGrid_->setFixedHeight(counterGrid_->verticalHeader()->defaultSectionSize() * 3 +
                               counterGrid_->horizontalHeader()->sizeHint().height() +
                               counterGrid_->horizontalScrollBar()->sizeHint().height() +
                               2 * counterGrid_->frameWidth() + 2);
  counterGrid_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

  auto* log = new QGroupBox("SDP Log", this);
  (new QVBoxLayout(log))->addWidget(logList_);

  boardList_ = MakeList(this, 7048, {"0", "1", "2", "3"});
  siteList_ = MakeList(this, 7050, {"0", "1", "2", "3"});
  typeIn_ = MakeList(this, 7036, {"NORMAL", "RAW", "FRAME", "FULL"});
  typeOut_ = MakeList(this, 7037, {"NORMAL", "RAW", "FRAME", "FULL"});
  imageFormat_ = MakeList(this, 7041, {"jpg", "bmp"});
  imageSave_ = MakeList(this, 7043, {"NORMAL", "RAW", "FRAME", "FULL"});

  auto* boardBox = new QGroupBox("Hardware SDP", this);
  auto* b = new QGridLayout(boardBox);
  b->addWidget(AddButton(7018, "SDP On"), 0, 0);
  b->addWidget(AddButton(7019, "SDP Off"), 0, 1);
  b->addWidget(AddButton(7027, "HW Init"), 1, 0);
  b->addWidget(AddButton(7005, "HW Close"), 1, 1);
  b->addWidget(new QLabel("Para", this), 2, 0);
  b->addWidget(boardList_, 2, 1);
  b->addWidget(new QLabel("Site", this), 3, 0);
  b->addWidget(siteList_, 3, 1);
  b->addWidget(new QLabel("Type In", this), 4, 0);
  b->addWidget(typeIn_, 4, 1);
  b->addWidget(new QLabel("Type Out", this), 5, 0);
  b->addWidget(typeOut_, 5, 1);
  b->addWidget(AddButton(7033, "Play"), 6, 0);
  b->addWidget(AddButton(7034, "CRC Play"), 6, 1);
  b->addWidget(AddButton(7035, "Stop"), 7, 0, 1, 2);

  auto* imageBox = new QGroupBox("Hardware SDP", this);
  auto* i = new QGridLayout(imageBox);
  i->addWidget(new QLabel("Img Fomat", this), 0, 0);
  i->addWidget(imageFormat_, 0, 1);
  i->addWidget(new QLabel("Img Save", this), 1, 0);
  i->addWidget(imageSave_, 1, 1);
  i->addWidget(AddButton(7039, "Save Image"), 2, 0);
  i->addWidget(AddButton(7040, "Image Open"), 2, 1);
  i->addWidget(AddButton(7044, "DC Save"), 3, 0);
  i->addWidget(AddButton(7049, "SW Spec"), 3, 1);
  i->addWidget(AddButton(7069, "frm Function"), 4, 0);
  i->addWidget(AddButton(7098, "PCI Log"), 4, 1);
  i->addWidget(AddButton(7010, "Fail reset"), 5, 0, 1, 2);
  i->addWidget(AddButton(7099, "DCR Pin On"), 6, 0);
  i->addWidget(AddButton(7100, "DCR Pin Off"), 6, 1);

  auto* side = new QVBoxLayout;
  side->addWidget(boardBox);
  side->addWidget(imageBox);
  side->addStretch();
  auto* actions = new QHBoxLayout;
  actions->addWidget(AddButton(7007, "Save"));
  actions->addWidget(AddButton(7038, "Read"));
  actions->addWidget(AddButton(7009, "Close"));
  side->addLayout(actions);

  auto* middle = new QVBoxLayout;
  middle->addWidget(keys, 2);
  middle->addWidget(counterGrid_);
  middle->addWidget(log, 3);

  auto* layout = new QHBoxLayout(this);
  layout->addWidget(spec);
  layout->addLayout(middle, 4);
  layout->addLayout(side, 2);
}

void CHardwareDlg::ConnectButtons() {
  auto on = [this](int id, auto handler) {
    connect(findChild<QPushButton*>(QString::number(id)), &QPushButton::clicked, this, handler);
  };
  PlayWorkers& workers = controller_.Workers();
  HwState& state = controller_.State();
  on(7007, [this] { OnBnClickedSave(); });
  on(7009, [this] { hide(); });
  on(7038, [this] {
    FillSpecGrid();
    LoadRegisterKeys();
  });
  on(7018, [this] { OnSdpOn(); });
  on(7019, [this] { OnSdpOff(); });
  on(7027, [this] { OnHwInit(); });
  on(7005, [this] { OnHwClose(); });
  on(7033, [this, &workers] { workers.StartPlay(Board(), Site(), false); });
  on(7034, [this, &workers] { workers.StartPlay(Board(), Site(), true); });
  on(7035, [&workers] { workers.StopPlay(); });
  on(7039, [this] { OnSaveImage(); });
  on(7040, [this] { QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(ImageFolder()))); });
  on(7044, [this] { OnDcSave(); });
  on(7049, [this] { OnSoftwareSpec(); });
  on(7069, [this] { OnFrmFunction(); });
  on(7098, [this] {
    if (EncapsulationTable* table = controller_.Table(); table && table->OnSpecDlg) table->OnSpecDlg();
  });
  on(7010, [this, &state] {
    state.Counters().i2cFail.store(0);
    state.Counters().cpFail.store(0);
    RefreshFailCounts();
  });
  on(7099, [&state] { state.Log("35 Pin ON"); });
  on(7100, [&state] { state.Log("35 Pin OFF"); });
  on(7058, [this] {
    const int row = keyGrid_->rowCount();
    keyGrid_->insertRow(row);
    SetRow(keyGrid_, row, {"[TEMP]"});
  });
  on(7059, [this] {
    if (keyGrid_->currentRow() >= 0) keyGrid_->removeRow(keyGrid_->currentRow());
  });
  on(7060, [this] {
    const CQRV_LoadMemory* record = controller_.Record();
    if (record) QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(record->GetRegisterPath())));
  });
  auto sizes = [this, &state] { state.SetDrawTypes(typeIn_->currentIndex(), typeOut_->currentIndex()); };
  connect(typeIn_, &QComboBox::currentIndexChanged, this, sizes);
  connect(typeOut_, &QComboBox::currentIndexChanged, this, sizes);
  connect(keyList_, &QComboBox::currentIndexChanged, this, [&state](int index) { state.SelectKey(index); });
}

void CHardwareDlg::FillSpecGrid() {
  const auto settings = controller_.State().ReadHardwareSettings();
  const CQRV_LoadMemory* record = controller_.Record();
  const bool oneBoard = record && record->GetPara() == 1;
  // Right after a read, board 0's mode is the file's.
  const std::vector<SpecRow> rows = BuildSpecRows(*settings, settings->i2cMode, oneBoard);
  specGrid_->setRowCount(static_cast<int>(rows.size()));
  for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
    const SpecRow& row = rows[static_cast<std::size_t>(r)];
    SetRow(specGrid_, r, {QString::fromStdString(row.section), QString::fromStdString(row.key),
                          QString::fromStdString(row.value)});
  }
  ShowDrawTypes();
}

void CHardwareDlg::ShowDrawTypes() {
  const HwState& state = controller_.State();
  const QSignalBlocker blockIn(typeIn_);
  const QSignalBlocker blockOut(typeOut_);
  typeIn_->setCurrentIndex(state.InDrawType());
  typeOut_->setCurrentIndex(state.OutDrawType());
}

void CHardwareDlg::LoadRegisterKeys() {
  HwState& state = controller_.State();
  state.LoadRegisterKeys();
  const RegisterKeys keys = state.Keys();
  keyGrid_->setRowCount(static_cast<int>(keys.keys.size()));
  const QSignalBlocker blockList(keyList_);
  keyList_->clear();
  for (int r = 0; r < static_cast<int>(keys.keys.size()); ++r) {
    const QString key = QString::fromStdString(keys.keys[static_cast<std::size_t>(r)]);
    SetRow(keyGrid_, r, {key});
    keyList_->addItem(key);
  }
  keyList_->setCurrentIndex(std::clamp(keys.select, 0, keyList_->count() - 1));
  state.SelectKey(keyList_->currentIndex());
}

void CHardwareDlg::LoadCounters() {
  controller_.State().LoadCounters();
  const AgingCounters& c = controller_.State().Counters();
  counterGrid_->setRowCount(3);
  SetRow(counterGrid_, 0, {"Aging Count", QString::number(c.agingCount.load()), "I2C Fail", ""});
  SetRow(counterGrid_, 1, {"Capture Count", QString::number(c.captureCount.load()), "CP Fail", ""});
  SetRow(counterGrid_, 2, {"Dummy Count", QString::number(c.dummyCount.load()), "", ""});
  RefreshFailCounts();
}

void CHardwareDlg::RefreshFailCounts() {
  // Only the failure counts follow the runs: a count the engineer typed waits for Save.
  const AgingCounters& c = controller_.State().Counters();
  counterGrid_->item(0, 3)->setText(QString::number(c.i2cFail.load()));
  counterGrid_->item(1, 3)->setText(QString::number(c.cpFail.load()));
}

void CHardwareDlg::Refresh() {
  refreshQueued_->store(false);
  const std::vector<std::string> lines = controller_.State().LogLines();
  if (static_cast<int>(lines.size()) < logList_->count()) logList_->clear();
  for (int i = logList_->count(); i < static_cast<int>(lines.size()); ++i) {
    logList_->addItem(QString::fromStdString(lines[static_cast<std::size_t>(i)]));
  }
  if (logList_->count() > 0) logList_->setCurrentRow(logList_->count() - 1);
  RefreshFailCounts();
  ShowDrawTypes();
}

void CHardwareDlg::OnBnClickedSave() {
  HwState& state = controller_.State();
  const RecordIni sensor = state.SensorIni();
  bool sensorSaved = sensor.WriteInt("SENSOR_SET", "QRV_SENSOR_IN_DRAW_TYPE", typeIn_->currentIndex());
  sensorSaved &= sensor.WriteInt("SENSOR_SET", "QRV_SENSOR_OUT_DRAW_TYPE", typeOut_->currentIndex());
  AgingCounters& counters = state.Counters();
  counters.agingCount.store(counterGrid_->item(0, 1)->text().toInt());
  counters.captureCount.store(counterGrid_->item(1, 1)->text().toInt());
  counters.dummyCount.store(counterGrid_->item(2, 1)->text().toInt());
  sensorSaved &= sensor.WriteString("AGING", "AGING_COUNT", std::to_string(counters.agingCount.load()).c_str());
  std::vector<SpecRow> rows;
  for (int r = 0; r < specGrid_->rowCount(); ++r) {
    rows.push_back({specGrid_->item(r, 0)->text().toStdString(), specGrid_->item(r, 1)->text().toStdString(),
                    specGrid_->item(r, 2)->text().toStdString()});
  }
  RegisterKeys keys;
  for (int r = 0; r < keyGrid_->rowCount(); ++r) keys.keys.push_back(keyGrid_->item(r, 0)->text().toStdString());
  keys.select = keyList_->currentIndex();
  // Each file is written whatever became of the other.
  sensorSaved &= SaveSpecRows(sensor, rows);
  if (!sensorSaved) state.Log("Save Fail : %s", sensor.Path().c_str());
  if (!state.SaveRegisterKeys(keys)) state.Log("Save Fail : %s", state.RegisterIni().Path().c_str());
  LoadRegisterKeys();
  // The grid keeps the texts as typed; only the settings in force are read again.
  state.ReadHardwareSettings();
  ShowDrawTypes();
}

void CHardwareDlg::Enable(std::initializer_list<int> ids, bool on) {
  for (const int id : ids) findChild<QWidget*>(QString::number(id))->setEnabled(on);
}

void CHardwareDlg::OnSdpOn() {
  Enable({7018}, false);
  Enable({7019, 7033, 7034, 7035, 7041, 7039, 7040, 7043, 7036, 7037, 7046}, true);
  if (IsEngineer()) Enable({7058, 7059, 7060, 7069}, true);
  const bool open = controller_.State().DevicesOpen();
  Enable({7027}, !open);
  Enable({7005}, open);
  if (CInterFace_SW* binder = controller_.Binder()) {
    if (auto create = port::FindFunction<void (*)()>(binder->m_hSoftware, "OnCreateCaptureBuffer")) create();
  }
}

void CHardwareDlg::OnSdpOff() {
  Enable({7018}, true);
  Enable({7019, 7027, 7005, 7033, 7034, 7035, 7043, 7036, 7037, 7046, 7058, 7059, 7060, 7069}, false);
  controller_.Workers().StopPlay();
}

void CHardwareDlg::OnHwInit() {
  // Every board in use opens again: none may be under a site's test meanwhile.
  HwState& state = controller_.State();
  const DialogHoldAll hold(state.Leases());
  if (!hold.Held()) return state.Log(kBoardHeldBySite, hold.SiteBoard());
  if (controller_.OpenDaqDevices() == 0) return;
  Enable({7027}, false);
  Enable({7005}, true);
}

void CHardwareDlg::OnHwClose() {
  HwState& state = controller_.State();
  const DialogHoldAll hold(state.Leases());
  if (!hold.Held()) return state.Log(kBoardHeldBySite, hold.SiteBoard());
  controller_.CloseDaqDevices();
  // Closed boards are not initialised boards: the sites' device check must see it.
  controller_.State().SetDevicesOpen(false);
  Enable({7027}, true);
  Enable({7005}, false);
}

std::string CHardwareDlg::ImageFolder() const {
  const CQRV_LoadMemory* record = controller_.Record();
  return (record ? record->GetRoot() : port::ProgramFolder()) + "/Image capture";
}

void CHardwareDlg::OnSaveImage() {
  HwState& state = controller_.State();
  CInterFace_SW* binder = controller_.Binder();
  if (!binder) return;
  const auto settings = state.Settings();
  const int pairs[4][2] = {{settings->sizeX, settings->sizeY},
                           {settings->rawX, settings->rawY},
                           {settings->frameX, settings->frameY},
                           {settings->fullX, settings->fullY}};
  const int type = imageSave_->currentIndex();
  const int width = type >= 0 && type < 4 ? pairs[type][0] : 0;
  const int height = type >= 0 && type < 4 ? pairs[type][1] : 0;
  const auto get = port::FindFunction<unsigned char* (*)()>(binder->m_hSoftware, "GetCaptureBuffer");
  const auto size = port::FindFunction<std::size_t (*)()>(binder->m_hSoftware, "GetCaptureBufferSize");
  // Without the image library's entries or its buffer there is nothing to save, and nothing is said.
  unsigned char* buffer = get && size ? get() : nullptr;
  if (!buffer) return;
  // The buffer keeps the size SDP On made it with; sizes saved since then may be larger and would read past it.
  const std::uint64_t bytes = width > 0 && height > 0 ? std::uint64_t{3} * static_cast<std::uint64_t>(width) *
                                                            static_cast<std::uint64_t>(height)
                                                      : 0;
  if (bytes > size()) {
    state.Log("Save Image Fail : %d x %d", width, height);
    return;
  }
  const std::string format = imageFormat_->currentText().toStdString();
  const std::string path = ImageFolder() + "/capture." + format;
  const auto save = format == "jpg" ? binder->OnSaveImage_JPG : binder->OnSaveImage_BMP;
  if (save) save(path.c_str(), buffer, width, height);
}

void CHardwareDlg::OnDcSave() {
  CInterFace_SW* binder = controller_.Binder();
  const CQRV_LoadMemory* record = controller_.Record();
  if (!binder || !binder->OnSaveImageDC || !record) return;
  const std::string format = imageFormat_->currentText().toStdString();
  for (int site = 0; site < static_cast<int>(record->GetSiteCount()); ++site) {
    const std::string path = ImageFolder() + "/captureDC_" + std::to_string(site) + "." + format;
    binder->OnSaveImageDC(path.c_str(), site);
  }
}

void CHardwareDlg::OnSoftwareSpec() {
  CInterFace_SW* binder = controller_.Binder();
  if (!binder) return;
  if (auto spec = port::FindFunction<void (*)()>(binder->m_hSoftware, "OnSpecDlg")) spec();
}

void CHardwareDlg::OnFrmFunction() {
  if (!usbFrm_) usbFrm_ = new CUsbFrmDlg(controller_, *this);
  usbFrm_->hide();
  usbFrm_->show();
}

void CHardwareDlg::OnSpecCellDoubleClicked(int row, int column) {
  const QTableWidgetItem* key = specGrid_->item(row, 1);
  if (column != 2 || !IsEngineer() || !key || key->text().isEmpty()) return;
  specGrid_->editItem(specGrid_->item(row, column));
}

void CHardwareDlg::OnKeyCellDoubleClicked(int row, int column) {
  if (IsEngineer()) keyGrid_->editItem(keyGrid_->item(row, column));
}

void CHardwareDlg::OnCounterCellDoubleClicked(int row, int column) {
  if (column == 1) counterGrid_->editItem(counterGrid_->item(row, column));
}

}  // namespace hw
