#include "port/message_box.h"

#include <QApplication>
#include <QMessageBox>
#include <QString>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>

#include "port/ui_thread.h"

namespace port {
namespace {

std::mutex recordMutex;
std::vector<ShownMessageBox> shown;
std::deque<int> scriptedAnswers;

unsigned Buttons(unsigned type) { return type & 0x0Fu; }
unsigned Icon(unsigned type) { return type & 0xF0u; }

int DefaultAnswer(unsigned type) {
  const unsigned buttons = Buttons(type);
  return buttons == kMbYesNo || buttons == kMbYesNoCancel ? kIdYes : kIdOk;
}

int HeadlessAnswer(const std::string& text, const std::string& caption, unsigned type) {
  std::fprintf(stderr, "[%s] %s\n", caption.c_str(), text.c_str());
  const std::lock_guard lock(recordMutex);
  if (scriptedAnswers.empty()) return DefaultAnswer(type);
  const int answer = scriptedAnswers.front();
  scriptedAnswers.pop_front();
  return answer;
}

QMessageBox::StandardButtons StandardButtons(unsigned type) {
  switch (Buttons(type)) {
    case kMbOkCancel:
      return QMessageBox::Ok | QMessageBox::Cancel;
    case kMbYesNoCancel:
      return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case kMbYesNo:
      return QMessageBox::Yes | QMessageBox::No;
    default:
      return QMessageBox::Ok;
  }
}

QMessageBox::Icon BoxIcon(unsigned type) {
  switch (Icon(type)) {
    case kMbIconError:
      return QMessageBox::Critical;
    case kMbIconQuestion:
      return QMessageBox::Question;
    case kMbIconWarning:
      return QMessageBox::Warning;
    case kMbIconInformation:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

int AnswerOf(int button) {
  switch (button) {
    case QMessageBox::Cancel:
      return kIdCancel;
    case QMessageBox::Yes:
      return kIdYes;
    case QMessageBox::No:
      return kIdNo;
    default:
      return kIdOk;
  }
}

// Runs on the UI thread only.
int ShowBox(const std::string& text, const std::string& caption, unsigned type) {
  QMessageBox box(BoxIcon(type), QString::fromStdString(caption), QString::fromStdString(text), StandardButtons(type),
                  QApplication::activeWindow());
  // Closing the box without a button gives Cancel where there is one, else the default answer.
  if (StandardButtons(type) & QMessageBox::Cancel) box.setEscapeButton(QMessageBox::Cancel);
  const int button = box.exec();
  return AnswerOf(button);
}

}  // namespace

bool IsHeadless() {
  const char* headless = std::getenv("QRV_HEADLESS");
  if (headless && std::strcmp(headless, "1") == 0) return true;
  return qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr;
}

int MessageBox(const std::string& text, const std::string& caption, unsigned type) {
  {
    const std::lock_guard lock(recordMutex);
    shown.push_back(ShownMessageBox{text, caption, type});
  }
  // A box can only be shown by the UI thread; without a way to reach it the run is effectively headless.
  if (IsHeadless() || (!ui::IsUiThread() && !ui::HasDispatcher())) return HeadlessAnswer(text, caption, type);
  if (ui::IsUiThread()) return ShowBox(text, caption, type);
  int answer = kIdCancel;
  if (!ui::Send([&] { answer = ShowBox(text, caption, type); })) return kIdCancel;
  return answer;
}

void QueueMessageBoxAnswer(int answer) {
  const std::lock_guard lock(recordMutex);
  scriptedAnswers.push_back(answer);
}

std::vector<ShownMessageBox> ShownMessageBoxes() {
  const std::lock_guard lock(recordMutex);
  return shown;
}

void ClearShownMessageBoxes() {
  const std::lock_guard lock(recordMutex);
  shown.clear();
}

}  // namespace port
