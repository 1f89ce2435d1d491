#include "LotNumberDlg.h"

#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTimer>

#include "KeyBoardDlg.h"
#include "ModelSettings.h"
#include "PlatformErrorLog.h"
#include "Util.h"
#include "port/clock.h"
#include "port/message_box.h"

namespace {

constexpr int kFolderTries = 3;
constexpr std::int64_t kFolderRetryMs = 100;
constexpr int kTouchHeight = 48;

}  // namespace

LotNumberDlg::LotNumberDlg(Panel panel, QWidget* parent)
    : QDialog(parent),
      m_panel(std::move(panel)),
      m_edit(new QLineEdit(this)),
      m_start(new QPushButton("Start", this)),
      m_end(new QPushButton("End", this)) {
  setObjectName("170");
  setWindowTitle("Lot Number");
  QFont large = font();
  large.setPointSize(large.pointSize() + 6);
  m_edit->setObjectName("1042");
  m_edit->setFont(large);
  m_edit->setMinimumSize(280, kTouchHeight);
  // Typed keys are digits only; the keyboard's text is taken as it is.
  m_edit->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), m_edit));
  m_edit->installEventFilter(this);
  m_start->setObjectName("1");
  m_start->setDefault(true);
  m_end->setObjectName("2");
  m_end->setAutoDefault(false);
  for (QPushButton* button : {m_start, m_end}) {
    button->setFont(large);
    button->setMinimumHeight(kTouchHeight);
  }

  auto* label = new QLabel("Lot Number", this);
  label->setFont(large);
  auto* layout = new QGridLayout(this);
  layout->addWidget(label, 0, 0, 1, 2);
  layout->addWidget(m_edit, 1, 0, 1, 2);
  layout->addWidget(m_start, 2, 0);
  layout->addWidget(m_end, 2, 1);

  connect(m_start, &QPushButton::clicked, this, &LotNumberDlg::OnStart);
  connect(m_end, &QPushButton::clicked, this, &LotNumberDlg::OnEnd);
  OnInitDialog();
}

void LotNumberDlg::OnInitDialog() {
  m_lot = QString::fromStdString(ModelSettings::ReadLotNumber());
  m_edit->setText(m_lot);
  // The keyboard opens when the operator touches the number, not as the dialog comes up.
  m_start->setFocus();
}

bool LotNumberDlg::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_edit && event->type() == QEvent::FocusIn) {
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    // Focus that comes back when a window closes is not a touch.
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason && !m_keyboardOpen)
      QTimer::singleShot(0, this, &LotNumberDlg::OpenKeyboard);
  }
  return QDialog::eventFilter(watched, event);
}

void LotNumberDlg::OpenKeyboard() {
  if (m_keyboardOpen) return;
  m_keyboardOpen = true;
  KeyBoardDlg keyboard(QString(), 0, this);
  if (keyboard.exec() == QDialog::Accepted) {
    m_lot = keyboard.GetInputText();
    m_edit->setText(m_lot);
  }
  m_start->setFocus();
  m_keyboardOpen = false;
}

bool LotNumberDlg::RefusedWhileTesting() const {
  if (!m_panel.anySiteRunning || !m_panel.anySiteRunning()) return false;
  LogPlatformError("Platform Testing...");
  return true;
}

void LotNumberDlg::OnStart() {
  if (RefusedWhileTesting()) return;
  m_lot = m_edit->text();
  accept();
}

void LotNumberDlg::OnEnd() {
  if (RefusedWhileTesting()) return;
  if (m_panel.writeLotEnd) m_panel.writeLotEnd();
  const int answer = port::MessageBox("Do you want to initialize the data yield?", "Lot Number",
                                      port::kMbYesNo | port::kMbIconQuestion);
  if (answer == port::kIdYes && m_panel.resetYield) m_panel.resetYield();
  QDialog::reject();
}

int LotNumberDlg::CreateLotFolders(const std::string& logKey) {
  const std::string base = ReadIniString("LOG", logKey.c_str(), "0", ModelSettings::GetConfigIniPath());
  for (int attempt = 1; attempt <= kFolderTries; ++attempt) {
    if (ModelSettings::CreateDatedLogFolders(base)) return 1;
    if (attempt < kFolderTries) port::clock::SleepMs(kFolderRetryMs);
  }
  return 0;
}
