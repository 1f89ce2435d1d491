// The setup window and the manual board panel, driven on two simulated boards (offscreen).
#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyle>
#include <QTableWidget>
#include <QValidator>
#include <thread>

#include "CHardwareDlg.h"
#include "CUsbFrmDlg.h"
#include "port/module.h"
#include "port/thread_site.h"
#include "qrv_test/file_text.h"
#include "qrv_test/screenshot.h"
#include "qrv_test/test_application.h"
#include "sim_fixture.h"

namespace {

using namespace hw_test;

class WindowsTest : public SimControllerTest {
 protected:
  void Open(int para, int loginLevel) {
    qrv::test::TestApplication();
    ASSERT_NO_FATAL_FAILURE(Start(para));
    record_->get()->m_nLoginLevel.store(static_cast<std::uint32_t>(loginLevel));
    dialog_ = std::make_unique<hw::CHardwareDlg>(*controller_);
    dialog_->show();
  }
  void TearDown() override {
    if (controller_) controller_->Workers().Shutdown();
    dialog_.reset();
    SimControllerTest::TearDown();
  }
  template <typename T = QWidget>
  T* Control(QWidget& window, int id) {
    T* control = window.findChild<T*>(QString::number(id));
    EXPECT_NE(control, nullptr) << id;
    return control;
  }
  void Click(QWidget& window, int id) {
    Control<QPushButton>(window, id)->click();
    QApplication::processEvents();
  }
  // The setup log as the window shows it.
  QStringList LogList() {
    QApplication::processEvents();
    QStringList lines;
    const QListWidget* list = Control<QListWidget>(*dialog_, 7047);
    for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
    return lines;
  }
  int GridRowOf(const QString& key) {
    const QTableWidget* grid = Control<QTableWidget>(*dialog_, 7003);
    for (int r = 0; r < grid->rowCount(); ++r) {
      if (grid->item(r, 1) && grid->item(r, 1)->text() == key) return r;
    }
    return -1;
  }
  QString GridValue(const QString& key) { return Control<QTableWidget>(*dialog_, 7003)->item(GridRowOf(key), 2)->text(); }
  // Whether the sensor of the module on the channel of `site` answers (only a powered module does).
  bool ModuleAnswers(int board, int site) {
    const port::ThreadSiteScope onSite(site);
    int value = 0;
    return controller_->IIC_Read(board, 0x0100, &value) == 1;
  }
  // The ids among `ids` whose controls are enabled.
  std::vector<int> Enabled(std::initializer_list<int> ids) {
    std::vector<int> on;
    for (const int id : ids) {
      if (Control(*dialog_, id)->isEnabled()) on.push_back(id);
    }
    return on;
  }
  double SupplyVolts(int board, int channel) {
    return Sim<decltype(&VelkaraSim_SupplyVolts)>("VelkaraSim_SupplyVolts")(board, channel);
  }

  std::unique_ptr<hw::CHardwareDlg> dialog_;
};

// The picture last drawn in a view, as an image (the views take bottom-up BGR rows).
QImage ViewImage(int view) {
  const ViewRecorder::Picture p = ViewRecorder::Instance().Last(view);
  QImage image(p.width, p.height, QImage::Format_RGB888);
  for (int y = 0; y < p.height; ++y) {
    const unsigned char* row = p.bgr.data() + static_cast<std::size_t>(p.height - 1 - y) * p.width * 3;
    uchar* out = image.scanLine(y);
    for (int x = 0; x < p.width; ++x) {
      out[3 * x] = row[3 * x + 2];
      out[3 * x + 1] = row[3 * x + 1];
      out[3 * x + 2] = row[3 * x];
    }
  }
  return image;
}

TEST_F(WindowsTest, SetupDialogShowsSettingsAndTheLiveGrabOfTheChosenBoard) {
  ASSERT_NO_FATAL_FAILURE(Open(2, 2));
  EXPECT_EQ(dialog_->windowTitle(), "HW_Velkara_LPDP");
  EXPECT_EQ(GridRowOf("HW_USB_ID"), -1);  // two boards: no board row
  const int slave = GridRowOf("QRV_SENSOR_SLAVEADDR");
  ASSERT_GE(slave, 0);
  EXPECT_EQ(Control<QTableWidget>(*dialog_, 7003)->item(slave, 2)->text(), "54");
  EXPECT_EQ(Control<QComboBox>(*dialog_, 7046)->currentText(), "[REGISTER]");
  EXPECT_FALSE(Control(*dialog_, 7033)->isEnabled());
  Click(*dialog_, 7018);  // SDP On
  EXPECT_TRUE(Control(*dialog_, 7033)->isEnabled());
  EXPECT_TRUE(Control(*dialog_, 7069)->isEnabled());
  EXPECT_TRUE(Control(*dialog_, 7005)->isEnabled());  // boards are open: HW Close
  EXPECT_FALSE(Control(*dialog_, 7027)->isEnabled());

  SetSensor("SENSOR_SET", "QRV_SENSOR_DATA_BIT", "16");
  Control<QComboBox>(*dialog_, 7048)->setCurrentIndex(1);
  Control<QComboBox>(*dialog_, 7050)->setCurrentIndex(1);
  Click(*dialog_, 7069);  // frm Function
  auto* panel = dialog_->findChild<hw::CUsbFrmDlg*>();
  ASSERT_NE(panel, nullptr);
  Click(*panel, 7077);
  Click(*panel, 7081);
  Click(*panel, 7082);
  Click(*panel, 7092);  // live grab
  ASSERT_TRUE(WaitFor([] { return ViewRecorder::Instance().Draws(1) >= 3; }));
  Click(*panel, 7093);
  ASSERT_TRUE(WaitFor([&] { return !controller_->Workers().LiveRunning(); }));
  const QStringList log = LogList();
  EXPECT_TRUE(log.contains("USB ID [1] [PowerUpSequence] :: TRUE")) << log.join("\n").toStdString();
  EXPECT_TRUE(log.contains("USB ID [1] [RegisterSet] :: TRUE      key = [REGISTER] "));
  EXPECT_EQ(log.last(), "USB ID [1] [LVDS_Start_Mul] :: TRUE");  // the live grab adds no line
  EXPECT_EQ(Control<QListWidget>(*dialog_, 7047)->currentRow(), log.size() - 1);
  EXPECT_EQ(ViewRecorder::Instance().Draws(0), 0);
  panel->hide();

  // The dialog beside the site view it drew in.
  QWidget shot;
  auto* layout = new QHBoxLayout(&shot);
  dialog_->setParent(&shot, Qt::Widget);
  layout->addWidget(dialog_.get());
  auto* view = new QLabel(&shot);
  view->setPixmap(QPixmap::fromImage(ViewImage(1).scaled(480, 360)));
  view->setToolTip("Site B view");
  layout->addWidget(view);
  shot.resize(1860, 780);
  EXPECT_FALSE(qrv::test::SaveScreenshot(shot, "hw_setup_dialog_live").empty());
  dialog_->setParent(nullptr);
}

TEST_F(WindowsTest, SaveWritesTheGridsBackAndKeepsTheScript) {
  ASSERT_NO_FATAL_FAILURE(Open(1, 2));
  EXPECT_EQ(GridRowOf("HW_USB_ID"), 0);  // one board: its row first
  QTableWidget* grid = Control<QTableWidget>(*dialog_, 7003);
  grid->item(GridRowOf("QRV_SENSOR_SLAVEADDR"), 2)->setText("16");
  grid->item(GridRowOf("HW_Mux_Sel"), 2)->setText("16");
  grid->item(GridRowOf("QRV_SENSOR_TIME_OUT"), 2)->setText("450");
  Click(*dialog_, 7018);
  Click(*dialog_, 7058);  // Reg Insert
  Control<QTableWidget>(*dialog_, 7097)->item(0, 1)->setText("3");
  Click(*dialog_, 7007);  // Save
  const std::string sensor = record_->SensorPath();
  EXPECT_EQ(port::ini::ReadString(sensor, "SENSOR_SET", "QRV_SENSOR_SLAVEADDR", ""), "0x10");
  EXPECT_EQ(port::ini::ReadString(sensor, "QRV_HW", "HW_Mux_Sel", ""), "0x10");
  EXPECT_EQ(port::ini::ReadString(sensor, "SENSOR_SET", "QRV_SENSOR_TIME_OUT", ""), "450");
  EXPECT_EQ(port::ini::ReadString(sensor, "AGING", "AGING_COUNT", ""), "3");
  EXPECT_EQ(controller_->State().Settings()->timeOut, 450);
  const std::string registers = record_->RegisterPath();
  EXPECT_EQ(port::ini::ReadString(registers, "REGISTER_KEY", "COUNT", ""), "2");
  EXPECT_EQ(port::ini::ReadString(registers, "REGISTER_KEY", "1", ""), "[TEMP]");
  EXPECT_NE(qrv::test::ReadFile(registers).find("[END]"), std::string::npos);  // the script stays
  EXPECT_EQ(Control<QComboBox>(*dialog_, 7046)->count(), 2);
}

// Save leaves the grid's texts as typed and brings their values into force.
TEST_F(WindowsTest, SaveKeepsTheTypedTextsInTheGrid) {
  ASSERT_NO_FATAL_FAILURE(Open(2, 2));
  QTableWidget* grid = Control<QTableWidget>(*dialog_, 7003);
  grid->item(GridRowOf("HW_PowerPin1_Volt"), 2)->setText("1.8");
  Click(*dialog_, 7007);  // Save
  EXPECT_EQ(GridValue("HW_PowerPin1_Volt"), "1.8");
  EXPECT_EQ(port::ini::ReadString(record_->SensorPath(), "QRV_HW", "HW_PowerPin1_Volt", ""), "1.8");
  EXPECT_FLOAT_EQ(controller_->State().Settings(0)->powerVolt[0], 1.8f);
  Click(*dialog_, 7038);  // Read shows the file's value as the grid writes it
  EXPECT_EQ(GridValue("HW_PowerPin1_Volt"), "1.800000");
}

// A Sensor.ini that cannot be written does not keep the register keys from Register.ini.
TEST_F(WindowsTest, SaveWritesTheRegisterKeysWhenSensorIniFails) {
  ASSERT_NO_FATAL_FAILURE(Open(2, 2));
  Click(*dialog_, 7018);
  Click(*dialog_, 7058);  // Reg Insert
  const std::string sensor = record_->SensorPath();
  std::filesystem::remove(sensor);
  std::filesystem::create_directory(sensor);
  controller_->State().ClearLog();
  Click(*dialog_, 7007);  // Save
  EXPECT_EQ(port::ini::ReadString(record_->RegisterPath(), "REGISTER_KEY", "COUNT", ""), "2");
  EXPECT_EQ(port::ini::ReadString(record_->RegisterPath(), "REGISTER_KEY", "1", ""), "[TEMP]");
  EXPECT_TRUE(LogList().contains(QString::fromStdString("Save Fail : " + sensor)));
}

// What a double-click on a cell opens: nothing, or an editor that takes `text` or refuses it.
enum class Edit { None, Takes, Refuses };
Edit DoubleClickEdit(QTableWidget* grid, int row, int column, const QString& text) {
  emit grid->cellDoubleClicked(row, column);
  QLineEdit* editor = nullptr;
  for (QLineEdit* line : grid->viewport()->findChildren<QLineEdit*>()) {
    if (line->isVisible()) editor = line;
  }
  if (!editor) return Edit::None;
  QString typed = text;
  int position = 0;
  const bool takes = !editor->validator() || editor->validator()->validate(typed, position) == QValidator::Acceptable;
  QAbstractItemDelegate* delegate = grid->itemDelegateForColumn(column);
  emit (delegate ? delegate : grid->itemDelegate())->closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  return takes ? Edit::Takes : Edit::Refuses;
}

// Settings values and register keys are edited by the engineer only, counts by anyone; channels 5 to 8
// take digits only, the listed keys any text.
TEST_F(WindowsTest, EditRightsOfTheThreeGrids) {
  ASSERT_NO_FATAL_FAILURE(Open(2, 2));
  QTableWidget* spec = Control<QTableWidget>(*dialog_, 7003);
  QTableWidget* keys = Control<QTableWidget>(*dialog_, 7057);
  QTableWidget* counters = Control<QTableWidget>(*dialog_, 7097);
  const int gap = GridRowOf("HW_PowerPin1_Volt") - 1;
  ASSERT_TRUE(spec->item(gap, 1)->text().isEmpty());
  struct Case {
    int level;
    QTableWidget* grid;
    int row;
    int column;
    const char* text;
    Edit edit;
  };
  const Case cases[] = {
      {2, spec, GridRowOf("HW_PowerPin5_Volt"), 2, "1.8", Edit::Refuses},
      {2, spec, GridRowOf("HW_PowerPin5_Volt"), 2, "18", Edit::Takes},
      {2, spec, GridRowOf("HW_PowerPin1_Volt"), 2, "1.8", Edit::Takes},
      {2, spec, GridRowOf("QRV_SENSOR_LANE_SELECT"), 2, "1f", Edit::Refuses},
      {2, spec, GridRowOf("HW_PowerPin1_Volt"), 1, "x", Edit::None},
      {2, spec, gap, 2, "1", Edit::None},
      {2, keys, 0, 0, "[X 1]", Edit::Takes},
      {2, counters, 0, 1, "1a", Edit::Refuses},
      {2, counters, 2, 1, "12", Edit::Takes},
      {2, counters, 0, 3, "1", Edit::None},
      {1, spec, GridRowOf("HW_PowerPin1_Volt"), 2, "1.8", Edit::None},
      {1, keys, 0, 0, "[X]", Edit::None},
      {1, counters, 1, 1, "3", Edit::Takes},
      {0, spec, GridRowOf("HW_PowerPin1_Volt"), 2, "1.8", Edit::None},
  };
  for (const Case& c : cases) {
    record_->get()->m_nLoginLevel.store(static_cast<std::uint32_t>(c.level));
    EXPECT_EQ(DoubleClickEdit(c.grid, c.row, c.column, c.text), c.edit)
        << "level " << c.level << " grid " << c.grid->objectName().toStdString() << " row " << c.row << " column "
        << c.column << " text " << c.text;
  }
}

// A count typed into the counter grid waits for Save; the failure counts follow the runs meanwhile.
TEST_F(WindowsTest, TypedCountStaysWhileTheLogAndFailureCountsChange) {
  ASSERT_NO_FATAL_FAILURE(Open(2, 1));
  QTableWidget* counters = Control<QTableWidget>(*dialog_, 7097);
  counters->item(0, 1)->setText("7");
  controller_->State().Counters().i2cFail.store(2);
  controller_->State().Log("a line");
  LogList();
  EXPECT_EQ(counters->item(0, 1)->text(), "7");
  EXPECT_EQ(counters->item(0, 3)->text(), "2");
  EXPECT_EQ(controller_->State().Counters().agingCount.load(), 1);
  Click(*dialog_, 7007);  // Save
  EXPECT_EQ(controller_->State().Counters().agingCount.load(), 7);
}

TEST_F(WindowsTest, OperatorLevelCannotEditKeysOrOpenThePanel) {
  ASSERT_NO_FATAL_FAILURE(Open(2, 1));
  Click(*dialog_, 7018);
  for (const int id : {7058, 7059, 7060, 7069}) EXPECT_FALSE(Control(*dialog_, id)->isEnabled()) << id;
  EXPECT_TRUE(Control(*dialog_, 7033)->isEnabled());
  Click(*dialog_, 7019);
  EXPECT_FALSE(Control(*dialog_, 7033)->isEnabled());
  EXPECT_TRUE(Control(*dialog_, 7018)->isEnabled());
}

TEST_F(WindowsTest, ManualPanelActsOnTheSelectedBoardAndChecksWritesBeforeTheBus) {
  ASSERT_NO_FATAL_FAILURE(Open(2, 2));
  Click(*dialog_, 7018);
  Control<QComboBox>(*dialog_, 7048)->setCurrentIndex(1);
  Click(*dialog_, 7069);
  auto* panel = dialog_->findChild<hw::CUsbFrmDlg*>();
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(panel->windowTitle(), "V5 & Brisca Function");
  EXPECT_EQ(Control<QLineEdit>(*panel, 7096)->text(), "36");
  EXPECT_TRUE(Control<QRadioButton>(*panel, 7089)->isChecked());  // 16_8 from the settings

  Click(*panel, 7075);
  Click(*panel, 7077);
  Click(*panel, 7081);
  EXPECT_GT(SupplyVolts(1, 0), 0.0);
  EXPECT_EQ(SupplyVolts(0, 0), 0.0);
  Click(*panel, 7080);
  Click(*panel, 7082);
  Click(*panel, 7084);
  Click(*panel, 7079);

  Control<QLineEdit>(*panel, 7091)->setText("0100");
  Click(*panel, 1008);
  EXPECT_EQ(Control<QLineEdit>(*panel, 1003)->text(), "1");  // streaming, set by the script
  Control<QLineEdit>(*panel, 7091)->setText("0x0340");
  Control<QLineEdit>(*panel, 1003)->setText("2");
  Click(*panel, 1005);
  const auto sensorRegister = Sim<decltype(&VelkaraSim_SensorRegister)>("VelkaraSim_SensorRegister");
  EXPECT_EQ(sensorRegister(1, 0x340), 2);
  Control<QLineEdit>(*panel, 1003)->setText("1ff");  // 9 bits on an 8-bit data bus
  Click(*panel, 1005);
  Control<QLineEdit>(*panel, 7091)->setText("zz");
  Click(*panel, 1005);
  EXPECT_EQ(sensorRegister(1, 0x340), 2);
  Sim<decltype(&VelkaraSim_SetFault)>("VelkaraSim_SetFault")(1, "sensor_nak", 1);
  Control<QLineEdit>(*panel, 7091)->setText("340");
  Control<QLineEdit>(*panel, 1003)->setText("5");
  Click(*panel, 1005);
  Click(*panel, 1008);
  EXPECT_EQ(Control<QLineEdit>(*panel, 1003)->text(), "0");

  const QStringList log = LogList();
  const QStringList expected = {
      "USB ID [1] [LVDS_Init_Mul] :: TRUE",
      "USB ID [1] [PowerUpSequence] :: TRUE",
      "USB ID [1] [RegisterSet] :: TRUE      key = [REGISTER] ",
      "USB ID [1] [Startverify] :: TRUE",
      "USB ID [1] [LVDS_Start_Mul] :: TRUE",
      "USB ID [1] [LVDS_GetFrame_Mul] :: TRUE",
      "USB ID [1] [DeviceDataFormat]",
      "Addr 0x100 Read Pass",
      "Write PASS",
      "Write Fail : data \"1ff\" does not fit 16_8(bit)",
      "Write Fail : address \"zz\" does not fit 16_8(bit)",
      "Write Fail",
      "Addr 0x340 Read Fail"};
  for (const QString& line : expected) EXPECT_TRUE(log.contains(line)) << line.toStdString();
  EXPECT_EQ(ViewRecorder::Instance().Draws(0), 1);  // the panel's frame, in the site chosen (0)
  EXPECT_FALSE(qrv::test::SaveScreenshot(*panel, "hw_manual_panel").empty());
}

// Every control with a state of its own at start, then after SDP On and SDP Off: the idle layout keeps
// both SDP buttons, the image format and the image buttons.
TEST_F(WindowsTest, SdpButtonsSwitchBetweenTheIdleAndTheWorkingLayout) {
  ASSERT_NO_FATAL_FAILURE(Open(2, 2));
  const auto controls = {7018, 7019, 7027, 7005, 7033, 7034, 7035, 7036, 7037, 7041, 7043,
                         7039, 7040, 7046, 7058, 7059, 7060, 7069};
  EXPECT_EQ(Enabled(controls), (std::vector<int>{7018, 7019, 7041, 7039, 7040}));
  EXPECT_FALSE(qrv::test::SaveScreenshot(*dialog_, "hw_setup_dialog_start").empty());
  Click(*dialog_, 7018);  // SDP On
  EXPECT_EQ(Enabled(controls), (std::vector<int>{7019, 7005, 7033, 7034, 7035, 7036, 7037, 7041, 7043, 7039, 7040,
                                                 7046, 7058, 7059, 7060, 7069}));
  Click(*dialog_, 7019);  // SDP Off
  EXPECT_EQ(Enabled(controls), (std::vector<int>{7018, 7041, 7039, 7040}));
  EXPECT_FALSE(qrv::test::SaveScreenshot(*dialog_, "hw_setup_dialog_sdp_off").empty());
}

// While a site's run keeps the settings in force, the grid shows the file: a Save and a Read show the
// engineer's value, a second Save keeps it, and the run's end brings it into force.
TEST_F(WindowsTest, SaveDuringASiteRunShowsAndKeepsTheEngineersValue) {
  ASSERT_NO_FATAL_FAILURE(Open(2, 2));
  hw::HwState& state = controller_->State();
  ASSERT_EQ(GridValue("QRV_SENSOR_TIME_OUT"), "300");
  ASSERT_TRUE(state.Leases().AcquireForSite(0, 0));
  QTableWidget* grid = Control<QTableWidget>(*dialog_, 7003);
  grid->item(GridRowOf("QRV_SENSOR_TIME_OUT"), 2)->setText("450");
  Click(*dialog_, 7007);  // Save
  EXPECT_EQ(GridValue("QRV_SENSOR_TIME_OUT"), "450");
  Click(*dialog_, 7038);  // Read
  EXPECT_EQ(GridValue("QRV_SENSOR_TIME_OUT"), "450");
  Click(*dialog_, 7007);
  EXPECT_EQ(port::ini::ReadString(record_->SensorPath(), "SENSOR_SET", "QRV_SENSOR_TIME_OUT", ""), "450");
  EXPECT_EQ(state.Settings(0)->timeOut, 300);
  EXPECT_EQ(state.Settings(1)->timeOut, 450);  // no site runs on board 1
  state.Leases().ReleaseForSite(0);
  EXPECT_EQ(state.Settings(0)->timeOut, 450);
}

// Each board takes saved settings when its own sites are free, so staggered sites on two boards never
// keep them out, and the setup log names the board that still runs on the old ones.
TEST_F(WindowsTest, SavedSettingsReachEachBoardWhenItsOwnSitesAreFree) {
  ASSERT_NO_FATAL_FAILURE(Open(2, 2));
  hw::HwState& state = controller_->State();
  QTableWidget* grid = Control<QTableWidget>(*dialog_, 7003);
  auto save = [&](const char* slave) {
    grid->item(GridRowOf("QRV_SENSOR_SLAVEADDR"), 2)->setText(slave);
    Click(*dialog_, 7007);
  };
  const QString waits0 = "USB ID [0] : saved settings in force when its site's run ends";
  const QString waits1 = "USB ID [1] : saved settings in force when its site's run ends";
  ASSERT_TRUE(state.Leases().AcquireForSite(0, 0));
  save("16");
  EXPECT_EQ(state.SlaveAddr(1), 0x10);
  EXPECT_EQ(state.SlaveAddr(0), 0x36);
  EXPECT_TRUE(LogList().contains(waits0));
  EXPECT_FALSE(LogList().contains(waits1));
  EXPECT_FALSE(qrv::test::SaveScreenshot(*dialog_, "hw_setup_dialog_settings_wait").empty());
  ASSERT_TRUE(state.Leases().AcquireForSite(1, 0));  // the sites overlap: never both idle
  state.Leases().ReleaseForSite(0);
  EXPECT_EQ(state.SlaveAddr(0), 0x10);
  save("17");
  EXPECT_EQ(state.SlaveAddr(0), 0x11);
  EXPECT_EQ(state.SlaveAddr(1), 0x10);
  EXPECT_TRUE(LogList().contains(waits1));
  ASSERT_TRUE(state.Leases().AcquireForSite(0, 0));
  state.Leases().ReleaseForSite(1);
  EXPECT_EQ(state.SlaveAddr(1), 0x11);
  state.ClearLog();
  Click(*dialog_, 7038);  // Read: board 0 runs on what the file holds, so nothing waits
  EXPECT_EQ(Log(), std::vector<std::string>{});
  state.Leases().ReleaseForSite(0);
}

// HW Close, HW Init and the panel's device commands open or close every board: while any site's test
// holds one, they are refused with the setup log's line and touch no board.
TEST_F(WindowsTest, DeviceOpenAndCloseWaitForEverySiteToEnd) {
  ASSERT_NO_FATAL_FAILURE(Open(2, 2));
  hw::HwState& state = controller_->State();
  const auto commands = Sim<decltype(&VelkaraSim_CommandCount)>("VelkaraSim_CommandCount");
  Click(*dialog_, 7018);  // SDP On
  Click(*dialog_, 7069);
  auto* panel = dialog_->findChild<hw::CUsbFrmDlg*>();
  ASSERT_NE(panel, nullptr);
  // The boards each LVDS_Close reaches, recorded in the table the dialog calls through.
  static std::vector<int> closed;
  closed.clear();
  EncapsulationTable* table = controller_->Table();
  const auto close = table->LVDS_Close;
  table->LVDS_Close = [](std::int32_t board) -> std::int32_t {
    closed.push_back(board);
    return 1;
  };
  ASSERT_TRUE(state.Leases().AcquireForSite(1, 0));
  const int before[2] = {commands(0), commands(1)};
  for (const auto& [window, id] : {std::pair<QWidget*, int>{dialog_.get(), 7005}, {panel, 7073}, {panel, 7074}}) {
    state.ClearLog();
    Click(*window, id);
    EXPECT_EQ(Log(), std::vector<std::string>{"USB ID [1] is in use by a site's test"}) << id;
  }
  EXPECT_EQ(commands(0), before[0]);
  EXPECT_EQ(commands(1), before[1]);
  EXPECT_EQ(closed, std::vector<int>{});  // no LVDS_Close(1) under the site's run
  EXPECT_TRUE(state.DevicesOpen());
  EXPECT_TRUE(Control(*dialog_, 7005)->isEnabled());
  state.Leases().ReleaseForSite(1);

  Click(*dialog_, 7005);  // HW Close, with no site running
  table->LVDS_Close = close;
  EXPECT_EQ(closed, (std::vector<int>{0, 1}));
  EXPECT_FALSE(state.DevicesOpen());
  ASSERT_TRUE(state.Leases().AcquireForSite(0, 0));
  state.ClearLog();
  Click(*dialog_, 7027);  // HW Init
  EXPECT_EQ(Log(), std::vector<std::string>{"USB ID [0] is in use by a site's test"});
  EXPECT_FALSE(state.DevicesOpen());
  state.Leases().ReleaseForSite(0);
  Click(*dialog_, 7027);
  EXPECT_TRUE(state.DevicesOpen());
}

// The read at the start of an RPT script, on a site's thread, sets the type lists from the file.
TEST_F(WindowsTest, RptScriptReadSetsTheTypeLists) {
  ASSERT_NO_FATAL_FAILURE(Open(2, 2));
  port::ini::WriteString(record_->SensorPath(), "SENSOR_SET", "QRV_SENSOR_IN_DRAW_TYPE", "2");
  port::ini::WriteString(record_->SensorPath(), "SENSOR_SET", "QRV_SENSOR_OUT_DRAW_TYPE", "3");
  std::thread site([&] { controller_->RegisterSet_RPT(0, 0, "[RPT]"); });
  site.join();
  QApplication::processEvents();
  EXPECT_EQ(Control<QComboBox>(*dialog_, 7036)->currentText(), "FRAME");
  EXPECT_EQ(Control<QComboBox>(*dialog_, 7037)->currentText(), "FULL");
  EXPECT_EQ(controller_->State().InDrawType(), 2);
  EXPECT_EQ(controller_->State().OutDrawType(), 3);
}

// A play run takes the register section chosen in the list, not the one Register.ini last saved.
TEST_F(WindowsTest, PlayRunsTheRegisterKeyChosenInTheList) {
  ASSERT_NO_FATAL_FAILURE(Open(2, 2));
  port::ini::WriteString(record_->RegisterPath(), "REGISTER_KEY", "COUNT", "2");
  port::ini::WriteString(record_->RegisterPath(), "REGISTER_KEY", "1", "[SECOND]");
  SetSensor("AGING", "AGING_COUNT", "0");
  Click(*dialog_, 7038);  // Read
  Click(*dialog_, 7018);
  Control<QComboBox>(*dialog_, 7046)->setCurrentIndex(1);
  Click(*dialog_, 7033);  // Play
  ASSERT_TRUE(WaitFor([&] { return LogList().contains("Register Set Key : [SECOND]"); }));
  Click(*dialog_, 7035);  // Stop
  ASSERT_TRUE(WaitFor([&] { return !controller_->Workers().PlayRunning(); }));
  EXPECT_FALSE(LogList().contains("Register Set Key : [REGISTER]"));
  EXPECT_EQ(port::ini::ReadString(record_->RegisterPath(), "REGISTER_KEY", "SELECT", "0"), "0");
}

// The built image library, loaded as the main program loads it, its save entries in the test's binder.
class ImageLibrary {
 public:
  ImageLibrary(const std::string& root, CQRV_LoadMemory* record, CInterFace_SW* binder)
      : record_(record), binder_(binder), module_(port::LoadModule(root + "/System/QRV_PlatformSW_x64.dll")) {
    if (!module_) return;
    port::FindFunction<LoadOnCreate_Fn>(module_, "Load_OnCreate")(record_);
    binder_->m_hSoftware = module_;
    binder_->OnSaveImage_BMP = port::FindFunction<OnSaveImage_BMP_Fn>(module_, "OnSaveImage_BMP");
    binder_->OnSaveImage_JPG = port::FindFunction<OnSaveImage_JPG_Fn>(module_, "OnSaveImage_JPG");
  }
  ~ImageLibrary() {
    if (!module_) return;
    binder_->m_hSoftware = nullptr;
    binder_->OnSaveImage_BMP = nullptr;
    binder_->OnSaveImage_JPG = nullptr;
    port::FindFunction<LoadOnDelete_Fn>(module_, "Load_OnDelete")(record_);
    port::FreeModule(module_);
  }
  ImageLibrary(const ImageLibrary&) = delete;
  ImageLibrary& operator=(const ImageLibrary&) = delete;
  bool Loaded() const { return module_ != nullptr; }

 private:
  CQRV_LoadMemory* record_;
  CInterFace_SW* binder_;
  port::ModuleHandle module_;
};

// Sizes saved after SDP On do not reach the capture buffer made then: Save Image reads only the picture that
// buffer holds, and the next SDP On makes it at the new size.
TEST_F(WindowsTest, SaveImageReadsNoMoreThanTheCaptureBufferWasMadeWith) {
  ASSERT_NO_FATAL_FAILURE(Open(2, 2));
  const ImageLibrary images(station_->Root(), record_->get(), binder_.binder());
  ASSERT_TRUE(images.Loaded()) << port::LastModuleError();
  const std::string capture = station_->Root() + "/Image capture/capture.bmp";
  std::filesystem::create_directories(station_->Root() + "/Image capture");
  Control<QComboBox>(*dialog_, 7041)->setCurrentText("bmp");
  Click(*dialog_, 7018);  // SDP On: a buffer of 640 x 480
  Click(*dialog_, 7039);  // Save Image
  EXPECT_EQ(QImage(QString::fromStdString(capture)).size(), QSize(640, 480));
  std::filesystem::remove(capture);

  QTableWidget* grid = Control<QTableWidget>(*dialog_, 7003);
  for (const char* key : {"QRV_SENSOR_BUFFER_SIZE_X", "QRV_SENSOR_SIZE_X"})
    grid->item(GridRowOf(key), 2)->setText("1280");
  for (const char* key : {"QRV_SENSOR_BUFFER_SIZE_Y", "QRV_SENSOR_SIZE_Y"})
    grid->item(GridRowOf(key), 2)->setText("960");
  Click(*dialog_, 7007);  // Save
  controller_->State().ClearLog();
  Click(*dialog_, 7039);
  EXPECT_FALSE(std::filesystem::exists(capture));
  EXPECT_EQ(Log(), std::vector<std::string>{"Save Image Fail : 1280 x 960"});

  Click(*dialog_, 7019);  // SDP Off
  Click(*dialog_, 7018);  // SDP On: the buffer at the saved size
  Click(*dialog_, 7039);
  EXPECT_EQ(QImage(QString::fromStdString(capture)).size(), QSize(1280, 960));
}

// The three grids keep the widths of their columns and scroll across them where the window is narrower;
// every header and cell text fits its column.
TEST_F(WindowsTest, GridsKeepTheirColumnWidthsAndEveryTextFits) {
  ASSERT_NO_FATAL_FAILURE(Open(1, 2));  // one board: the settings grid has its HW_USB_ID row too
  QApplication::processEvents();
  const std::pair<int, std::vector<int>> grids[] = {
      {7003, {130, 250, 170}}, {7057, {500}}, {7097, {200, 150, 150, 150}}};
  for (const auto& [id, widths] : grids) {
    const auto* grid = Control<QTableWidget>(*dialog_, id);
    ASSERT_EQ(grid->columnCount(), static_cast<int>(widths.size())) << id;
    const QFontMetrics cellFont(grid->font());
    const int cellMargins = 2 * (grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid) + 1);
    int total = 0;
    for (int c = 0; c < grid->columnCount(); ++c) {
      const int width = widths[static_cast<std::size_t>(c)];
      total += width;
      EXPECT_EQ(grid->columnWidth(c), width) << id << " column " << c;
      EXPECT_LE(grid->horizontalHeader()->sectionSizeHint(c), width) << id << " header " << c;
      for (int r = 0; r < grid->rowCount(); ++r) {
        const QString text = grid->item(r, c) ? grid->item(r, c)->text() : QString();
        EXPECT_LE(cellFont.horizontalAdvance(text) + cellMargins, width) << id << " " << text.toStdString();
      }
    }
    // Each column can be scrolled into sight.
    EXPECT_NE(grid->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff) << id;
    EXPECT_GE(grid->horizontalScrollBar()->maximum(), total - grid->viewport()->width()) << id;
  }
  EXPECT_FALSE(qrv::test::SaveScreenshot(*dialog_, "hw_setup_dialog").empty());
}

// Without the image library's capture buffer Save Image does nothing: no file, no line.
TEST_F(WindowsTest, SaveImageWithoutTheImageLibraryDoesNothing) {
  ASSERT_NO_FATAL_FAILURE(Open(2, 2));
  controller_->State().ClearLog();
  Click(*dialog_, 7039);  // Save Image
  EXPECT_EQ(Log(), std::vector<std::string>{});
  EXPECT_FALSE(std::filesystem::exists(station_->Root() + "/Image capture/capture.jpg"));
}

// The list keeps 10001 lines; the next line empties it and is then its only line.
TEST_F(WindowsTest, LogListKeeps10001Lines) {
  ASSERT_NO_FATAL_FAILURE(Open(2, 2));
  hw::HwState& state = controller_->State();
  state.ClearLog();
  for (int i = 0; i < 10001; ++i) state.Log("line %d", i);
  EXPECT_EQ(LogList().size(), 10001);
  state.Log("after");
  EXPECT_EQ(LogList(), QStringList{"after"});
}

// The panel's operations reach the module on the channel of the site chosen in the setup window.
TEST_F(WindowsTest, PanelPowersTheModuleOnTheChannelOfTheChosenSite) {
  ASSERT_NO_FATAL_FAILURE(Open(2, 2));
  Click(*dialog_, 7018);
  Control<QComboBox>(*dialog_, 7050)->setCurrentIndex(2);
  Click(*dialog_, 7069);
  auto* panel = dialog_->findChild<hw::CUsbFrmDlg*>();
  ASSERT_NE(panel, nullptr);
  Click(*panel, 7077);  // Power Up
  EXPECT_TRUE(ModuleAnswers(0, 2));
  EXPECT_FALSE(ModuleAnswers(0, 0));
  Click(*panel, 7078);  // Power Down
  EXPECT_FALSE(ModuleAnswers(0, 2));
}

TEST_F(WindowsTest, PanelRefusesABoardWhoseSiteRuns) {
  ASSERT_NO_FATAL_FAILURE(Open(2, 2));
  Click(*dialog_, 7018);
  Click(*dialog_, 7069);
  auto* panel = dialog_->findChild<hw::CUsbFrmDlg*>();
  ASSERT_TRUE(controller_->State().Leases().AcquireForSite(0, 0));
  Click(*panel, 7077);
  EXPECT_EQ(SupplyVolts(0, 0), 0.0);
  EXPECT_EQ(LogList().last(), "USB ID [0] is in use by a site's test");
  controller_->State().Leases().ReleaseForSite(0);
}

}  // namespace
