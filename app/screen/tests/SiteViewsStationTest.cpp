// The site views and the panel's view commands over a running station: the pixel inspector and panning on a
// known frame, the zoom slider's drag, the tab view of draw mode 3 and its follower, the item lists' commands
// and the keys Enter and Esc while the keypad commands are on.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTabBar>
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "BaseDraw.h"
#include "FontStatic.h"
#include "QRVBaseDlg.h"
#include "QRV_InterFace_SW.h"
#include "SiteCtrl.h"
#include "SitePanelFixture.h"
#include "StaticImage.h"
#include "TestRunFixture.h"
#include "port/ini.h"
#include "port/module.h"
#include "port/ui_thread.h"
#include "qrv_test/screenshot.h"

namespace {

void Mouse(QWidget& widget, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons) {
  QMouseEvent event(type, QPointF(at), widget.mapToGlobal(QPointF(at)), button, buttons, Qt::NoModifier);
  QCoreApplication::sendEvent(&widget, &event);
}

void Drag(QWidget& widget, QPoint from, QPoint to) {
  Mouse(widget, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
  Mouse(widget, QEvent::MouseMove, (from + to) / 2, Qt::NoButton, Qt::LeftButton);
  Mouse(widget, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
  Mouse(widget, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
}

QRect SliderHandle(const QSlider& slider) {
  QStyleOptionSlider option;
  option.initFrom(&slider);
  option.orientation = slider.orientation();
  option.minimum = slider.minimum();
  option.maximum = slider.maximum();
  option.sliderPosition = slider.sliderPosition();
  option.sliderValue = slider.value();
  option.singleStep = slider.singleStep();
  option.pageStep = slider.pageStep();
  if (slider.orientation() == Qt::Horizontal) option.state |= QStyle::State_Horizontal;
  return slider.style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, &slider);
}

QWidget* SoftwareSpecWindow() {
  for (QWidget* window : QApplication::topLevelWidgets())
    if (window->windowTitle() == "Software Spec") return window;
  return nullptr;
}

QString InspectorText(const char* id) {
  QWidget* window = SoftwareSpecWindow();
  const QLabel* label = window != nullptr ? window->findChild<QLabel*>(id) : nullptr;
  return label != nullptr ? label->text() : QString("<no %1>").arg(id);
}

// Shown as far as the panel is concerned (the panel itself may not be on screen).
bool Shown(const QWidget* widget) { return widget != nullptr && !widget->isHidden(); }

QWidget* PanelControl(DynamicDlg& panel, int id) { return panel.findChild<QWidget*>(QString::number(id)); }

// Shows the window and lets every view run its first paint.
void ShowAndPaint(SitePanelStation& station, CQRVBaseDlg& window) {
  window.show();
  ASSERT_TRUE(station.WaitFor([&] {
    window.repaint();
    for (int site = 0; site < window.ViewCount(); ++site)
      if (!window.SiteView(site)->isHidden() && !window.SiteView(site)->FirstPaintDone()) return false;
    return true;
  }));
  station.WaitFor([] { return false; }, std::chrono::milliseconds(100));
}

// A frame whose pixel (x, y), counted from the top, is red x, green y, blue 77; rows stored bottom-up.
std::vector<std::uint8_t> GradientFrame(int width, int height) {
  std::vector<std::uint8_t> frame(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = &frame[static_cast<std::size_t>(height - 1 - y) * static_cast<std::size_t>(width) * 3];
    for (int x = 0; x < width; ++x) {
      row[3 * x] = 77;
      row[3 * x + 1] = static_cast<std::uint8_t>(y % 256);
      row[3 * x + 2] = static_cast<std::uint8_t>(x % 256);
    }
  }
  return frame;
}

// Four sites, each running TestItemA, shown one at a time (draw mode 3).
void SetUpTabView(SitePanelStation& station) {
  station.WriteConfig("DRAW", "draw", "3");
  station.RegisterItems(4, {"TestItemA.dll"});
}

int g_usbId = 0;
int TestUsbId() { return g_usbId; }

}  // namespace

TEST(SiteViewsTest, InspectorReportsThePixelUnderTheCursorAndAZoomedViewPansByDrag) {
  SitePanelStation station("1", "1");
  CQRVBaseDlg window;
  ShowAndPaint(station, window);
  DynamicDlg& panel = *window.SitePanel();
  CBaseDraw& view = *window.SiteView(0);
  const CInterFace_SW* sw = panel.m_pInterFaceSW;
  ASSERT_NE(sw, nullptr);
  const int width = view.width(), height = view.height();
  ASSERT_GT(width, 300);
  ASSERT_GT(height, 200);
  const std::vector<std::uint8_t> frame = GradientFrame(width, height);
  sw->InDrawImage(0, frame.data(), width, height);
  sw->OutDrawImage(0);
  {
    const std::lock_guard lock(view.Surface()->Mutex());
    EXPECT_EQ(view.Surface()->Image().pixelColor(40, 30), QColor(40, 30, 77)) << "the frame is in the view";
  }
  const auto specDialog = port::FindFunction<void (*)()>(sw->m_hSoftware, "OnSpecDlg");
  ASSERT_NE(specDialog, nullptr);
  specDialog();
  ASSERT_NE(SoftwareSpecWindow(), nullptr);
  const auto hover = [&](QPoint at) { Mouse(view, QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton); };

  hover(QPoint(40, 30));
  EXPECT_EQ(InspectorText("10017"), "#281E4D");
  EXPECT_EQ(InspectorText("10016"), "X: 40, Y : 30");
  EXPECT_EQ(InspectorText("10013"), "40");
  EXPECT_EQ(InspectorText("10014"), "30");
  EXPECT_EQ(InspectorText("10015"), "77");

  // At 100 % a drag does not pan.
  Drag(view, QPoint(100, 100), QPoint(80, 90));
  hover(QPoint(40, 30));
  EXPECT_EQ(InspectorText("10016"), "X: 40, Y : 30");

  // At 200 % the cursor covers half the frame; dragging 20 left and 10 up moves the picture with the mouse.
  window.SetViewZoom(200);
  panel.ShowZoom(200);
  const int x = 40 * (width / 2) / width, y = 30 * (height / 2) / height;
  hover(QPoint(40, 30));
  EXPECT_EQ(InspectorText("10016"), QString("X: %1, Y : %2").arg(x).arg(y));
  Drag(view, QPoint(100, 100), QPoint(80, 90));
  hover(QPoint(40, 30));
  EXPECT_EQ(InspectorText("10016"), QString("X: %1, Y : %2").arg(x + 20).arg(y + 10));
  EXPECT_EQ(InspectorText("10013"), QString::number(x + 20));
  EXPECT_EQ(InspectorText("10014"), QString::number(y + 10));
  qrv::test::SaveScreenshot(*SoftwareSpecWindow(), "pixel_inspector_over_site_view");
  qrv::test::SaveScreenshot(window, "site_view_zoomed_and_panned");

  // With the zoom slider hidden in the layout, no drag pans.
  port::ini::WriteString(station.ModelFile("Controller.ini"), "USER_INTERFACE", "ZOOM_SLIDER", "0.5.155.500.180");
  Drag(view, QPoint(100, 100), QPoint(60, 60));
  hover(QPoint(40, 30));
  EXPECT_EQ(InspectorText("10016"), QString("X: %1, Y : %2").arg(x + 20).arg(y + 10));
  window.RequestExit();
  port::ui::SetClosing(false);
}

TEST(SiteViewsTest, DraggingTheZoomSliderZoomsTheViewsAsItGoes) {
  SitePanelStation station("2", "2");
  CQRVBaseDlg window;
  ShowAndPaint(station, window);
  DynamicDlg& panel = *window.SitePanel();
  QSlider& slider = *panel.ZoomSlider();
  ASSERT_TRUE(Shown(&slider));
  ASSERT_GT(slider.width(), 100);
  EXPECT_EQ(panel.ZoomText()->text(), "100%");

  const QPoint grip = SliderHandle(slider).center();
  Mouse(slider, QEvent::MouseButtonPress, grip, Qt::LeftButton, Qt::LeftButton);
  std::vector<int> seen;
  for (int step = 1; step <= 4; ++step) {
    Mouse(slider, QEvent::MouseMove, grip + QPoint(step * slider.width() / 10, 0), Qt::NoButton, Qt::LeftButton);
    seen.push_back(window.Zoom());
    EXPECT_EQ(panel.ZoomText()->text(), QString::number(slider.value() + 100) + "%") << step;
  }
  Mouse(slider, QEvent::MouseButtonRelease, grip + QPoint(4 * slider.width() / 10, 0), Qt::LeftButton, Qt::NoButton);
  EXPECT_GT(slider.value(), 20);
  EXPECT_EQ(window.Zoom(), slider.value() + 100);
  for (std::size_t i = 1; i < seen.size(); ++i) EXPECT_GT(seen[i], seen[i - 1]) << "the zoom follows the drag";
  qrv::test::SaveScreenshot(panel, "site_panel_zoom_slider_dragged");

  // Once released, the slider no longer zooms by itself.
  const int zoom = window.Zoom();
  slider.setValue(5);
  EXPECT_EQ(window.Zoom(), zoom);
  window.RequestExit();
  port::ui::SetClosing(false);
}

TEST(SiteViewsTest, TabViewShowsOneSiteAtATime) {
  SitePanelStation station("4", "4");
  SetUpTabView(station);
  const std::string controller = station.ModelFile("Controller.ini");
  // Every start applies the user's layout ([USER_INIT]) to the working one.
  for (const char* section : {"USER_INTERFACE", "USER_INIT"}) {
    port::ini::WriteString(controller, section, "AVERAGE_DLL_B", "0.10.400.290.440");
    port::ini::WriteString(controller, section, "AVERAGE_DLL_C", "1.10.400.290.440");
  }
  CQRVBaseDlg window;
  ShowAndPaint(station, window);
  DynamicDlg& panel = *window.SitePanel();
  ASSERT_EQ(window.ViewCount(), 4);

  const auto expectOnly = [&](int shown) {
    for (int site = 0; site < 4; ++site) {
      const bool mine = site == shown;
      EXPECT_EQ(Shown(window.SiteView(site)), mine) << "view " << site << " with tab " << shown;
      EXPECT_EQ(window.SiteView(site)->geometry(), window.ImageArea()) << site;
      EXPECT_EQ(Shown(panel.ItemList(site)), mine) << "item list " << site;
      EXPECT_EQ(Shown(panel.ResultLabel(site)), mine) << "result label " << site;
      EXPECT_EQ(Shown(PanelControl(panel, 2008 + site)), mine) << "result picture " << site;
      if (!mine) {
        EXPECT_FALSE(Shown(PanelControl(panel, 2032 + site))) << "average label " << site;
      }
    }
  };
  panel.SiteTab()->setCurrentIndex(2);
  expectOnly(2);
  EXPECT_TRUE(Shown(PanelControl(panel, 2034))) << "C's item-time average is shown by its layout entry";
  panel.SiteTab()->setCurrentIndex(1);
  expectOnly(1);
  EXPECT_FALSE(Shown(PanelControl(panel, 2033))) << "B's item-time average is hidden by its layout entry";
  // B's frame in B's view: the view shown is the site the tab shows, labelled once it has been painted.
  ASSERT_TRUE(station.WaitFor([&] {
    window.repaint();
    return window.SiteView(1)->FirstPaintDone();
  }));
  station.WaitFor([] { return false; }, std::chrono::milliseconds(100));
  const std::vector<std::uint8_t> frame = GradientFrame(640, 480);
  panel.m_pInterFaceSW->InDrawImage(1, frame.data(), 640, 480);
  panel.m_pInterFaceSW->OutDrawImage(1);
  qrv::test::SaveScreenshot(panel, "site_panel_tab_view_site_b");
  qrv::test::SaveScreenshot(window, "main_window_tab_view_site_b");

  // Enlarging B and restoring it shows every view again over the image area; the panel keeps B's controls.
  CBaseDraw& viewB = *window.SiteView(1);
  Mouse(viewB, QEvent::MouseButtonDblClick, QPoint(20, 20), Qt::LeftButton, Qt::LeftButton);
  ASSERT_TRUE(window.IsEnlarged());
  Mouse(viewB, QEvent::MouseButtonDblClick, QPoint(20, 20), Qt::LeftButton, Qt::LeftButton);
  ASSERT_FALSE(window.IsEnlarged());
  station.WaitFor([] { return false; }, std::chrono::milliseconds(100));
  for (int site = 0; site < 4; ++site) {
    EXPECT_TRUE(Shown(window.SiteView(site))) << "view " << site;
    EXPECT_EQ(window.SiteView(site)->geometry(), window.ImageArea()) << site;
    EXPECT_EQ(Shown(panel.ItemList(site)), site == 1) << "item list " << site;
  }
  window.RequestExit();
  port::ui::SetClosing(false);
}

// The tab view starts with site A's view; the panel starts on site A's controls only when the sites share one
// device, and otherwise shows every site's controls as the layout places them.
TEST(SiteViewsTest, TabViewStartsOnSiteAsControlsOnlyWithOneSharedDevice) {
  const struct {
    const char* para;
    bool onlySiteA;
  } cases[] = {{"1", true}, {"4", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.para);
    SitePanelStation station("4", c.para);
    SetUpTabView(station);
    CQRVBaseDlg window;
    ShowAndPaint(station, window);
    DynamicDlg& panel = *window.SitePanel();
    ASSERT_EQ(panel.SiteTab()->currentIndex(), 0);
    for (int site = 0; site < 4; ++site) {
      EXPECT_EQ(Shown(window.SiteView(site)), site == 0) << "view " << site;
      EXPECT_EQ(Shown(panel.ItemList(site)), site == 0 || !c.onlySiteA) << "item list " << site;
      EXPECT_EQ(Shown(panel.ResultLabel(site)), site == 0 || !c.onlySiteA) << "result label " << site;
    }
    window.RequestExit();
    port::ui::SetClosing(false);
  }
}

// A run started from anywhere (here the panel's own start of one site) brings its site's view to the front.
TEST(SiteViewsTest, TabViewShowsTheViewOfTheSiteThatStartsARun) {
  SitePanelStation station("4", "4");
  SetUpTabView(station);
  CQRVBaseDlg window;
  ShowAndPaint(station, window);
  DynamicDlg& panel = *window.SitePanel();
  ASSERT_TRUE(Shown(window.SiteView(0)));
  for (const int site : {2, 1}) {
    SCOPED_TRACE(site);
    ASSERT_EQ(panel.StartSite(site, site, 0), 0);
    ASSERT_TRUE(station.WaitFor([&] { return Shown(window.SiteView(site)); }));
    for (int other = 0; other < 4; ++other)
      EXPECT_EQ(Shown(window.SiteView(other)), other == site) << "view " << other;
    ASSERT_TRUE(station.WaitFor([&] { return !panel.Runner(site)->IsRunning(); }));
  }
  qrv::test::SaveScreenshot(window, "main_window_tab_view_after_site_b_run");
  window.RequestExit();
  port::ui::SetClosing(false);
}

TEST(SiteViewsTest, TabFollowerSelectsTheSharedDevicesSiteWhenItExists) {
  SitePanelStation station("4", "1");
  station.WriteConfig("DRAW", "draw", "3");
  CQRVBaseDlg window;
  ShowAndPaint(station, window);
  DynamicDlg& panel = *window.SitePanel();
  panel.GetUSBID = &TestUsbId;
  g_usbId = 2;
  panel.TabFollowPass();
  ASSERT_TRUE(station.WaitFor([&] { return panel.SiteTab()->currentIndex() == 2; }));
  EXPECT_TRUE(Shown(window.SiteView(2)));
  EXPECT_FALSE(Shown(window.SiteView(0)));
  EXPECT_TRUE(Shown(panel.ItemList(2)));
  EXPECT_FALSE(Shown(panel.ItemList(0)));

  g_usbId = 4;  // no such site: nothing changes
  panel.TabFollowPass();
  station.WaitFor([] { return false; }, std::chrono::milliseconds(100));
  EXPECT_EQ(panel.SiteTab()->currentIndex(), 2);
  EXPECT_TRUE(Shown(window.SiteView(2)));
  panel.GetUSBID = nullptr;
  window.RequestExit();
  port::ui::SetClosing(false);
}

TEST(SiteViewsTest, ItemListCommandsWorkInTheStation) {
  SitePanelStation station("2", "2");
  station.RegisterItems(2, {"TestItemA.dll", "TestItemB.dll"});
  CQRVBaseDlg window;
  ShowAndPaint(station, window);
  DynamicDlg& panel = *window.SitePanel();
  CSiteCtrl& list = *panel.ItemList(1);
  ASSERT_EQ(list.GetItemCount(), 2);
  const std::unique_ptr<QMenu> menu = list.CreateItemMenu();
  ASSERT_EQ(menu->actions().size(), 4);
  for (const QAction* action : menu->actions()) EXPECT_TRUE(action->isEnabled()) << action->text().toStdString();

  // "Before Image": site B's view shows the picture its last run captured for the selected row's item.
  const std::string item = list.GetItemText(1, CSiteCtrl::kColItem).toStdString();
  ASSERT_FALSE(item.empty());
  std::filesystem::create_directories(station.Root() + "/Image capture/1");
  QImage picture(160, 120, QImage::Format_RGB32);
  picture.fill(QColor(0, 0, 255));
  ASSERT_TRUE(picture.save(QString::fromStdString(station.Root() + "/Image capture/1/" + item + ".jpg"), "JPG"));
  list.SetSelectionMark(1);
  menu->actions()[1]->trigger();
  CBaseDraw& view = *window.SiteView(1);
  EXPECT_TRUE(view.CapturedImage());
  EXPECT_EQ(view.CaptureName(), item);
  {
    const std::lock_guard lock(view.Surface()->Mutex());
    const QColor centre = view.Surface()->Image().pixelColor(view.width() / 2, view.height() / 2);
    EXPECT_LT(centre.red(), 30);
    EXPECT_GT(centre.blue(), 220);
  }
  // The picture stays through a redraw, until a run of the site starts.
  window.SetViewZoom(100);
  {
    const std::lock_guard lock(view.Surface()->Mutex());
    EXPECT_GT(view.Surface()->Image().pixelColor(view.width() / 2, view.height() / 2).blue(), 220);
  }
  qrv::test::SaveScreenshot(window, "main_window_before_image_site_b");

  // "Site Test" runs site B once.
  menu->actions()[2]->trigger();
  ASSERT_TRUE(station.WaitFor([&] { return panel.Runner(1)->RunCount() == 1; }));
  EXPECT_EQ(panel.Runner(0)->RunCount(), 0);
  ASSERT_TRUE(station.WaitFor([&] { return !panel.Runner(1)->IsRunning(); }));
  EXPECT_FALSE(view.CapturedImage()) << "the run takes the view back to the live image";
  window.RequestExit();
  port::ui::SetClosing(false);
}

TEST(SiteViewsTest, EnterAndEscGoToTheFocusedControlWhileTheKeypadIsOn) {
  for (const char* keyUse : {"1", "0"}) {
    SitePanelStation station("1", "1");
    station.WriteConfig("COMMUNICATION", "KEY_USE", keyUse);
    DynamicDlg& panel = station.StartPanel();
    panel.show();
    auto* field = new QLineEdit(&panel);
    int entered = 0;
    QObject::connect(field, &QLineEdit::returnPressed, [&] { ++entered; });
    auto* defaultButton = new QPushButton("default", &panel);
    defaultButton->setDefault(true);
    defaultButton->show();
    int clicked = 0;
    QObject::connect(defaultButton, &QPushButton::clicked, [&] { ++clicked; });

    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(field, &enter);
    EXPECT_EQ(entered, 1) << "KEY_USE " << keyUse << ": the field has the key";
    QKeyEvent enterOnPanel(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(&panel, &enterOnPanel);
    if (std::string(keyUse) == "1") {
      EXPECT_EQ(clicked, 0) << "Enter never presses the panel's default button";
    } else {
      EXPECT_GT(clicked, 0) << "without the keypad, Enter is the dialog's";
    }
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(&panel, &escape);
    EXPECT_FALSE(panel.IsDestroyed());
  }
}

TEST(SiteViewsTest, StartsAfterFreeLibraryLoadTheItemsAgainFirst) {
  SitePanelStation station("2", "2");
  station.RegisterItems(2, {"TestItemA.dll"});
  DynamicDlg& panel = station.StartPanel();
  ASSERT_TRUE(panel.AllItemsLoaded());
  ASSERT_TRUE(panel.FreeLibrary());
  EXPECT_FALSE(panel.AllItemsLoaded());
  panel.StartButton()->click();
  ASSERT_TRUE(station.WaitFor([&] { return station.CountCalls("SendStatus") == 2; }));
  EXPECT_TRUE(panel.AllItemsLoaded());
  const std::vector<std::string> calls = station.ProtocolCalls();
  EXPECT_EQ(std::count_if(calls.begin(), calls.end(),
                          [](const std::string& call) { return call.rfind("SendResultCode", 0) == 0 &&
                                                               call.find("PASS") != std::string::npos; }),
            2)
      << "both sites ran their items, none refused them";

  ASSERT_TRUE(panel.FreeLibrary());
  EXPECT_EQ(panel.StartSite(1, 1, 0), 0);
  ASSERT_TRUE(station.WaitFor([&] { return station.CountCalls("SendStatus") == 3; }));
  EXPECT_TRUE(panel.AllItemsLoaded());
}

namespace {

// Whether a pixel of site A's information picture is written on (its paper is white).
bool Inked(const QColor& pixel) { return pixel.red() < 160 || pixel.green() < 160 || pixel.blue() < 160; }

}  // namespace

// Site A shows the platform's information lines until its first frame: readable at every layout, and whole
// where the view is wide enough for them at a readable size; a narrower view cuts the ends of the longest.
TEST(SiteViewsTest, PlatformInformationIsReadableInSiteAsViewAtEveryLayout) {
  const struct {
    const char* sites;
    const char* drawMode;
    bool whole;
  } layouts[] = {{"8", "0", false}, {"4", "0", false}, {"2", "0", true}, {"1", "0", true}, {"4", "3", true}};
  // The ink of a line of 12-pixel text, capitals to descenders.
  constexpr int kLegibleInkRows = 9;
  for (const auto& layout : layouts) {
    SCOPED_TRACE(testing::Message() << layout.sites << " sites, draw mode " << layout.drawMode);
    SitePanelStation station(layout.sites, "1");
    station.WriteConfig("DRAW", "draw", layout.drawMode);
    CQRVBaseDlg window;
    ShowAndPaint(station, window);
    CBaseDraw& view = *window.SiteView(0);
    QImage picture;
    {
      const std::lock_guard lock(view.Surface()->Mutex());
      picture = view.Surface()->Image().copy();
    }
    ASSERT_EQ(picture.size(), view.size());
    int inked = 0, lowest = 0, firstLineTop = -1, firstLineRows = 0;
    for (int y = 0; y < picture.height(); ++y) {
      bool rowInked = false;
      for (int x = 0; x < picture.width(); ++x) {
        if (!Inked(picture.pixelColor(x, y))) continue;
        ++inked;
        lowest = y;
        rowInked = true;
        if (layout.whole) ASSERT_LT(x, picture.width() - 3) << "a line runs into the right edge at row " << y;
        ASSERT_LT(y, picture.height() - 3) << "a line runs into the bottom edge at column " << x;
      }
      if (rowInked && firstLineTop < 0) firstLineTop = y;
      if (!rowInked && firstLineTop >= 0 && firstLineRows == 0) firstLineRows = y - firstLineTop;
    }
    EXPECT_GE(firstLineRows, kLegibleInkRows) << "the lines are shrunk beyond reading";
    EXPECT_GT(inked, 500) << "the lines are there";
    EXPECT_GT(inked, picture.width() * picture.height() / 1000) << "the lines are not shrunk away";

    // A judgement and the site letter keep clear of the lines.
    view.SetSiteLabelSwitch(true);
    window.SitePanel()->DrawSiteLabel(0);
    view.DrawResultText(5, "Dll path FAIL");
    const SiteOverlayLayout overlays = view.OverlayLayout();
    for (const OverlayText* text : {&overlays.label, &overlays.headline, &overlays.detail}) {
      EXPECT_FALSE(text->box.isEmpty()) << text->text.toStdString();
      EXPECT_GT(text->box.top(), lowest) << text->text.toStdString() << " covers the lines";
    }
    station.WaitFor([] { return false; }, std::chrono::milliseconds(100));
    qrv::test::SaveScreenshot(window, std::string("main_window_platform_information_") + layout.sites + "_sites_mode_" +
                                          layout.drawMode);
    window.RequestExit();
    port::ui::SetClosing(false);
  }
}

// After the sites have run, each tab of the tab view shows its site's own time and averages, as the panels of
// the other layouts do.
TEST(SiteViewsTest, TabViewShowsEachSitesTimeAndAveragesAfterItsRuns) {
  SitePanelStation station("4", "4");
  SetUpTabView(station);
  CQRVBaseDlg window;
  ShowAndPaint(station, window);
  DynamicDlg& panel = *window.SitePanel();
  for (int site = 0; site < 4; ++site) ASSERT_EQ(panel.StartSite(site, site, 0), 0);
  ASSERT_TRUE(station.WaitFor([&] { return station.CountCalls("SendStatus") == 4; }));
  const auto text = [&](int id) {
    const auto* label = qobject_cast<const QLabel*>(PanelControl(panel, id));
    return label != nullptr ? label->text().toStdString() : std::string("<none>");
  };
  for (const int site : {1, 3, 0}) {
    SCOPED_TRACE(site);
    panel.SiteTab()->setCurrentIndex(site);
    ASSERT_TRUE(station.WaitFor([&] { return text(2024 + site).rfind("Now\n", 0) == 0; }))
        << "time label reads " << text(2024 + site);
    for (const int id : {2024, 2032, 2040}) EXPECT_TRUE(Shown(PanelControl(panel, id + site))) << id + site;
    const std::string average = std::string("Average_") + static_cast<char>('A' + site) + "\n";
    EXPECT_EQ(text(2032 + site).rfind(average, 0), 0u) << text(2032 + site);
    EXPECT_EQ(text(2040 + site).rfind(average, 0), 0u) << text(2040 + site);
    if (site == 1) qrv::test::SaveScreenshot(panel, "site_panel_tab_view_site_b_after_runs");
  }
  window.RequestExit();
  port::ui::SetClosing(false);
}
