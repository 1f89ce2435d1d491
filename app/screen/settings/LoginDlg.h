#pragma once
// The login: Operator without a password, Maintenance and Engineer with theirs; log out; change the password
// of the level logged in. The caller takes the flag and the level back whatever way the dialog ends.
#include <QDialog>
#include <functional>

class QComboBox;
class QLineEdit;
class QPushButton;

class LoginDlg : public QDialog {
  Q_OBJECT

 public:
  // anySiteRunning: LogOut and Save wait until no site tests.
  LoginDlg(int loggedIn, int level, std::function<bool()> anySiteRunning, QWidget* parent = nullptr);

  int GetLoginFlag() const { return m_bLoggedIn; }
  int GetUserLevel() const { return m_nLevel; }

  void OnBnClickedLogin();
  void OnBnClickedLogout();
  void OnBnClickedSave();
  void UpdateControls();
  // The on-screen keyboard for a password edit that takes input; its text replaces the edit's after OK.
  // One keyboard at a time.
  void OpenKeyboard(QLineEdit* edit);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  // An edit that gains the focus brings up the on-screen keyboard, once the focus change is over.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void OnInitDialog();
  QLineEdit* AddPasswordEdit(const char* name);
  bool MatchesCurrentPassword(const std::string& entered) const;

  int m_bLoggedIn;
  int m_nLevel;
  std::function<bool()> m_anySiteRunning;
  bool m_keyboardOpen = false;
  QComboBox* m_comboUser = nullptr;
  QLineEdit* m_editPassword = nullptr;
  QLineEdit* m_editCurrent = nullptr;
  QLineEdit* m_editNew = nullptr;
  QLineEdit* m_editNewRepeat = nullptr;
  QPushButton* m_btnLogin = nullptr;
  QPushButton* m_btnLogout = nullptr;
  QPushButton* m_btnSave = nullptr;
};
