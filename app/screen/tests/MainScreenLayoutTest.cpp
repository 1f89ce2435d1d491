// The site panel's layout over a station folder of its own: which key each control id stands for, where the
// controls go and whether they show, how the Controller.ini fonts style the labels, the texts of the
// information labels, and the handler link text.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTabBar>
#include <memory>
#include <vector>

#include "FontStatic.h"
#include "GridCtrl.h"
#include "MainScreenLayout.h"
#include "SiteCtrl.h"
#include "SiteModel.h"
#include "StaticImage.h"
#include "port/ini.h"
#include "qrv_test/file_text.h"
#include "qrv_test/station_folder.h"

namespace {

constexpr char kController[] = "Ref/M/Controller.ini";

// The control ids of the site panel, as the panel names its controls.
template <typename Widget>
Widget* Named(Widget* widget, int id) {
  widget->setObjectName(QString::number(id));
  return widget;
}

// A site panel's controls and the layout over them, for the sites of Config.ini.
class Panel {
 public:
  explicit Panel(int sites) {
    for (int site = 0; site < sites; ++site) m_models.push_back(std::make_unique<SiteModel>());
    m_controls.infoMsg = Named(new CFontStatic(&m_owner), 1205);
    m_controls.logo = Named(new CStaticImage(&m_owner), 1203);
    m_controls.resultImages = &m_pictures;
    m_controls.lotButton = Named(new QPushButton(&m_owner), 1204);
    m_controls.startButton = Named(new QPushButton(&m_owner), 1017);
    m_controls.siteTab = Named(new QTabBar(&m_owner), 1216);
    m_controls.resultLabels = &m_messages;
    m_controls.zoomSlider = Named(new QSlider(&m_owner), 1184);
    m_controls.zoomText = Named(new QLabel(&m_owner), 1206);
    m_controls.userMsg = Named(new CFontStatic(&m_owner), 1208);
    m_controls.itemLists = &m_lists;
    m_controls.firmwareVersion = Named(new CFontStatic(&m_owner), 1223);
    m_controls.yieldLists = &m_yields;
    m_controls.stopButton = Named(new QPushButton(&m_owner), 1229);
    m_controls.itemVersion = Named(new CFontStatic(&m_owner), 1230);
    m_controls.averageDll = &m_averageDll;
    m_controls.averageThread = &m_averageThread;
    m_controls.errorList = Named(new CGridCtrl(&m_owner), 1232);
    m_controls.timeLabels = &m_times;
  }

  MainScreenLayout& Start() {
    std::vector<SiteModel*> models;
    for (const auto& model : m_models) models.push_back(model.get());
    m_layout.SetOwner(&m_owner);
    m_layout.Init(m_controls, models);
    QCoreApplication::processEvents();
    return m_layout;
  }

  QWidget& Owner() { return m_owner; }
  const MainScreenLayout::Controls& Controls() const { return m_controls; }
  MainScreenLayout& Layout() { return m_layout; }
  SiteModel& Model(int site) { return *m_models[static_cast<std::size_t>(site)]; }
  QWidget* Control(int id) { return m_owner.findChild<QWidget*>(QString::number(id)); }
  CFontStatic* Label(int id) { return m_owner.findChild<CFontStatic*>(QString::number(id)); }

 private:
  QApplication& m_app = qrv::test::TestApplication();
  // The models outlive the item lists that show them.
  std::vector<std::unique_ptr<SiteModel>> m_models;
  QWidget m_owner;
  std::vector<CStaticImage*> m_pictures;
  std::vector<CFontStatic*> m_messages, m_averageDll, m_averageThread, m_times;
  std::vector<CSiteCtrl*> m_lists;
  std::vector<CGridCtrl*> m_yields;
  MainScreenLayout::Controls m_controls;
  MainScreenLayout m_layout;
};

constexpr std::uint32_t Rgb(int red, int green, int blue) {
  return static_cast<std::uint32_t>(red) | static_cast<std::uint32_t>(green) << 8 |
         static_cast<std::uint32_t>(blue) << 16;
}

}  // namespace

TEST(MainScreenLayoutTest, ControlIdsNameTheirKeysForTheConfiguredSitesOnly) {
  const struct {
    int id;
    int sites;
    const char* key;
  } cases[] = {{1205, 8, "INFORMATION_MSG"}, {1232, 1, "ERROR_LIST"}, {2010, 8, "TEST_STATE_C"},
               {2000, 1, "DLL_LIST_A"},       {2055, 8, "YIELD_LIST_H"}, {2042, 3, "AVERAGE_THREAD_C"},
               {2011, 3, ""},                  {2056, 8, ""},             {1999, 8, ""},
               {2019, 4, "ERROR_MSG_D"}};
  for (const auto& c : cases)
    EXPECT_EQ(MainScreenLayout::ControlKey(c.id, c.sites), c.key) << c.id << " with " << c.sites << " sites";
}

TEST(MainScreenLayoutTest, ADraggedControlIsStoredShownUnderItsKeyAndOnlyForConfiguredSites) {
  qrv::test::StationFolder station;
  Panel panel(3);
  MainScreenLayout& layout = panel.Start();
  layout.SaveControlRect(2010, QrvRect{10, 20, 110, 70});
  layout.SaveControlRect(1204, QrvRect{1, 2, 3, 4});
  layout.SaveControlRect(2011, QrvRect{5, 5, 50, 50});
  const std::string file = station.Path(kController);
  EXPECT_EQ(port::ini::ReadString(file, "USER_INTERFACE", "TEST_STATE_C", ""), "1.10.20.110.70");
  EXPECT_EQ(port::ini::ReadString(file, "USER_INTERFACE", "LOT_BUTTON", ""), "1.1.2.3.4");
  EXPECT_EQ(port::ini::ReadString(file, "USER_INTERFACE", "TEST_STATE_D", "missing"), "missing");
}

TEST(MainScreenLayoutTest, HiddenControlsAreMovedAndShowOnceSavedWhileItemListsShowRightAfterStart) {
  qrv::test::StationFolder station;
  station.Write(kController,
                "[USER_INTERFACE]\nUSER_MSG=0.10.10.200.60\nDLL_LIST_A=0.5.100.305.200\nSTART_BUTTON=1.1.2.101.42\n");
  Panel panel(1);
  MainScreenLayout& layout = panel.Start();
  QWidget* userMsg = panel.Control(1208);
  QWidget* list = panel.Control(2000);
  EXPECT_FALSE(userMsg->isVisibleTo(&panel.Owner()));
  EXPECT_EQ(userMsg->geometry(), QRect(10, 10, 190, 50));
  EXPECT_TRUE(list->isVisibleTo(&panel.Owner())) << "every item list shows right after the start";
  EXPECT_EQ(list->geometry(), QRect(5, 100, 300, 100));
  EXPECT_EQ(panel.Controls().startButton->geometry(), QRect(1, 2, 100, 40));
  EXPECT_FALSE(panel.Control(2008)->isVisibleTo(&panel.Owner())) << "a missing key hides its control";

  layout.ShowControls();
  EXPECT_FALSE(list->isVisibleTo(&panel.Owner()));
  layout.SaveControlRect(1208, QrvRect{10, 10, 200, 60});
  layout.ShowControls();
  EXPECT_TRUE(userMsg->isVisibleTo(&panel.Owner()));
}

TEST(MainScreenLayoutTest, OnlyTheConfiguredSitesGetControlsAndTabsCarryTheSiteNames) {
  qrv::test::StationFolder station;
  station.Write("Ref/M/Config.ini", "[SITE]\nsite=3\n[SITE_NAME]\n0=Left\n2=Right\n");
  Panel panel(3);
  panel.Start();
  ASSERT_EQ(panel.Controls().siteTab->count(), 3);
  EXPECT_EQ(panel.Controls().siteTab->tabText(0), "Left");
  EXPECT_EQ(panel.Controls().siteTab->tabText(1), "-1") << "a missing name shows as it reads";
  EXPECT_EQ(panel.Controls().siteTab->tabText(2), "Right");
  for (const int first : {2000, 2008, 2016, 2024, 2032, 2040, 2048}) {
    EXPECT_NE(panel.Control(first + 2), nullptr) << first;
    EXPECT_EQ(panel.Control(first + 3), nullptr) << first;
  }
}

TEST(MainScreenLayoutTest, FontEntriesGiveSizeColoursItalicAndBorder) {
  qrv::test::TestApplication();
  qrv::test::StationFolder station;
  station.Write(kController,
                "[USER_INIT]\nINFORMATION_MSG_FONT=15.242.230.97.128.65.217.1.1\n"
                "USER_MSG_FONT=20.300.0.0.0.256.0.0.0\n");
  CFontStatic styled, wrapped, missing;
  const struct {
    CFontStatic* label;
    const char* name;
    int size;
    std::uint32_t text;
    std::uint32_t back;
    bool italic;
    bool border;
  } cases[] = {{&styled, "INFORMATION_MSG", 15, Rgb(128, 65, 217), Rgb(242, 230, 97), true, true},
               {&wrapped, "USER_MSG", 20, Rgb(0, 0, 0), Rgb(44, 0, 0), false, false},
               {&missing, "ITEM_VERSION", 10, 0, 0, false, false}};
  for (const auto& c : cases) {
    MainScreenLayout::ApplyControlFont(c.label, "USER_INIT", c.name);
    EXPECT_EQ(c.label->LabelFont().pixelSize(), c.size) << c.name;
    EXPECT_EQ(c.label->TextColour(), c.text) << c.name;
    EXPECT_TRUE(c.label->HasBackColor()) << c.name;
    EXPECT_EQ(c.label->BackColour(), c.back) << c.name;
    EXPECT_EQ(c.label->LabelFont().italic(), c.italic) << c.name;
    EXPECT_EQ(c.label->LabelFont().weight(), QFont::Black) << c.name;
    EXPECT_EQ(c.label->frameShape() == QFrame::Box, c.border) << c.name;
  }
}

TEST(MainScreenLayoutTest, StylingOneSiteMessageChangesThatSiteOnly) {
  qrv::test::StationFolder station;
  station.Write(kController, "[USER_INIT]\nERROR_MSG_FONT=19.0.0.0.255.255.255.0.0\n"
                             "[USER_INTERFACE]\nERROR_MSG_FONT=30.0.0.0.255.0.0.0.0\n");
  Panel panel(4);
  MainScreenLayout& layout = panel.Start();
  layout.StyleSiteMessage("USER_INTERFACE", 2);
  for (int site = 0; site < 4; ++site) {
    const CFontStatic* label = panel.Label(2016 + site);
    EXPECT_EQ(label->LabelFont().pixelSize(), site == 2 ? 30 : 19) << site;
    EXPECT_EQ(label->TextColour(), site == 2 ? Rgb(255, 0, 0) : Rgb(255, 255, 255)) << site;
    EXPECT_EQ(label->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter) << site;
  }
}

TEST(MainScreenLayoutTest, EachSiteMessageShowsItsKeyUntilTheSitesFirstState) {
  qrv::test::StationFolder station;
  Panel panel(3);
  MainScreenLayout& layout = panel.Start();
  for (int site = 0; site < 3; ++site) {
    layout.RefreshSite(site);
    EXPECT_EQ(panel.Label(2016 + site)->text(), QString("ERROR_MSG_%1").arg(QChar('A' + site))) << site;
  }
  panel.Model(1).SetLabel("Testing...");
  panel.Model(2).SetLabel("");
  for (int site = 0; site < 3; ++site) layout.RefreshSite(site);
  EXPECT_EQ(panel.Label(2016)->text(), "ERROR_MSG_A") << "a site without a state keeps its key";
  EXPECT_EQ(panel.Label(2017)->text(), "Testing...");
  EXPECT_EQ(panel.Label(2018)->text(), "") << "an empty state is a state";
}

TEST(MainScreenLayoutTest, InformationLabelsShowTheirFilesAndTheAveragesSayWhichTheyAre) {
  qrv::test::StationFolder station;
  station.Write("Ref/M/Config.ini", "[SITE]\nsite=2\n[LOG]\nLineName=L7\nMachineName=\nUserMsg=Night shift\n");
  station.Write("Ref/M/ItemVersion.ini", "[A.DLL_VERSION]\n[LOG]\nVERSION=Item set 4.2\n");
  Panel panel(2);
  panel.Start();
  EXPECT_EQ(panel.Label(1205)->text(), "L7 - ");
  EXPECT_EQ(panel.Label(1208)->text(), "Night shift");
  EXPECT_EQ(panel.Label(1230)->text(), "Item set 4.2");
  EXPECT_EQ(panel.Label(1223)->text(), "") << "no firmware version is read";
  EXPECT_EQ(panel.Label(2024)->text(), "Test\nTime_A");
  EXPECT_EQ(panel.Label(2033)->text(), "Average_B\n0.0 s");
  EXPECT_EQ(panel.Label(2041)->text(), "Average_B\n0.0 s");
}

TEST(MainScreenLayoutTest, AnItemVersionFileWithoutAVersionLeavesTheLabelEmpty) {
  qrv::test::StationFolder station;
  Panel panel(1);
  panel.Start();
  EXPECT_EQ(panel.Label(1230)->text(), "");
}


// The station's result colours on the shipped layouts: green for a pass, yellow while testing, red for every
// other state, failures included.
TEST(MainScreenLayoutTest, TheShippedLayoutsShowEveryOtherResultInRed) {
  const struct {
    const char* text;
    std::uint32_t colour;
  } cases[] = {{"PASS", kColourPass}, {"Testing...", kColourTesting}, {"Unused", kColourFail},
               {"FAIL", kColourFail}, {"STOP", kColourFail},          {"Ready", kColourFail}};
  for (const char* model : {"Init_Model", "Sim_Model"}) {
    qrv::test::StationFolder station;
    station.Write(kController, qrv::test::ReadFile(std::string(QRV_STATION_DIR "/Ref/") + model + "/Controller.ini"));
    Panel panel(2);
    panel.Start();
    CFontStatic* label = panel.Label(2017);
    for (const auto& c : cases) {
      label->setText(c.text);
      EXPECT_EQ(label->DrawnTextColour(), c.colour) << model << " " << c.text;
    }
  }
}
