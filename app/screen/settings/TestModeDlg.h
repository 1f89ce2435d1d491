#pragma once
// "Test Mode": how the Start button runs the sites (once, or Aging: a Start repeats the run a number of
// times), the item loop's override mode, and the simulation switch and folder the libraries may read.
// The caller takes the results after OK; Close changes nothing.
#include <QDialog>
#include <functional>
#include <string>

class CQRVPlatformMemory;
class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

class TestModeDlg : public QDialog {
  Q_OBJECT

 public:
  struct Station {
    // The record whose override and simulation modes the dialog shows.
    const CQRVPlatformMemory* record = nullptr;
    // Relative to the program folder: "Ref/<model>/TestMode.ini".
    std::string testModeIni;
    std::function<bool()> anySiteRunning;
  };

  TestModeDlg(int mode, int count, std::string simulationPath, Station station, QWidget* parent = nullptr);

  void EnableCountForMode(int value);
  void OnSimulationModeClicked();
  void OnBrowseSimulationPath();
  void OnOpenSimulationPath();
  void OnOK();

  // Results after OK.
  int m_nMode;
  int m_nCount;
  int m_nSimulationMode = 0;
  int m_nOverrideMode = 0;
  std::string m_strSimulationPath;

 private:
  void OnInitDialog();

  Station m_station;
  QRadioButton* m_radioAuto = nullptr;
  QRadioButton* m_radioAging = nullptr;
  QLineEdit* m_editCount = nullptr;
  QCheckBox* m_chkOverride = nullptr;
  QCheckBox* m_chkSimulation = nullptr;
  QLineEdit* m_editPath = nullptr;
  QPushButton* m_btnBrowse = nullptr;
};
