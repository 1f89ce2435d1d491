// The item windows over a station folder: the per-site "Dll Manager" shows each site's registration with its
// pins and writes back what was edited, checked whole before anything is written and never while a site
// tests; Import replaces the files of the Dll folder, loaded or not, but copies no name with folder parts and
// nothing chosen from the folder itself; "Spec Setting" opens an item's settings for the page's site; the
// single-list manager keeps its own sections.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QPushButton>
#include <QTabWidget>
#include <filesystem>
#include <functional>

#include "CDllManagerDlg.h"
#include "GridCtrl.h"
#include "GridEdit.h"
#include "ItemSettingDlg.h"
#include "PlatformLoadlibrary.h"
#include "SiteDynamicDlg.h"
#include "SiteManagerDlg.h"
#include "SiteSpecTabDlg.h"
#include "TestRunFixture.h"
#include "Util.h"
#include "port/message_box.h"
#include "port/registry.h"
#include "qrv_test/screenshot.h"
#include "qrv_test/station_folder.h"
#include "qrv_test/test_application.h"

namespace fs = std::filesystem;
using qrv::test::StationFolder;
using Reg = DllRegistrationLists;

namespace {

constexpr const char* kDllManager = "Ref/M/DllManager.ini";
constexpr const char* kSystemKey = "Software\\QRV\\Platform\\SYSTEM\\";

std::uint32_t VersionByPass() {
  return port::registry::ReadDword(port::registry::Root::CurrentUser, kSystemKey, "VersionByPass").value_or(7);
}

class ItemWindows : public ::testing::Test {
 protected:
  ItemWindows() {
    qrv::test::TestApplication();
    port::ClearShownMessageBoxes();
    port::registry::WriteDword(port::registry::Root::CurrentUser, kSystemKey, "VersionByPass", 0);
    station.Write("Ref/M/Config.ini", "[SITE]\r\nsite=2\r\n[SITE_NAME]\r\n0=Left\r\n1=Right\r\n");
    station.Write("Ref/M/ItemVersion.ini",
                  "[A.DLL_VERSION]\r\nFocus=1.2.0.0\r\n[A.DLL_VERSION_INDEX]\r\nFocus=0\r\nCurrent=1\r\n"
                  "[DLL_VERSION]\r\nCurrent=2.0.1.3\r\n[DLL_VERSION_INDEX]\r\nCurrent=4\r\n");
    station.Write(kDllManager, "[A.QRV_DLL_LOAD]\r\nCount=2\r\n0=FocusItem.dll,1,2\r\n1=Gone.dll,0,1\r\n");
    fs::create_directories(station.Path("Dll"));
    fs::copy_file(NAMED_ITEM_FOCUS, station.Path("Dll/FocusItem.dll"));
    fs::copy_file(NAMED_ITEM_CURRENT, station.Path("Dll/CurrentItem.dll"));
    fs::copy_file(TEST_ITEM_MISSING, station.Path("Dll/Unnamed.dll"));
  }

  std::function<bool()> AnySiteRunning() {
    return [this] { return running; };
  }
  std::string Line(const std::string& key, const char* section = "A.QRV_DLL_LOAD") const {
    return ReadIniString(section, key.c_str(), "<none>", kDllManager);
  }
  static std::string LastBox() {
    const auto boxes = port::ShownMessageBoxes();
    return boxes.empty() ? std::string() : boxes.back().text;
  }

  StationFolder station;
  bool running = false;
};

int RowOf(const CGridCtrl* list, int column, const char* text) {
  for (int row = 0; row < list->GetItemCount(); ++row)
    if (list->GetItemText(row, column) == text) return row;
  return -1;
}

std::vector<std::string> Column(const CGridCtrl* list, int column) {
  std::vector<std::string> texts;
  for (int row = 0; row < list->GetItemCount(); ++row) texts.push_back(list->GetItemText(row, column).toStdString());
  return texts;
}

}  // namespace

TEST_F(ItemWindows, DllManagerShowsEachSitesRegistrationAndAppliesTheEdits) {
  SiteManagerDlg dialog(AnySiteRunning());
  dialog.show();
  ASSERT_EQ(dialog.PageCount(), 2);
  EXPECT_EQ(dialog.Tabs()->tabText(0), "Left");
  EXPECT_EQ(dialog.Tabs()->tabText(1), "Right");
  EXPECT_TRUE(dialog.VersionUse()->isChecked()) << "VersionByPass 0: the version check is used";

  SiteDynamicDlg& a = *dialog.Page(0);
  CGridCtrl* available = a.Available();
  CGridCtrl* registered = a.Registered();
  ASSERT_EQ(available->GetItemCount(), 2) << "a DLL without an item name is not offered";
  ASSERT_EQ(Column(registered, Reg::kRegDll), (std::vector<std::string>{"FocusItem.dll", "Gone.dll"}));
  EXPECT_TRUE(registered->GetCheck(0));
  EXPECT_EQ(Column(registered, Reg::kRegItem), (std::vector<std::string>{"Focus", ""}));
  EXPECT_EQ(Column(registered, Reg::kRegIndex), (std::vector<std::string>{"0", "0"}));
  EXPECT_EQ(Column(registered, Reg::kRegVersion), (std::vector<std::string>{"1.2.0.0", ""}));
  EXPECT_EQ(registered->GetItemText(0, Reg::kRegRetry), "2");
  EXPECT_EQ(registered->GetItemText(0, Reg::kRegComment), "Focus check of the lens");
  const int currentRow = RowOf(available, Reg::kAvailDll, "CurrentItem.dll");
  EXPECT_EQ(available->GetItemText(currentRow, Reg::kAvailVersion), "2.0.1.3");
  EXPECT_TRUE(available->GetItemText(currentRow, Reg::kAvailSize).endsWith("KB"));

  // Insert takes the checked row only, once; a drop takes the selected row only.
  available->SetCheck(currentRow, true);
  available->selectRow(RowOf(available, Reg::kAvailDll, "FocusItem.dll"));
  a.InsertDlls(0);
  a.InsertDlls(0);
  ASSERT_EQ(registered->GetItemCount(), 3);
  EXPECT_EQ(registered->GetItemText(2, Reg::kRegDll), "CurrentItem.dll");
  EXPECT_FALSE(registered->GetCheck(2)) << "a new entry stays off until it is switched on";
  EXPECT_EQ(registered->GetItemText(2, Reg::kRegRetry), "1");
  EXPECT_EQ(registered->GetItemText(2, Reg::kRegIndex), "1");
  SiteDynamicDlg& b = *dialog.Page(1);
  b.Available()->SetCheck(RowOf(b.Available(), Reg::kAvailDll, "CurrentItem.dll"), true);
  b.Available()->selectRow(RowOf(b.Available(), Reg::kAvailDll, "FocusItem.dll"));
  b.InsertDlls(1);
  EXPECT_EQ(Column(b.Registered(), Reg::kRegDll), std::vector<std::string>{"FocusItem.dll"});
  EXPECT_EQ(b.Registered()->GetItemText(0, Reg::kRegIndex), "0") << "site B pins nothing";

  // Current switched on, retried 3 times and moved first; Gone deleted.
  registered->SetCheck(2, true);
  CGridEdit* editor = registered->EditSubItem(2, Reg::kRegRetry, 1);
  ASSERT_NE(editor, nullptr);
  editor->setText("3");
  registered->CommitEdit();  // the editor loses the focus to the next button
  registered->SetSelectionMark(2);
  registered->MoveRowUp();
  registered->MoveRowUp();
  registered->SetSelectionMark(2);
  registered->DeleteSelectedRow();
  dialog.VersionUse()->setChecked(false);
  qrv::test::SaveScreenshot(dialog, "dll_manager");

  dialog.OnApply();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(Line("Count"), "2");
  EXPECT_EQ(Line("0"), "CurrentItem.dll,1,3");
  EXPECT_EQ(Line("1"), "FocusItem.dll,1,2");
  EXPECT_EQ(Line("0", "B.QRV_DLL_LOAD"), "FocusItem.dll,0,1");
  EXPECT_EQ(VersionByPass(), 1u);
}

TEST_F(ItemWindows, DllManagerSavesNothingWhileASiteTestsOrWhenAnEntryCannotBeStored) {
  station.Write(kDllManager, "[A.QRV_DLL_LOAD]\r\nCount=1\r\n0=FocusItem.dll,1,2\r\n"
                             "[B.QRV_DLL_LOAD]\r\nCount=1\r\n0=CurrentItem.dll,1,2;3\r\n");
  const std::string before = station.Read(kDllManager);
  SiteManagerDlg dialog(AnySiteRunning());
  dialog.show();
  dialog.Page(0)->Registered()->SetCheck(0, false);

  running = true;
  dialog.VersionUse()->setChecked(false);
  dialog.OnApply();
  EXPECT_TRUE(dialog.isVisible()) << "the edits stay in the window";
  EXPECT_NE(LastBox().find("A site is testing"), std::string::npos);
  EXPECT_EQ(station.Read(kDllManager), before);
  EXPECT_EQ(VersionByPass(), 1u) << "the switch is written even while a site tests";

  running = false;
  dialog.OnApply();
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_NE(LastBox().find("Right: row 1: the retry count \"2;3\""), std::string::npos) << LastBox();
  EXPECT_EQ(dialog.Tabs()->currentIndex(), 1) << "the page of the entry is shown";
  EXPECT_EQ(station.Read(kDllManager), before) << "site A's good list waits for site B's";

  dialog.Page(1)->Registered()->SetItemText(0, Reg::kRegRetry, "2");
  dialog.OnApply();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(Line("0"), "FocusItem.dll,0,2");
  EXPECT_EQ(Line("0", "B.QRV_DLL_LOAD"), "CurrentItem.dll,1,2");
}

TEST_F(ItemWindows, ImportReplacesFilesOfTheirNamesEvenLoadedOrWhileASiteTestsButNeverCopiesOutsideTheFolder) {
  qrv::test::TempDir source;
  fs::copy_file(NAMED_ITEM_CURRENT, source.File("FocusItem.dll"));
  fs::copy_file(NAMED_ITEM_FOCUS, source.File("CurrentItem.dll"));
  fs::copy_file(NAMED_ITEM_FOCUS, source.File("..\\Escape.dll"));
  fs::copy_file(NAMED_ITEM_FOCUS, source.File("New.dll"));
  ItemLibraryMap items;
  ASSERT_EQ(items.Load("CurrentItem.dll", "Dll", station.Path(""), {}), kItemLoaded);
  const TestItemControl current(station.Path("Dll/CurrentItem.dll"));
  SiteManagerDlg dialog(AnySiteRunning());
  SiteDynamicDlg& page = *dialog.Page(0);

  running = true;
  page.ImportFiles({source.File("FocusItem.dll"), source.File("CurrentItem.dll"), source.File("..\\Escape.dll"),
                    source.File("New.dll")});
  const std::string refused = LastBox();
  EXPECT_EQ(refused, "Not imported:\n..\\Escape.dll: " + ItemRegistration::CheckDllName("..\\Escape.dll"))
      << "the one file that would land outside the folder";
  EXPECT_FALSE(station.Exists("Dll/..\\Escape.dll"));
  EXPECT_TRUE(station.Exists("Dll/New.dll"));
  const int focus = RowOf(page.Available(), Reg::kAvailDll, "FocusItem.dll");
  EXPECT_EQ(page.Available()->GetItemText(focus, Reg::kAvailVersion), "2.0.1.3") << "the file was replaced";
  const int loaded = RowOf(page.Available(), Reg::kAvailDll, "CurrentItem.dll");
  EXPECT_EQ(page.Available()->GetItemText(loaded, Reg::kAvailVersion), "1.2.0.0") << "the loaded item's file too";
  EXPECT_EQ(page.Available()->GetItemCount(), 3) << "the list shows the folder as it is now";
  EXPECT_TRUE(items.ShowSpec("CurrentItem.dll", 0));
  EXPECT_EQ(current.SpecCalls(), 1) << "the loaded library runs on from the file it was loaded from";

  port::ClearShownMessageBoxes();
  page.ImportDllFiles();
  EXPECT_TRUE(port::ShownMessageBoxes().empty()) << "a cancelled import while a site tests shows nothing";
  page.ImportFiles({station.Path("Dll/New.dll")});
  EXPECT_EQ(LastBox(), "You can not choose the same path.");
}

TEST_F(ItemWindows, SpecSettingOpensTheItemsSettingsForThePagesSiteOnlyWhileLoaded) {
  station.Write("Ref/M/Config.ini", "[SITE]\r\nsite=3\r\n[SITE_NAME]\r\n0=Left\r\n1=Right\r\n");
  station.Write(kDllManager, "[B.QRV_DLL_LOAD]\r\nCount=5\r\n0=CurrentItem.dll,0,1\r\n1=FocusItem.dll,1,1\r\n"
                             "2=Unnamed.dll,0,1\r\n3=Gone.dll,1,1\r\n4=CurrentItem.dll,0,1\r\n");
  ItemLibraryMap items;
  ASSERT_EQ(items.Load("FocusItem.dll", "Dll", station.Path(""), {}), kItemLoaded);
  const TestItemControl focus(station.Path("Dll/FocusItem.dll"));
  bool itemsLoaded = true;
  SiteSpecTabDlg window({&items, [&itemsLoaded] { return itemsLoaded; }});
  window.show();
  ASSERT_EQ(window.PageCount(), 3);
  EXPECT_EQ(window.Tabs()->tabText(2), "-1") << "a site without a name";
  CGridCtrl* list = window.Page(1)->List();
  EXPECT_EQ(Column(list, ItemSettingDlg::kColDll), (std::vector<std::string>{"FocusItem.dll", "Gone.dll"}));
  EXPECT_EQ(Column(list, ItemSettingDlg::kColItem), (std::vector<std::string>{"Focus", ""}));
  EXPECT_EQ(list->GetItemText(0, ItemSettingDlg::kColVersion), "1.2.0.0");
  window.Tabs()->setCurrentIndex(1);
  qrv::test::SaveScreenshot(window, "spec_setting");

  emit list->cellDoubleClicked(0, 0);
  EXPECT_EQ(focus.SpecCalls(), 1);
  EXPECT_EQ(focus.LastSpecSite(), 1);

  // Not loaded (-2), not bound (-1), or the items freed: a double click does nothing at all.
  ASSERT_EQ(items.Load("Unnamed.dll", "Dll", station.Path(""), {}), kItemEntryMissing);
  port::ClearShownMessageBoxes();
  EXPECT_FALSE(window.Page(1)->OpenItemSettings("Gone.dll"));
  EXPECT_FALSE(window.Page(1)->OpenItemSettings("Unnamed.dll"));
  itemsLoaded = false;
  emit list->cellDoubleClicked(0, 0);
  EXPECT_EQ(focus.SpecCalls(), 1);
  EXPECT_TRUE(port::ShownMessageBoxes().empty());

  station.Write(kDllManager, "[A.QRV_DLL_LOAD]\r\nCount=1\r\n0=CurrentItem.dll,1,1\r\n");
  window.BuildPages();
  EXPECT_EQ(window.PageCount(), 3);
  EXPECT_EQ(Column(window.Page(0)->List(), ItemSettingDlg::kColDll), std::vector<std::string>{"CurrentItem.dll"});
  EXPECT_EQ(window.Page(1)->List()->GetItemCount(), 0);
  items.UnloadAll();
}

TEST_F(ItemWindows, SingleListManagerKeepsItsOwnSections) {
  station.Write(kDllManager, "[QRV_DLL_LOAD]\r\nCount=2\r\n0=Unnamed.dll\r\n1=CurrentItem.dll\r\n"
                             "[QRV_DLL_LOAD_CHECK]\r\nCurrentItem.dll=1\r\n[QRV_DLL_COUNT]\r\nCurrentItem.dll=4\r\n");
  CDllManagerDlg dialog(AnySiteRunning());
  dialog.show();
  DllRegistrationLists& lists = *dialog.Lists();
  EXPECT_EQ(lists.Available()->GetItemCount(), 3) << "every DLL of the folder, also one without an item name";
  EXPECT_EQ(Column(lists.Registered(), Reg::kRegDll), (std::vector<std::string>{"Unnamed.dll", "CurrentItem.dll"}));
  EXPECT_EQ(Column(lists.Registered(), Reg::kRegRetry), (std::vector<std::string>{"0", "4"}));
  EXPECT_FALSE(lists.Registered()->GetCheck(0));
  EXPECT_TRUE(lists.Registered()->GetCheck(1));
  EXPECT_EQ(lists.Registered()->GetItemText(1, Reg::kRegIndex), "4");
  EXPECT_EQ(lists.Registered()->GetItemText(1, Reg::kRegVersion), "2.0.1.3");

  // A single click on a row toggles its check box.
  const int focus = RowOf(lists.Available(), Reg::kAvailDll, "FocusItem.dll");
  lists.Available()->SetSelectionMark(focus);
  emit lists.Available()->cellClicked(focus, Reg::kAvailItem);
  EXPECT_TRUE(lists.Available()->GetCheck(focus));

  // A drop takes the checked rows, as Insert does, whichever row is selected.
  lists.Available()->ClearSelection();
  lists.OnDrop();
  EXPECT_EQ(Column(lists.Registered(), Reg::kRegDll),
            (std::vector<std::string>{"Unnamed.dll", "CurrentItem.dll", "FocusItem.dll"}));
  lists.Registered()->SetSelectionMark(2);
  lists.Registered()->DeleteSelectedRow();
  lists.Available()->SetCheck(focus, false);
  lists.Available()->selectRow(focus);
  lists.OnDrop();
  EXPECT_EQ(lists.Registered()->GetItemCount(), 2) << "a selected row that is not checked is not taken";
  lists.Available()->SetCheck(focus, true);
  lists.InsertDlls(0);
  qrv::test::SaveScreenshot(dialog, "dll_manager_single_list");

  running = true;
  port::ClearShownMessageBoxes();
  EXPECT_FALSE(dialog.SaveRegisteredDlls(1));
  EXPECT_TRUE(port::ShownMessageBoxes().empty()) << "Apply while a site tests returns silently";
  EXPECT_EQ(ReadIniString("QRV_DLL_LOAD", "Count", "", kDllManager), "2");
  running = false;
  EXPECT_TRUE(dialog.SaveRegisteredDlls(1));
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(ReadIniString("QRV_DLL_LOAD", "Count", "", kDllManager), "3");
  EXPECT_EQ(ReadIniString("QRV_DLL_LOAD", "2", "", kDllManager), "FocusItem.dll");
  EXPECT_EQ(ReadIniString("QRV_DLL_LOAD_CHECK", "FocusItem.dll", "", kDllManager), "0");
  EXPECT_EQ(ReadIniString("QRV_DLL_COUNT", "FocusItem.dll", "", kDllManager), "1");
  EXPECT_EQ(ReadIniString("QRV_DLL_LOAD_CHECK", "CurrentItem.dll", "", kDllManager), "1");
  EXPECT_EQ(ReadIniString("A.QRV_DLL_LOAD", "Count", "", kDllManager), "") << "the site sections are not touched";
}

// The hidden second "Delete" of the single list: after a Yes to its question, every checked DLL leaves the
// registered list, the Dll folder and the available list, and the list is saved.
TEST_F(ItemWindows, SingleListDeleteRemovesTheCheckedDllsAfterAYes) {
  station.Write(kDllManager, "[QRV_DLL_LOAD]\r\nCount=3\r\n0=CurrentItem.dll\r\n1=FocusItem.dll\r\n"
                             "2=CurrentItem.dll\r\n");
  CDllManagerDlg dialog(AnySiteRunning());
  DllRegistrationLists& lists = *dialog.Lists();
  QPushButton* hidden = dialog.findChild<QPushButton*>("1013");
  ASSERT_NE(hidden, nullptr);
  EXPECT_EQ(hidden->text(), "Delete");
  EXPECT_TRUE(hidden->isHidden());
  lists.Available()->SetCheck(RowOf(lists.Available(), Reg::kAvailDll, "CurrentItem.dll"), true);
  lists.Available()->SetCheck(RowOf(lists.Available(), Reg::kAvailDll, "Unnamed.dll"), true);

  port::QueueMessageBoxAnswer(port::kIdNo);
  hidden->click();
  EXPECT_TRUE(station.Exists("Dll/CurrentItem.dll")) << "anything but Yes ends there";
  ASSERT_EQ(port::ShownMessageBoxes().size(), 1u);
  EXPECT_EQ(port::ShownMessageBoxes()[0].text, "Do you want exit?");
  EXPECT_EQ(port::ShownMessageBoxes()[0].caption, "Question");
  EXPECT_EQ(port::ShownMessageBoxes()[0].type, unsigned{port::kMbYesNo});

  port::QueueMessageBoxAnswer(port::kIdYes);
  hidden->click();
  EXPECT_FALSE(station.Exists("Dll/CurrentItem.dll"));
  EXPECT_FALSE(station.Exists("Dll/Unnamed.dll"));
  EXPECT_TRUE(station.Exists("Dll/FocusItem.dll"));
  EXPECT_EQ(Column(lists.Available(), Reg::kAvailDll), std::vector<std::string>{"FocusItem.dll"});
  EXPECT_EQ(Column(lists.Registered(), Reg::kRegDll), std::vector<std::string>{"FocusItem.dll"});
  EXPECT_EQ(ReadIniString("QRV_DLL_LOAD", "Count", "", kDllManager), "1");
  EXPECT_EQ(ReadIniString("QRV_DLL_LOAD", "0", "", kDllManager), "FocusItem.dll");
  EXPECT_TRUE(dialog.result() != QDialog::Accepted) << "the window stays open";
}
