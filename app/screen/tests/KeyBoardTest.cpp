#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "KeyBoardDlg.h"
#include "KeyBoardNumDlg.h"
#include "qrv_test/screenshot.h"
#include "qrv_test/test_application.h"

namespace {

void Press(QDialog& keyboard, const QString& caption) {
  auto* key = keyboard.findChild<QPushButton*>(caption);
  ASSERT_NE(key, nullptr) << caption.toStdString();
  key->click();
}

void SendKey(QWidget* target, int key, const QString& text = {}) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
  QApplication::sendEvent(target, &press);
}

// Runs the keyboard modally as a caller does, with `act` pressing keys once it is shown.
template <typename Keyboard, typename Act>
int RunModal(Keyboard& keyboard, Act act) {
  QTimer::singleShot(0, &keyboard, [&] { act(); });
  return keyboard.exec();
}

class KeyBoardTest : public ::testing::Test {
 protected:
  void SetUp() override { qrv::test::TestApplication(); }
};

struct KeyCase {
  const char* initial;
  std::vector<QString> keys;
  const char* expected;
};

TEST_F(KeyBoardTest, KeysEditTheTextAndEnterReturnsIt) {
  const std::vector<KeyCase> cases = {
      {"", {"Q", "1", "SPACE", "Backspace", "Enter"}, "Q1"},
      {"", {"Backspace", "Backspace", "Enter"}, ""},
      {"LOT", {"_", "7", ",", ".", "SPACE", "Z", "Enter"}, "LOT_7,. Z"},
  };
  for (const KeyCase& c : cases) {
    KeyBoardDlg keyboard(c.initial, 0);
    const int result = RunModal(keyboard, [&] {
      for (const QString& key : c.keys) Press(keyboard, key);
    });
    EXPECT_EQ(result, QDialog::Accepted) << c.expected;
    EXPECT_EQ(keyboard.GetInputText().toStdString(), c.expected);
  }
}

TEST_F(KeyBoardTest, PasswordEchoesStarsAndReturnsThePlainText) {
  KeyBoardDlg keyboard("", 1);
  Press(keyboard, "A");
  Press(keyboard, "9");
  auto* edit = keyboard.findChild<QLineEdit*>("1030");
  EXPECT_EQ(edit->echoMode(), QLineEdit::Password);
  const QString shown = edit->displayText();
  EXPECT_EQ(shown.size(), 2);
  EXPECT_FALSE(shown.contains('A') || shown.contains('9')) << shown.toStdString();
  EXPECT_EQ(keyboard.GetInputText(), "A9");
}

TEST_F(KeyBoardTest, PhysicalTypingCountsAndEnterOrEscEndTheRun) {
  KeyBoardDlg keyboard("", 0);
  auto* edit = keyboard.findChild<QLineEdit*>("1030");
  int result = RunModal(keyboard, [&] {
    SendKey(edit, Qt::Key_X, "x");
    Press(keyboard, "2");
    SendKey(edit, Qt::Key_Return);
  });
  EXPECT_EQ(result, QDialog::Accepted);
  EXPECT_EQ(keyboard.GetInputText(), "x2");

  KeyBoardDlg cancelled("KEEP", 0);
  result = RunModal(cancelled, [&] { SendKey(cancelled.findChild<QLineEdit*>("1030"), Qt::Key_Escape); });
  EXPECT_EQ(result, QDialog::Rejected);
}

TEST_F(KeyBoardTest, NumberPadAppendsDigitsAndOkOrCancelEndsIt) {
  KeyBoardNumDlg pad;
  int result = RunModal(pad, [&] {
    for (const char* key : {"1", "0", ".", "5", "OK"}) Press(pad, key);
  });
  EXPECT_EQ(result, QDialog::Accepted);
  EXPECT_EQ(pad.GetInputText(), "10.5");

  KeyBoardNumDlg cancelled;
  result = RunModal(cancelled, [&] { Press(cancelled, "Cancel"); });
  EXPECT_EQ(result, QDialog::Rejected);
}

TEST_F(KeyBoardTest, Screenshots) {
  KeyBoardDlg keyboard("LOT2026", 0);
  keyboard.resize(keyboard.sizeHint());
  EXPECT_FALSE(qrv::test::SaveScreenshot(keyboard, "keyboard").empty());
  KeyBoardNumDlg pad;
  EXPECT_FALSE(qrv::test::SaveScreenshot(pad, "keyboard_number").empty());
}

}  // namespace
