#pragma once
// The engineer's panel of single board operations on the board and site chosen in the setup window:
// open and close, link init and versions, power, register script, link check, link start and stop, one
// frame, the live grab, and one sensor register read or write. Every outcome goes to the setup log.
#include <QDialog>

class QButtonGroup;
class QLineEdit;

namespace hw {

class CHardwareDlg;
class HardwareController;

class CUsbFrmDlg : public QDialog {
  Q_OBJECT

 public:
  CUsbFrmDlg(HardwareController& controller, CHardwareDlg& setup);

  int ModeIndex() const;

 private:
  void BuildButtons();
  void BuildRegisterBox();
  // Runs `operation` on the selected board, on the channel of the selected site, while the setup window
  // holds the board against the sites' tests.
  template <typename Operation>
  void OnBoard(Operation operation);
  template <typename Operation>
  void OnAllBoards(Operation operation);
  void OnLinkInit(int board);
  void OnRead(int board);
  void OnWrite(int board);

  HardwareController& controller_;
  CHardwareDlg& setup_;
  QButtonGroup* modes_ = nullptr;
  QLineEdit* slave_ = nullptr;
  QLineEdit* address_ = nullptr;
  QLineEdit* data_ = nullptr;
  int slaveAddress_ = 0;
};

}  // namespace hw
