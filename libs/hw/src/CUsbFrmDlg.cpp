#include "CUsbFrmDlg.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>

#include "CHardwareDlg.h"
#include "hardware_controller.h"
#include "i2c_input.h"
#include "port/thread_site.h"

namespace hw {
namespace {

const char* TrueFalse(int result) { return result == 1 ? "TRUE" : "FALSE"; }

}  // namespace

CUsbFrmDlg::CUsbFrmDlg(HardwareController& controller, CHardwareDlg& setup)
    : QDialog(&setup), controller_(controller), setup_(setup) {
  setObjectName("7010");
  setWindowTitle("V5 & Brisca Function");
  auto* layout = new QVBoxLayout(this);
  BuildButtons();
  BuildRegisterBox();
  const auto settings = controller_.State().Settings();
  slave_->setText(QString::number(settings->slaveAddr, 16));
  if (QAbstractButton* mode = modes_->button(std::clamp(settings->i2cMode, 0, 3))) mode->setChecked(true);
  layout->addStretch();
}

int CUsbFrmDlg::ModeIndex() const { return std::max(modes_->checkedId(), 0); }

template <typename Operation>
void CUsbFrmDlg::OnBoard(Operation operation) {
  const int board = setup_.Board();
  const port::ThreadSiteScope onSite(setup_.Site());
  const DialogHold hold(controller_.State().Leases(), board);
  if (!hold.Held()) {
    controller_.State().Log(kBoardHeldBySite, board);
    return;
  }
  operation(board);
}

// The device opens and closes as a whole, under every board.
template <typename Operation>
void CUsbFrmDlg::OnAllBoards(Operation operation) {
  const DialogHoldAll hold(controller_.State().Leases());
  if (!hold.Held()) {
    controller_.State().Log(kBoardHeldBySite, hold.SiteBoard());
    return;
  }
  operation(setup_.Board());
}

void CUsbFrmDlg::BuildButtons() {
  HwState& state = controller_.State();
  EncapsulationTable* table = controller_.Table();
  PlayWorkers& workers = controller_.Workers();
  auto* box = new QGroupBox(this);
  auto* grid = new QGridLayout(box);
  int cell = 0;
  auto add = [&](int id, const char* text, auto handler) {
    auto* button = new QPushButton(text, box);
    button->setObjectName(QString::number(id));
    grid->addWidget(button, cell / 6, cell % 6);
    ++cell;
    connect(button, &QPushButton::clicked, this, handler);
  };
  auto onBoard = [this](auto operation) { return [this, operation] { OnBoard(operation); }; };
  auto onAllBoards = [this](auto operation) { return [this, operation] { OnAllBoards(operation); }; };
  add(7073, "OpenDAQDevice", onAllBoards([&state, table](int board) {
        state.Log("USB ID [%d] [OpenDAQDevice] :: Device Count %d", board, BoardCall(table->OpenDevice));
      }));
  add(7074, "CloseDAQDevice", onAllBoards([&state, table](int board) {
        state.Log("USB ID [%d] [CloseDAQDevice] :: %s", board, TrueFalse(BoardCall(table->CloseDevice)));
      }));
  add(7075, "LVDS_Init_Mul", onBoard([this](int board) { OnLinkInit(board); }));
  add(7087, "LVDS_GetVersion_Mul", onBoard([this](int board) { OnLinkInit(board); }));
  add(7076, "LVDS_Close", onBoard([&state, table](int board) {
        state.Log("USB ID [%d] [LVDS_Close_Mul] :: %s", board, TrueFalse(BoardCall(table->LVDS_Close, board)));
      }));
  add(7077, "Power Up", onBoard([this, &state](int board) {
        const int result = controller_.PowerUpSequence(board, setup_.Site(), state.Settings(board)->oscType, true);
        state.Log("USB ID [%d] [PowerUpSequence] :: %s", board, TrueFalse(result));
      }));
  add(7078, "Power Down", onBoard([this, &state](int board) {
        const int result = controller_.PowerDownSequence(board, setup_.Site(), false);
        state.Log("USB ID [%d] [PowerDownSequence] :: %s", board, TrueFalse(result));
      }));
  add(7081, "RegisterSet", onBoard([this, &state](int board) {
        const std::string key = setup_.SelectedKey();
        const int result = controller_.RegisterSet(board, setup_.Site(), key);
        state.Log("USB ID [%d] [RegisterSet] :: %s      key = %s ", board, TrueFalse(result), key.c_str());
      }));
  add(7079, "DeviceDataFormat", [this, &state] { state.Log("USB ID [%d] [DeviceDataFormat]", setup_.Board()); });
  add(7080, "Startverify", onBoard([this, &state](int board) {
        const auto s = state.Settings(board);
        const int pairs[4][2] = {{s->sizeX, s->sizeY}, {s->rawX, s->rawY}, {s->frameX, s->frameY}, {s->fullX, s->fullY}};
        const int type = state.InDrawType();
        const int result = controller_.Startverify(board, setup_.Site(), s->laneSelect, pairs[type][0], pairs[type][1], false);
        state.Log("USB ID [%d] [Startverify] :: %s", board, TrueFalse(result));
      }));
  add(7082, "LVDS_Start_Mul", onBoard([&state, table](int board) {
        state.Log("USB ID [%d] [LVDS_Start_Mul] :: %s", board, TrueFalse(BoardCall(table->LVDS_Start, board)));
      }));
  add(7083, "LVDS_Stop_Mul", onBoard([&state, table](int board) {
        state.Log("USB ID [%d] [LVDS_Stop_Mul] :: %s", board, TrueFalse(BoardCall(table->LVDS_Stop, board)));
      }));
  add(7084, "LVDS_GetFrame_Mul", onBoard([this, &workers](int board) { workers.GrabOneFrame(board, setup_.Site()); }));
  add(7092, "Play", [this, &workers] { workers.StartLive(setup_.Board(), setup_.Site()); });
  add(7093, "STOP", [&workers] { workers.StopLive(); });
  // The board library has no DDR reset, FPGA reset, buffer flush or SPI switch, and the panel has no
  // second register pair to apply: these buttons keep their places and do nothing.
  for (const auto& [id, text] : {std::pair{7086, "LVDS_DDR_Reset_Mul"}, std::pair{1325, "SPI Enable"},
                                 std::pair{1324, "SPI Disable"}, std::pair{1327, "LVDS_FpgaReset_Mul"},
                                 std::pair{1326, "LVDS_BufferFlush_Mul"}, std::pair{7094, "Apply I2C WR2"},
                                 std::pair{7095, "Apply I2C RD2"}}) {
    add(id, text, [] {});
  }
  static_cast<QVBoxLayout*>(layout())->addWidget(box);
}

void CUsbFrmDlg::BuildRegisterBox() {
  auto* box = new QGroupBox(this);
  auto* grid = new QGridLayout(box);
  modes_ = new QButtonGroup(this);
  const int radioIds[] = {7085, 7088, 7089, 7090};
  for (int mode = 0; mode < 4; ++mode) {
    auto* radio = new QRadioButton(I2cModeName(mode), box);
    radio->setObjectName(QString::number(radioIds[mode]));
    modes_->addButton(radio, mode);
    grid->addWidget(radio, 0, mode);
  }
  auto field = [&](int id, const char* label, int maxLength, int column) {
    auto* edit = new QLineEdit(box);
    edit->setObjectName(QString::number(id));
    edit->setMaxLength(maxLength);
    grid->addWidget(new QLabel(label, box), 1, column * 2);
    grid->addWidget(edit, 1, column * 2 + 1);
    return edit;
  };
  slave_ = field(7096, "Slave", 25, 0);
  address_ = field(7091, "Address", 25, 1);
  data_ = field(1003, "Data", 10, 2);
  auto* read = new QPushButton("Read", box);
  read->setObjectName("1008");
  auto* write = new QPushButton("Write", box);
  write->setObjectName("1005");
  grid->addWidget(read, 1, 6);
  grid->addWidget(write, 1, 7);
  connect(read, &QPushButton::clicked, this, [this] { OnBoard([this](int board) { OnRead(board); }); });
  connect(write, &QPushButton::clicked, this, [this] { OnBoard([this](int board) { OnWrite(board); }); });
  static_cast<QVBoxLayout*>(layout())->addWidget(box);
}

void CUsbFrmDlg::OnLinkInit(int board) {
  const int result = BoardCall(controller_.Table()->LVDS_Init, board);
  controller_.State().Log("USB ID [%d] [LVDS_Init_Mul] :: %s", board, TrueFalse(result));
  controller_.ReportVersions(board);
}

void CUsbFrmDlg::OnRead(int board) {
  HwState& state = controller_.State();
  const int mode = state.I2cMode(board);
  const std::string typed = address_->text().toStdString();
  const std::optional<int> address = ParseHexField(typed, MaxI2cAddress(mode));
  if (!address) {
    state.Log("Read Fail : address \"%s\" is not a register address of %s", typed.c_str(), I2cModeName(mode));
    return;
  }
  int value = 0;
  const int result = controller_.IIC_Read(board, *address, &value);
  data_->setText(QString::number(result == 1 ? value : result, 16));
  state.Log(result == 1 ? "Addr 0x%x Read Pass" : "Addr 0x%x Read Fail", *address);
}

void CUsbFrmDlg::OnWrite(int board) {
  HwState& state = controller_.State();
  const int mode = ModeIndex();
  const std::optional<int> slave = ParseHexField(slave_->text().toStdString(), 0x7F);
  const std::optional<int> address = ParseHexField(address_->text().toStdString(), MaxI2cAddress(mode));
  const std::optional<int> data = ParseHexField(data_->text().toStdString(), MaxI2cData(mode));
  // Nothing reaches the bus that its address and data widths cannot carry.
  if (!slave) return state.Log("Write Fail : slave \"%s\" is not a 7-bit address", slave_->text().toUtf8().constData());
  if (!address) {
    return state.Log("Write Fail : address \"%s\" does not fit %s", address_->text().toUtf8().constData(),
                     I2cModeName(mode));
  }
  if (!data) {
    return state.Log("Write Fail : data \"%s\" does not fit %s", data_->text().toUtf8().constData(), I2cModeName(mode));
  }
  slaveAddress_ = *slave;
  const int result = controller_.IIC_WriteEx(board, slaveAddress_, *address, *data, mode);
  state.Log(result == 1 ? "Write PASS" : "Write Fail");
}

}  // namespace hw
