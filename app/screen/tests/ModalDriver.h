#pragma once
// Drives a modal dialog from inside its exec(), as an operator would: the action runs once a new dialog is
// the active modal window. A dialog the action leaves open is closed afterwards without its own Cancel
// handling, so a failed expectation never leaves a test waiting.
#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <memory>

namespace qrv::test {

class ModalWatch {
 public:
  // Acts on the first modal dialog that opens while the watch lives.
  explicit ModalWatch(std::function<void(QDialog&)> act) : m_timer(std::make_unique<QTimer>()) {
    const QPointer<QWidget> before = QApplication::activeModalWidget();
    m_timer->setInterval(5);
    QObject::connect(m_timer.get(), &QTimer::timeout, [this, before, act = std::move(act)] {
      auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      if (dialog == nullptr || dialog == before) return;
      m_timer->stop();
      m_acted = true;
      act(*dialog);
      if (dialog->isVisible()) dialog->done(QDialog::Rejected);
    });
    m_timer->start();
  }
  bool Acted() const { return m_acted; }

 private:
  std::unique_ptr<QTimer> m_timer;
  bool m_acted = false;
};

// The same for a dialog that a call of the test opens: the watch ends with the first dialog it acted on.
inline void OnNextModal(std::function<void(QDialog&)> act) {
  auto watch = std::make_shared<std::unique_ptr<ModalWatch>>();
  *watch = std::make_unique<ModalWatch>([watch, act = std::move(act)](QDialog& dialog) {
    act(dialog);
    if (dialog.isVisible()) dialog.done(QDialog::Rejected);
    QTimer::singleShot(0, [watch] { watch->reset(); });
  });
}

}  // namespace qrv::test
