#include "LoginDlg.h"

#include <QCloseEvent>
#include <QFocusEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "KeyBoardDlg.h"
#include "LoginPasswords.h"
#include "port/message_box.h"

namespace {

const char* const kLevelNames[] = {"Operator", "Maintenance", "Engineer"};

std::string TextOf(const QLineEdit* edit) { return edit->text().toStdString(); }

// A site that is testing holds back LogOut and Save without a word: the dialog stays as it is.
bool SiteTesting(const std::function<bool()>& anySiteRunning) { return anySiteRunning && anySiteRunning(); }

}  // namespace

LoginDlg::LoginDlg(int loggedIn, int level, std::function<bool()> anySiteRunning, QWidget* parent)
    : QDialog(parent), m_bLoggedIn(loggedIn), m_nLevel(level), m_anySiteRunning(std::move(anySiteRunning)) {
  setObjectName("Login");
  setWindowTitle("Login");
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

  auto* loginBox = new QGroupBox("Login", this);
  auto* loginGrid = new QGridLayout(loginBox);
  m_comboUser = new QComboBox(loginBox);
  m_comboUser->setObjectName("User");
  m_editPassword = AddPasswordEdit("Password");
  m_btnLogin = new QPushButton("Login", loginBox);
  m_btnLogout = new QPushButton("LogOut", loginBox);
  loginGrid->addWidget(new QLabel("User", loginBox), 0, 0);
  loginGrid->addWidget(m_comboUser, 0, 1);
  loginGrid->addWidget(m_btnLogin, 0, 2);
  loginGrid->addWidget(new QLabel("Password", loginBox), 1, 0);
  loginGrid->addWidget(m_editPassword, 1, 1);
  loginGrid->addWidget(m_btnLogout, 1, 2);

  auto* changeBox = new QGroupBox("New Password", this);
  auto* changeGrid = new QGridLayout(changeBox);
  m_editCurrent = AddPasswordEdit("Current PW");
  m_editNew = AddPasswordEdit("New Password");
  m_editNewRepeat = AddPasswordEdit("New Password Repeat");
  m_btnSave = new QPushButton("Save", changeBox);
  changeGrid->addWidget(new QLabel("Current PW", changeBox), 0, 0);
  changeGrid->addWidget(m_editCurrent, 0, 1);
  changeGrid->addWidget(new QLabel("New Password", changeBox), 1, 0);
  changeGrid->addWidget(m_editNew, 1, 1);
  changeGrid->addWidget(new QLabel("New Password", changeBox), 2, 0);
  changeGrid->addWidget(m_editNewRepeat, 2, 1);
  changeGrid->addWidget(m_btnSave, 2, 2);

  for (QPushButton* button : {m_btnLogin, m_btnLogout, m_btnSave}) {
    button->setObjectName(button->text());
    button->setAutoDefault(false);
  }
  m_btnSave->setObjectName("Save");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(loginBox);
  layout->addWidget(changeBox);
  setMinimumWidth(380);

  connect(m_btnLogin, &QPushButton::clicked, this, &LoginDlg::OnBnClickedLogin);
  connect(m_btnLogout, &QPushButton::clicked, this, &LoginDlg::OnBnClickedLogout);
  connect(m_btnSave, &QPushButton::clicked, this, &LoginDlg::OnBnClickedSave);
  OnInitDialog();
}

QLineEdit* LoginDlg::AddPasswordEdit(const char* name) {
  auto* edit = new QLineEdit(this);
  edit->setObjectName(name);
  edit->setEchoMode(QLineEdit::Password);
  edit->installEventFilter(this);
  return edit;
}

// The stored passwords are hashes: the edit of a logged-in level stays empty instead of showing it.
void LoginDlg::OnInitDialog() {
  login_passwords::Seed(1);
  login_passwords::Seed(2);
  for (const char* name : kLevelNames) m_comboUser->addItem(name);
  m_comboUser->setCurrentIndex(m_nLevel >= 0 && m_nLevel <= 2 ? m_nLevel : 0);
  UpdateControls();
}

void LoginDlg::UpdateControls() {
  const bool in = m_bLoggedIn != 0;
  m_editPassword->setReadOnly(in);
  for (QLineEdit* edit : {m_editCurrent, m_editNew, m_editNewRepeat}) edit->setReadOnly(!in);
  m_comboUser->setEnabled(!in);
  m_btnLogin->setEnabled(!in);
  m_btnSave->setEnabled(in);
  m_btnLogout->setEnabled(in);
}

void LoginDlg::OnBnClickedLogin() {
  const int level = m_comboUser->currentIndex();
  const std::string entered = TextOf(m_editPassword);
  if (entered.empty() && level != 0) {
    port::MessageBox("Please enter a password.");
    return;
  }
  if (level != 0 && login_passwords::Verify(level, entered) != login_passwords::Check::kMatch) {
    port::MessageBox("UserPassword Fail");
    return;
  }
  m_bLoggedIn = 1;
  m_nLevel = level;
  login_passwords::WriteLoginLevel(level);
  accept();
}

void LoginDlg::OnBnClickedLogout() {
  if (SiteTesting(m_anySiteRunning)) return;
  m_nLevel = 0;
  m_bLoggedIn = 0;
  m_editPassword->clear();
  UpdateControls();
  accept();
}

bool LoginDlg::MatchesCurrentPassword(const std::string& entered) const {
  if (login_passwords::ValueName(m_nLevel) == nullptr || !login_passwords::HasPassword(m_nLevel))
    return entered.empty();
  return login_passwords::Verify(m_nLevel, entered) == login_passwords::Check::kMatch;
}

void LoginDlg::OnBnClickedSave() {
  if (SiteTesting(m_anySiteRunning) || m_bLoggedIn == 0) return;
  if (!MatchesCurrentPassword(TextOf(m_editCurrent))) {
    port::MessageBox("Different from the current password");
    return;
  }
  if (TextOf(m_editNew) != TextOf(m_editNewRepeat)) {
    port::MessageBox("Different from the new password");
    return;
  }
  m_nLevel = m_comboUser->currentIndex();
  if (login_passwords::ValueName(m_nLevel) != nullptr && !login_passwords::Store(m_nLevel, TextOf(m_editNew))) {
    port::MessageBox("The new password could not be stored.");
    return;
  }
  m_bLoggedIn = 1;
  accept();
}

void LoginDlg::OpenKeyboard(QLineEdit* edit) {
  if (m_keyboardOpen || edit->isReadOnly()) return;
  m_keyboardOpen = true;
  KeyBoardDlg keyboard(QString(), 1, this);
  if (keyboard.exec() == QDialog::Accepted) edit->setText(keyboard.GetInputText());
  m_keyboardOpen = false;
}

bool LoginDlg::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusIn && !m_keyboardOpen) {
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    // Focus that comes back when a window closes (the keyboard itself, a message box) is not a touch.
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
      for (QLineEdit* edit : {m_editPassword, m_editCurrent, m_editNew, m_editNewRepeat})
        if (watched == edit) QTimer::singleShot(0, this, [this, edit] { OpenKeyboard(edit); });
  }
  return QDialog::eventFilter(watched, event);
}

void LoginDlg::closeEvent(QCloseEvent* event) {
  if (m_bLoggedIn == 0) m_nLevel = 0;
  QDialog::closeEvent(event);
}

// Enter and Esc end the dialog with the flag and level it had.
void LoginDlg::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      accept();
      return;
    case Qt::Key_Escape:
      reject();
      return;
    default:
      QDialog::keyPressEvent(event);
  }
}
