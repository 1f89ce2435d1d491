#include "DynamicDlgTestTools.h"

#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <set>
#include <utility>

#include "DynamicDlg.h"
#include "SiteCtrl.h"
#include "Util.h"
#include "port/window_message.h"

namespace {

constexpr int kPollMs = 200;

QPixmap Picture(QWidget& mainWindow, DynamicDlg& panel) {
  const QPixmap main = mainWindow.grab();
  const QPixmap side = panel.grab();
  QPixmap both(main.width() + side.width(), std::max(main.height(), side.height()));
  both.fill(Qt::white);
  QPainter painter(&both);
  painter.drawPixmap(0, 0, main);
  painter.drawPixmap(main.width(), 0, side);
  return both;
}

void ReportSites(DynamicDlg& panel) {
  for (int site = 0; site < panel.SiteCount(); ++site) {
    SiteModel* model = panel.Model(site);
    const CSiteCtrl* list = panel.ItemList(site);
    std::fprintf(stderr, "QRV test state: site %c label=%s picture=%d rows=%d listed=%d\n", 'A' + site,
                 model->Label().c_str(), model->Picture(), model->RowCount(),
                 list != nullptr ? list->GetItemCount() : -1);
  }
}

}  // namespace

void StartStationTestTools(QWidget& mainWindow, DynamicDlg& panel, std::function<void()> requestExit) {
  const char* commands = std::getenv("QRV_TEST_COMMANDS");
  const char* screenshot = std::getenv("QRV_TEST_SCREENSHOT");
  if ((commands == nullptr || *commands == '\0') && (screenshot == nullptr || *screenshot == '\0')) return;

  auto started = std::make_shared<std::set<int>>();
  const QStringList texts = QString::fromUtf8(commands != nullptr ? commands : "").split(';', Qt::SkipEmptyParts);
  for (const QString& text : texts) {
    const std::string command = text.toStdString();
    port::SendMessage(&panel, port::kWmProtocolCommand, reinterpret_cast<std::uintptr_t>(command.c_str()), 0);
    if (ExtractField(command, 0, ',').rfind("START", 0) == 0) started->insert(std::atoi(ExtractField(command, 1, ',').c_str()));
  }
  if (screenshot == nullptr || *screenshot == '\0') return;

  const QString file = QString::fromUtf8(screenshot);
  auto* poll = new QTimer(&mainWindow);
  auto settled = std::make_shared<bool>(false);
  QPointer<DynamicDlg> guard(&panel);
  QObject::connect(poll, &QTimer::timeout, &mainWindow, [&mainWindow, guard, started, settled, file, poll,
                                                         requestExit] {
    if (guard.isNull() || guard->IsDestroyed()) return poll->stop();
    DynamicDlg& panel = *guard;
    for (const int site : *started) {
      const CTestThread* runner = panel.Runner(site);
      if (runner != nullptr && (runner->RunCount() == 0 || runner->IsRunning())) return;
    }
    // One more tick, so that the screen has taken the last queued updates of the runs.
    if (!std::exchange(*settled, true)) return;
    poll->stop();
    const bool saved = Picture(mainWindow, panel).save(file, "PNG");
    std::fprintf(stderr, "QRV test screenshot %s: %s\n", saved ? "saved" : "failed", file.toUtf8().constData());
    std::fprintf(stderr, "QRV test title: %s\n", mainWindow.windowTitle().toUtf8().constData());
    ReportSites(panel);
    requestExit();
  });
  poll->start(kPollMs);
}
