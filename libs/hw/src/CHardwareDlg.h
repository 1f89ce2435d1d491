#pragma once
// The engineer's hardware setup window: the sensor and board settings with Save, the register-script
// keys, the aging counters, board open and close, play and CRC play runs, image saving and the setup log.
#include <QDialog>
#include <atomic>
#include <memory>
#include <string>

class QComboBox;
class QListWidget;
class QPushButton;
class QTableWidget;

namespace hw {

class HardwareController;
class CUsbFrmDlg;

class CHardwareDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CHardwareDlg(HardwareController& controller, QWidget* parent = nullptr);
  ~CHardwareDlg() override;

  // The board and site of the "Para" and "Site" lists, and the register key chosen for play runs.
  int Board() const;
  int Site() const;
  std::string SelectedKey() const;

  // Reads the settings and rebuilds the settings grid from the file as it stands, also while a site's run
  // keeps the settings in force until it ends: Save writes back only what the grid showed.
  void FillSpecGrid();
  void LoadRegisterKeys();
  void LoadCounters();

 private:
  QPushButton* AddButton(int id, const char* text);
  void BuildGrids();
  void BuildControls();
  void ConnectButtons();
  void OnBnClickedSave();
  void OnSdpOn();
  void OnSdpOff();
  void OnHwInit();
  void OnHwClose();
  void OnSaveImage();
  void OnDcSave();
  void OnSoftwareSpec();
  void OnFrmFunction();
  void OnSpecCellDoubleClicked(int row, int column);
  void OnKeyCellDoubleClicked(int row, int column);
  void OnCounterCellDoubleClicked(int row, int column);
  void Enable(std::initializer_list<int> ids, bool on);
  // Brings the log list, the failure counts and the type lists up to the shared state; runs on the UI thread.
  void Refresh();
  void RefreshFailCounts();
  void ShowDrawTypes();
  std::string ImageFolder() const;
  bool IsEngineer() const;

  HardwareController& controller_;
  QTableWidget* specGrid_ = nullptr;
  QTableWidget* keyGrid_ = nullptr;
  QTableWidget* counterGrid_ = nullptr;
  QComboBox* keyList_ = nullptr;
  QListWidget* logList_ = nullptr;
  QComboBox* boardList_ = nullptr;
  QComboBox* siteList_ = nullptr;
  QComboBox* typeIn_ = nullptr;
  QComboBox* typeOut_ = nullptr;
  QComboBox* imageFormat_ = nullptr;
  QComboBox* imageSave_ = nullptr;
  CUsbFrmDlg* usbFrm_ = nullptr;
  // Shared with the log listener, which may run on a worker thread.
  std::shared_ptr<std::atomic<bool>> refreshQueued_ = std::make_shared<std::atomic<bool>>(false);
};

}  // namespace hw
