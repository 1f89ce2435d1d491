#pragma once
// "Communication": numeric-keypad commands on or off ("Key board use") and the command of each of the ten
// keypad digits, in the model's Config.ini [COMMUNICATION].
#include <QDialog>
#include <functional>
#include <string>

class CGridCtrl;
class QCheckBox;

class CommunicationDlg : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kKeys = 10;

  // anySiteRunning empty: no site runs.
  explicit CommunicationDlg(std::function<bool()> anySiteRunning, QWidget* parent = nullptr);

  // [COMMUNICATION] KEY_USE, 0 when missing.
  static int ReadKeyUse();
  // [COMMUNICATION] <keyName> ("KEY_USE_%d"), empty when missing.
  static std::string ReadKeyValue(const std::string& keyName);

  void OnInitDialog();
  void OnDoubleClick(int row, int column);
  // "OK": false, with the dialog left open, while a site runs.
  bool OnOK();
  CGridCtrl* List() const { return m_list; }
  QCheckBox* KeyUse() const { return m_keyUse; }

 private:
  std::function<bool()> m_anySiteRunning;
  QCheckBox* m_keyUse;
  CGridCtrl* m_list;
};
