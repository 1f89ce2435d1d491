// Test tools of a headless station run, linked only into the test build of the program: QRV_TEST_COMMANDS
// sends ';'-separated handler command texts to the site panel once it is up; QRV_TEST_SCREENSHOT names a
// PNG file that receives a picture of the main window and the panel once the started sites have finished,
// after which the state of every site is reported on standard error and the station exits; QRV_EXIT_AFTER_MS
// closes the main window after that many milliseconds, as a confirmed exit. QRV_TEST_RUN_SCREENSHOT names a PNG
// of the screen (QRV_TEST_SCREEN_SIZE, "1920x1080" when not given) taken in the middle of a run: once every site
// has tested and shows a frame in its view while two or more sites show the Testing picture, with the state every
// site shows; the station runs on. QRV_TEST_FINISH
// makes every passing test end in "Finish".
#include <QApplication>
#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QSize>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <set>
#include <utility>

#include "BaseDraw.h"
#include "DynamicDlg.h"
#include "FontStatic.h"
#include "QRVBaseDlg.h"
#include "SiteCtrl.h"
#include "StaticImage.h"
#include "Util.h"
#include "QRV_Messages.h"
#include "port/text.h"
#include "port/window_message.h"
#include "qrv_test/screenshot.h"

namespace {

constexpr int kPollMs = 200;
constexpr int kFirstPictureId = 2008;

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

void StartStationTestTools(QWidget& mainWindow, DynamicDlg& panel, std::function<void()> requestExit) {
  const char* commands = std::getenv("QRV_TEST_COMMANDS");
  const char* screenshot = std::getenv("QRV_TEST_SCREENSHOT");
  if ((commands == nullptr || *commands == '\0') && (screenshot == nullptr || *screenshot == '\0')) return;

  auto started = std::make_shared<std::set<int>>();
  const QStringList texts = QString::fromUtf8(commands != nullptr ? commands : "").split(';', Qt::SkipEmptyParts);
  for (const QString& text : texts) {
    const std::string command = text.toStdString();
    port::SendMessage(&panel, kWmProtocolCommand, reinterpret_cast<std::uintptr_t>(command.c_str()), 0);
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

// Whether the site's view shows a picture rather than an empty surface.
bool ViewShowsFrame(CQRVBaseDlg& window, int site) {
  CBaseDraw* view = window.SiteView(site);
  if (view == nullptr) return false;
  const std::lock_guard lock(view->Surface()->Mutex());
  const QImage& image = view->Surface()->Image();
  if (image.isNull()) return false;
  std::set<QRgb> colours;
  for (int x = 0; x < image.width(); x += 4) colours.insert(image.pixel(x, image.height() / 2));
  return colours.size() > 8;
}

void StartRunScreenshot(CQRVBaseDlg& window, DynamicDlg& panel) {
  if (std::getenv("QRV_TEST_FINISH") != nullptr) panel.SetFinishAfterPass();
  const char* file = std::getenv("QRV_TEST_RUN_SCREENSHOT");
  if (file == nullptr || *file == '\0') return;
  QSize screen(1920, 1080);
  if (const char* size = std::getenv("QRV_TEST_SCREEN_SIZE")) {
    const QStringList parts = QString::fromUtf8(size).split('x');
    if (parts.size() == 2) screen = QSize(parts[0].toInt(), parts[1].toInt());
  }
  auto* poll = new QTimer(&window);
  QPointer<DynamicDlg> guard(&panel);
  const std::string path = file;
  QObject::connect(poll, &QTimer::timeout, &window, [&window, guard, poll, path, screen] {
    if (guard.isNull() || guard->IsDestroyed()) return poll->stop();
    DynamicDlg& panel = *guard;
    // What the screen shows now: the widgets change only on this thread, so the picture shows the same.
    std::string states;
    int testing = 0;
    for (int site = 0; site < panel.SiteCount(); ++site) {
      const CTestThread* runner = panel.Runner(site);
      const auto* picture = panel.findChild<CStaticImage*>(QString::number(kFirstPictureId + site));
      if (runner == nullptr || runner->RunCount() == 0 || picture == nullptr || !ViewShowsFrame(window, site)) return;
      testing += picture->StateIndex() == 1 ? 1 : 0;
      states += port::Format("QRV test run state: site %c label=%s picture=%d frame=1\n", 'A' + site,
                             panel.ResultLabel(site)->text().toUtf8().constData(), picture->StateIndex());
    }
    if (testing < 2) return;
    poll->stop();
    const bool saved = qrv::test::SaveScreenPicture(path, screen, {&window, &panel});
    std::fprintf(stderr, "QRV test run screenshot %s: %s\n%s", saved ? "saved" : "failed", path.c_str(), states.c_str());
  });
  poll->start(kPollMs / 4);
}

// The main window once it shows its site panel.
CQRVBaseDlg* ShownMainWindow() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    auto* window = qobject_cast<CQRVBaseDlg*>(widget);
    if (window != nullptr && window->isVisible() && window->SitePanel() != nullptr) return window;
  }
  return nullptr;
}

void ScheduleTestExit(CQRVBaseDlg& window) {
  const char* text = std::getenv("QRV_EXIT_AFTER_MS");
  if (!text || !*text) return;
  QTimer::singleShot(std::max(0, std::atoi(text)), &window, [&window] { window.RequestExit(); });
}

void WaitForMainWindow() {
  auto* wait = new QTimer(QCoreApplication::instance());
  QObject::connect(wait, &QTimer::timeout, wait, [wait] {
    CQRVBaseDlg* window = ShownMainWindow();
    if (window == nullptr) return;
    wait->deleteLater();
    ScheduleTestExit(*window);
    StartRunScreenshot(*window, *window->SitePanel());
    StartStationTestTools(*window, *window->SitePanel(), [window] { window->RequestExit(); });
  });
  wait->start(kPollMs);
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(WaitForMainWindow)
