// The item windows opened from the site panel over a copy of the built station: what the "Dll Manager"
// applies for two sites (entries added, reordered, switched off, retry counts) is what the next run does,
// and "Spec Setting" follows the new registration and opens an item's settings for its site.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QTimer>
#include <filesystem>

#include "GridCtrl.h"
#include "GridEdit.h"
#include "SiteCtrl.h"
#include "SiteDynamicDlg.h"
#include "SiteManagerDlg.h"
#include "SiteSpecTabDlg.h"
#include "SitePanelFixture.h"
#include "TestRunFixture.h"
#include "port/message_box.h"
#include "qrv_test/screenshot.h"

namespace fs = std::filesystem;
using Reg = DllRegistrationLists;

namespace {

std::string ItemFile(const SitePanelStation& station, const char* name) { return station.Root() + "/Dll/" + name; }

int RowOf(const CGridCtrl* list, int column, const char* text) {
  for (int row = 0; row < list->GetItemCount(); ++row)
    if (list->GetItemText(row, column) == text) return row;
  return -1;
}

std::vector<std::string> DllOrder(SiteModel* model) {
  std::vector<std::string> names;
  for (const ItemRow& row : model->Rows()) names.push_back(row.dllName);
  return names;
}

// Checks the available row of the DLL and inserts it; returns its registered row.
int Register(SiteDynamicDlg& page, const char* dll) {
  for (int row = 0; row < page.Available()->GetItemCount(); ++row) page.Available()->SetCheck(row, false);
  page.Available()->SetCheck(RowOf(page.Available(), Reg::kAvailDll, dll), true);
  page.InsertDlls(0);
  return RowOf(page.Registered(), Reg::kRegDll, dll);
}

void SetRetry(SiteDynamicDlg& page, int row, const char* retry) {
  CGridEdit* editor = page.Registered()->EditSubItem(row, Reg::kRegRetry, 1);
  ASSERT_NE(editor, nullptr);
  editor->setText(retry);
  page.Registered()->CommitEdit();
}

// Runs `drive` on the modal window of type T once it is up.
template <typename T>
void WhenModal(std::function<void(T&)> drive) {
  QTimer::singleShot(0, [drive] {
    if (auto* window = qobject_cast<T*>(QApplication::activeModalWidget())) {
      drive(*window);
      return;
    }
    WhenModal<T>(drive);
  });
}

// Site A's item list as it stood when an item was deleted.
DynamicDlg* g_panel = nullptr;
std::vector<std::string> g_siteARowsAtDelete;
void RecordSiteARows() { g_siteARowsAtDelete = DllOrder(g_panel->Model(0)); }

}  // namespace

TEST(ItemWindowsPanelTest, TheNextRunFollowsWhatTheDllManagerApplied) {
  SitePanelStation station("2", "2");
  fs::copy_file(NAMED_ITEM_FOCUS, ItemFile(station, "FocusItem.dll"));
  fs::copy_file(NAMED_ITEM_CURRENT, ItemFile(station, "CurrentItem.dll"));
  station.RegisterItems(2, {"TestItemA.dll"});
  DynamicDlg& panel = station.StartPanel();
  SiteSpecTabDlg* spec = panel.OpenSpecSetting();
  ASSERT_NE(spec, nullptr);
  ASSERT_EQ(spec->PageCount(), 2);
  EXPECT_EQ(spec->Page(0)->List()->GetItemCount(), 1);

  const TestItemControl first(ItemFile(station, "TestItemA.dll"));
  const TestItemControl focus(ItemFile(station, "FocusItem.dll"));
  const TestItemControl current(ItemFile(station, "CurrentItem.dll"));
  current.Script(0, {4});
  focus.Script(1, {6});

  WhenModal<SiteManagerDlg>([](SiteManagerDlg& window) {
    // Site A: Focus, then Current retried 3 times; its old item goes.
    SiteDynamicDlg& a = *window.Page(0);
    const int current = Register(a, "CurrentItem.dll");
    a.Registered()->SetCheck(current, true);
    SetRetry(a, current, "3");
    a.Registered()->SetCheck(Register(a, "FocusItem.dll"), true);
    a.Registered()->SetSelectionMark(RowOf(a.Registered(), Reg::kRegDll, "FocusItem.dll"));
    a.Registered()->MoveRowUp();
    a.Registered()->SetSelectionMark(RowOf(a.Registered(), Reg::kRegDll, "TestItemA.dll"));
    a.Registered()->DeleteSelectedRow();
    // Site B: its old item, Current registered but off, Focus retried twice.
    SiteDynamicDlg& b = *window.Page(1);
    Register(b, "CurrentItem.dll");
    const int focus = Register(b, "FocusItem.dll");
    b.Registered()->SetCheck(focus, true);
    SetRetry(b, focus, "2");
    window.Tabs()->setCurrentIndex(0);
    qrv::test::SaveScreenshot(window, "dll_manager_panel");
    window.OnApply();
  });
  // The item lists take the new registration before the items are freed and loaded again.
  g_panel = &panel;
  first.SetOnDelete(&RecordSiteARows);
  ASSERT_EQ(panel.OpenSiteManager(), QDialog::Accepted);
  first.SetOnDelete(nullptr);
  EXPECT_EQ(g_siteARowsAtDelete, (std::vector<std::string>{"FocusItem.dll", "CurrentItem.dll"}));

  EXPECT_EQ(DllOrder(panel.Model(0)), (std::vector<std::string>{"FocusItem.dll", "CurrentItem.dll"}));
  EXPECT_EQ(DllOrder(panel.Model(1)), (std::vector<std::string>{"TestItemA.dll", "FocusItem.dll"}));
  EXPECT_EQ(panel.Items().Status("CurrentItem.dll"), kItemLoaded) << "the items were loaded again";
  EXPECT_TRUE(panel.AllItemsLoaded());
  ASSERT_TRUE(station.WaitFor([&] { return panel.ItemList(0)->GetItemCount() == 2; }));

  panel.StartButton()->click();
  ASSERT_TRUE(station.WaitFor([&] { return station.CountCalls("SendStatus") == 2; }));
  EXPECT_EQ(first.Calls(0), 0) << "deleted from site A";
  EXPECT_EQ(focus.Calls(0), 1);
  EXPECT_EQ(current.Calls(0), 3) << "a failing item runs as often as its retry count";
  EXPECT_EQ(first.Calls(1), 1);
  EXPECT_EQ(current.Calls(1), 0) << "switched off on site B";
  EXPECT_EQ(focus.Calls(1), 2);
  EXPECT_EQ(panel.Model(0)->Row(1).code, "4");

  // The settings pages show the new registration; a double click opens the item for its site.
  ASSERT_EQ(spec->Page(1)->List()->GetItemCount(), 2);
  CGridCtrl* siteB = spec->Page(1)->List();
  spec->Tabs()->setCurrentIndex(1);
  qrv::test::SaveScreenshot(*spec, "spec_setting_panel");
  emit siteB->cellDoubleClicked(RowOf(siteB, ItemSettingDlg::kColDll, "FocusItem.dll"), 0);
  EXPECT_EQ(focus.SpecCalls(), 1);
  EXPECT_EQ(focus.LastSpecSite(), 1);

  // Unloaded items open nothing.
  ASSERT_TRUE(station.WaitFor([&] { return panel.IsAnySiteRunning() == 0; }));
  ASSERT_TRUE(panel.FreeLibrary());
  port::ClearShownMessageBoxes();
  emit siteB->cellDoubleClicked(RowOf(siteB, ItemSettingDlg::kColDll, "FocusItem.dll"), 0);
  EXPECT_EQ(focus.SpecCalls(), 1);
  EXPECT_TRUE(port::ShownMessageBoxes().empty());
}

// An Apply that meets a running site (here one started as the window closes) reloads nothing and says nothing.
TEST(ItemWindowsPanelTest, NothingIsReloadedUnderARunningSiteAndNothingIsSaid) {
  SitePanelStation station("2", "2");
  fs::copy_file(NAMED_ITEM_FOCUS, ItemFile(station, "FocusItem.dll"));
  station.RegisterItems(2, {"TestItemA.dll"});
  DynamicDlg& panel = station.StartPanel();
  const TestItemControl first(ItemFile(station, "TestItemA.dll"));
  first.SetDelayMs(1500);
  station.WaitFor([] { return false; }, std::chrono::milliseconds(200));
  const std::size_t logged = ListLogLines(panel, 0).size();

  WhenModal<SiteManagerDlg>([&](SiteManagerDlg& window) {
    window.Page(0)->Registered()->SetCheck(Register(*window.Page(0), "FocusItem.dll"), true);
    window.OnApply();
    ASSERT_EQ(panel.StartSite(1, 1, 0), 0);
    ASSERT_TRUE(station.WaitFor([&] { return panel.Runner(1)->IsRunning(); }));
  });
  ASSERT_EQ(panel.OpenSiteManager(), QDialog::Accepted);
  EXPECT_TRUE(panel.Runner(1)->IsRunning());
  station.WaitFor([] { return false; }, std::chrono::milliseconds(100));
  EXPECT_EQ(ListLogLines(panel, 0).size(), logged);
  EXPECT_EQ(first.Deleted(), 0) << "no item was freed";
  EXPECT_EQ(DllOrder(panel.Model(0)), (std::vector<std::string>{"TestItemA.dll"}));
  ASSERT_TRUE(station.WaitFor([&] { return panel.IsAnySiteRunning() == 0; }));
}
