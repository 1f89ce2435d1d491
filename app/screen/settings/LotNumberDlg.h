#pragma once
// "Lot Number": "Start" takes the number of a new lot, "End" closes the current lot (its closing lines in
// every site's test log, then the statistics reset when the operator agrees; the number stays). Both are
// refused while a site runs. Touching the number opens the on-screen keyboard.
#include <QDialog>
#include <QString>
#include <functional>
#include <string>

class QLineEdit;
class QPushButton;

class LotNumberDlg : public QDialog {
  Q_OBJECT

 public:
  // What the dialog asks of the site panel; an empty function does nothing (no site runs).
  struct Panel {
    std::function<bool()> anySiteRunning;
    std::function<void()> writeLotEnd;
    std::function<void()> resetYield;
  };

  explicit LotNumberDlg(Panel panel, QWidget* parent = nullptr);

  // Today's ImageFile and LogFile folders under the log folder that Config.ini [LOG] <logKey> names
  // ("ProductionLog" or "EngineerLog"), made with every missing parent; three tries 100 ms apart.
  // 1 when both exist. Any thread.
  static int CreateLotFolders(const std::string& logKey);

  void OnInitDialog();
  // "Start" (Enter): closes with OK unless a site runs.
  void OnStart();
  // "End" (Esc): closes with Cancel unless a site runs.
  void OnEnd();
  // The on-screen keyboard; its text replaces the lot text when it closes with OK.
  void OpenKeyboard();
  // The lot text the panel reads after OK.
  QString LotText() const { return m_lot; }
  QLineEdit* Edit() const { return m_edit; }

 protected:
  void reject() override { OnEnd(); }
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool RefusedWhileTesting() const;

  Panel m_panel;
  QString m_lot;
  QLineEdit* m_edit;
  QPushButton* m_start;
  QPushButton* m_end;
  bool m_keyboardOpen = false;
};
