// The settings dialogs opened from the site panel over a copy of the built station: each opens from its
// opener with the stored values, what it saves takes effect in the running station, and every save is
// refused while a site tests.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <functional>

#include "CommunicationDlg.h"
#include "ErrorCodeDlg.h"
#include "GridCtrl.h"
#include "ModalDriver.h"
#include "PlatformErrorLog.h"
#include "SitePanelFixture.h"
#include "TestRunFixture.h"
#include "port/clock.h"
#include "port/message_box.h"
#include "qrv_test/file_text.h"
#include "qrv_test/screenshot.h"
#include "qrv_test/station_folder.h"

namespace {

template <typename Control>
Control* Find(const QWidget& dialog, int id) {
  auto* control = dialog.findChild<Control*>(QString::number(id));
  EXPECT_NE(control, nullptr) << id;
  return control;
}

bool BoxShown(const std::string& part) {
  const auto boxes = port::ShownMessageBoxes();
  return std::any_of(boxes.begin(), boxes.end(),
                     [&](const port::ShownMessageBox& box) { return box.text.find(part) != std::string::npos; });
}

std::string LastResult(const SitePanelStation& station) {
  const std::vector<std::string> calls = station.ProtocolCalls();
  for (auto call = calls.rbegin(); call != calls.rend(); ++call)
    if (call->rfind("SendResultCode", 0) == 0) return *call;
  return {};
}

int CountInErrorLog(const std::string& text) {
  const std::string log = qrv::test::ReadFile(platform_error_log::GetErrorLogPath(port::clock::NowLocal()));
  int count = 0;
  for (std::size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) ++count;
  return count;
}

void ClickKey(QDialog& keyboard, const QString& caption) {
  for (QPushButton* button : keyboard.findChildren<QPushButton*>())
    if (button->text() == caption) return button->click();
  ADD_FAILURE() << "no key " << caption.toStdString();
}

// One site with TestItemA registered, its panel started and the item's answers in the test's hands.
class OneSiteSettingsTest : public testing::Test {
 protected:
  // Runs the site once with every step of the item answering `code`, and waits for the run's result.
  void RunOnce(int code) {
    item.Script(0, std::vector<int>(6, code));
    ASSERT_EQ(panel.StartSite(0, 0, 0), 0);
    ASSERT_TRUE(station.WaitFor([&] { return station.CountCalls("SendStatus") == 1; }));
  }

  static DynamicDlg& StartWithItemA(SitePanelStation& station) {
    station.RegisterItems(1, {"TestItemA.dll"});
    return station.StartPanel();
  }

  SitePanelStation station{"1", "1"};
  DynamicDlg& panel = StartWithItemA(station);
  const TestItemControl item{station.Root() + "/Dll/TestItemA.dll"};
};

}  // namespace

TEST(SettingsPanelTest, ConfigOpensWithTheModelsValuesAndTheStationReadsWhatItSaved) {
  SitePanelStation station("2", "2");
  station.WriteConfig("LOG", "LineName", "L7");
  DynamicDlg& panel = station.StartPanel();
  qrv::test::OnNextModal([](QDialog& dialog) {
    EXPECT_EQ(dialog.objectName(), "131");
    EXPECT_EQ(Find<QComboBox>(dialog, 1211)->currentText(), "2");
    EXPECT_EQ(Find<QComboBox>(dialog, 1213)->currentText(), "2");
    EXPECT_EQ(Find<QLineEdit>(dialog, 1105)->text(), "L7");
    Find<QComboBox>(dialog, 1213)->setCurrentIndex(0);
    Find<QComboBox>(dialog, 1215)->setCurrentIndex(3);
    Find<QLineEdit>(dialog, 1105)->setText("L8");
    Find<QPushButton>(dialog, 1)->click();
  });
  EXPECT_EQ(panel.OpenConfig(), QDialog::Accepted);
  EXPECT_EQ(station.ReadConfig("PARA", "para"), "1");
  EXPECT_EQ(panel.GetPara(), 1u);
  EXPECT_EQ(panel.DrawMode(), 3);
  EXPECT_EQ(panel.GetLineName(), "L8");
  EXPECT_EQ(panel.SiteCount(), 2);
  EXPECT_EQ(panel.GetSiteCount(), 2u);
}

TEST(SettingsPanelTest, CommunicationTurnsTheKeypadOnAndLoadsTheHandlerLinkAfterTheItems) {
  SitePanelStation station("2", "1");
  station.RegisterItems(2, {"TestItemA.dll"});
  station.WriteConfig("COMMUNICATION", "KEY_USE_9", "STOP");
  DynamicDlg& panel = station.StartPanel();
  // Holds the item's module, so the protocol library's unload can count the item's deletes.
  const TestItemControl item(station.Root() + "/Dll/TestItemA.dll");
  const int loads = station.CountCalls("Load_Protocol");
  qrv::test::OnNextModal([](QDialog& dialog) {
    auto* keys = dynamic_cast<CommunicationDlg*>(&dialog);
    ASSERT_NE(keys, nullptr);
    EXPECT_FALSE(keys->KeyUse()->isChecked());
    EXPECT_EQ(keys->List()->GetItemText(9, 1), "STOP");
    keys->KeyUse()->setChecked(true);
    keys->List()->SetItemText(4, 1, "START");
    Find<QPushButton>(dialog, 1)->click();
  });
  EXPECT_EQ(panel.OpenCommunication(), QDialog::Accepted);
  EXPECT_EQ(station.CountCalls("Load_Protocol"), loads + 1);
  const std::vector<std::string> calls = station.ProtocolCalls();
  const auto unload = std::find_if(calls.begin(), calls.end(), [](const std::string& call) {
    return call.rfind("Load_OnDelete", 0) == 0;
  });
  ASSERT_NE(unload, calls.end());
  EXPECT_EQ(unload->find("items-deleted=0"), std::string::npos) << *unload << ": the items went first";
  EXPECT_EQ(unload->find("items-deleted=-1"), std::string::npos) << *unload;

  QKeyEvent press(QEvent::KeyPress, Qt::Key_4, Qt::KeypadModifier, "4");
  QCoreApplication::sendEvent(&panel, &press);
  ASSERT_TRUE(station.WaitFor([&] { return station.CountCalls("SendStatus") == 1; }));
  EXPECT_EQ(panel.Runner(0)->RunCount(), 1);
  EXPECT_NE(LastResult(station).find("SendResultCode 0 0"), std::string::npos) << "the reloaded item passed";
}

TEST_F(OneSiteSettingsTest, TheErrorCodeEditorsSavedTableChangesTheNextRunsHandlerCode) {
  ASSERT_NO_FATAL_FAILURE(RunOnce(7));
  EXPECT_NE(LastResult(station).find("SendResultCode 0 7"), std::string::npos) << LastResult(station);

  qrv::test::OnNextModal([](QDialog& dialog) {
    auto* editor = dynamic_cast<ErrorCodeDlg*>(&dialog);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(Find<QLineEdit>(dialog, 1247)->text(), "999");
    CGridCtrl* dlls = editor->DllList();
    for (int row = 0; row < dlls->GetItemCount(); ++row)
      if (dlls->GetItemText(row, ErrorCodeDlg::kDllNameColumn) == "TestItemA.dll") dlls->setCurrentCell(row, 0);
    ASSERT_EQ(editor->ShownDll(), "TestItemA.dll");
    editor->OnBnClickedInsert();
    CGridCtrl* codes = editor->CodeList();
    const int row = codes->GetItemCount() - 1;
    codes->SetCheck(row, true);
    codes->SetItemText(row, ErrorCodeDlg::kOutputColumn, "7");
    codes->SetItemText(row, ErrorCodeDlg::kHandlerColumn, "321");
    codes->SetItemText(row, ErrorCodeDlg::kTextColumn, "Seven");
    Find<QPushButton>(dialog, 1)->click();
  });
  panel.OpenErrorCode();
  ASSERT_EQ(panel.StartSite(0, 0, 0), 0);
  ASSERT_TRUE(station.WaitFor([&] { return station.CountCalls("SendStatus") == 2; }));
  EXPECT_NE(LastResult(station).find("SendResultCode 0 321"), std::string::npos) << LastResult(station);
}

TEST_F(OneSiteSettingsTest, EverySaveIsRefusedWhileASiteTests) {
  item.SetTesterRequest(true);
  ASSERT_EQ(panel.StartSite(0, 0, 0), 0);
  ASSERT_TRUE(station.WaitFor([&] { return station.HandlerRequestsInFlight() == 1; }));
  const std::string configBefore = qrv::test::ReadFile(station.ModelFile("Config.ini"));
  const std::string codesBefore = qrv::test::ReadFile(station.ModelFile("ErrorCode.ini"));

  const struct {
    const char* name;
    std::function<int()> open;
    std::function<void(QDialog&)> edit;
  } dialogs[] = {
      {"Config", [&] { return panel.OpenConfig(); },
       [](QDialog& dialog) { Find<QLineEdit>(dialog, 1106)->setText("changed"); }},
      {"Communication", [&] { return panel.OpenCommunication(); },
       [](QDialog& dialog) { Find<QCheckBox>(dialog, 1121)->setChecked(true); }},
      {"Error Code", [&] { return panel.OpenErrorCode(); },
       [](QDialog& dialog) { Find<QLineEdit>(dialog, 1247)->setText("555"); }},
  };
  for (const auto& d : dialogs) {
    SCOPED_TRACE(d.name);
    port::ClearShownMessageBoxes();
    bool stayedOpen = false;
    qrv::test::OnNextModal([&](QDialog& dialog) {
      d.edit(dialog);
      Find<QPushButton>(dialog, 1)->click();
      stayedOpen = dialog.isVisible();
    });
    EXPECT_NE(d.open(), QDialog::Accepted);
    EXPECT_TRUE(stayedOpen);
    EXPECT_FALSE(BoxShown("Platform Testing...")) << "the refusal says nothing";
  }
  EXPECT_EQ(qrv::test::ReadFile(station.ModelFile("Config.ini")), configBefore);
  EXPECT_EQ(qrv::test::ReadFile(station.ModelFile("ErrorCode.ini")), codesBefore);

  const int refusals = CountInErrorLog("Platform Testing...");
  bool stayedOpen = false;
  qrv::test::OnNextModal([&](QDialog& dialog) {
    Find<QPushButton>(dialog, 1)->click();
    Find<QPushButton>(dialog, 2)->click();
    stayedOpen = dialog.isVisible();
  });
  panel.OnMenuLotNumber();
  EXPECT_TRUE(stayedOpen);
  EXPECT_EQ(CountInErrorLog("Platform Testing..."), refusals + 2);
  EXPECT_EQ(qrv::test::ReadFile(station.ModelFile("Config.ini")), configBefore);
  EXPECT_TRUE(panel.Runner(0)->IsRunning());
}

TEST(SettingsPanelTest, ALotNumberTypedOnTheKeyboardStartsTheLot) {
  SitePanelStation station("2", "2");
  station.RegisterItems(2, {"TestItemA.dll"});
  DynamicDlg& panel = station.StartPanel();
  panel.StartButton()->click();
  ASSERT_TRUE(station.WaitFor([&] { return station.CountCalls("SendStatus") == 2; }));
  ASSERT_EQ(panel.Model(0)->Counts().total, 1);

  const std::string oldLot = station.ReadConfig("LOT_NUMBER", "number");
  qrv::test::OnNextModal([&](QDialog& dialog) {
    EXPECT_EQ(dialog.objectName(), "170");
    auto* edit = Find<QLineEdit>(dialog, 1042);
    EXPECT_EQ(edit->text().toStdString(), oldLot);
    qrv::test::OnNextModal([](QDialog& keyboard) {
      for (const QString caption : {"4", "2", "7"}) ClickKey(keyboard, caption);
      qrv::test::SaveScreenshot(keyboard, "lot_keyboard");
      ClickKey(keyboard, "Enter");
    });
    QFocusEvent touch(QEvent::FocusIn, Qt::MouseFocusReason);
    QCoreApplication::sendEvent(edit, &touch);
    ASSERT_TRUE(qrv::test::ProcessEventsUntil([&] { return edit->text() == "427"; }));
    Find<QPushButton>(dialog, 1)->click();
  });
  panel.LotButton()->click();
  EXPECT_EQ(panel.GetLotNumber(), "427");
  EXPECT_EQ(panel.LotButton()->text(), "427");
  EXPECT_EQ(station.ReadConfig("LOT_NUMBER", "number"), "427");
  EXPECT_EQ(panel.Model(0)->Counts().total, 0);
}

TEST_F(OneSiteSettingsTest, EndingALotWritesItsLinesAndAYesResetsTheCountsButKeepsNumberAndStoredErrors) {
  ASSERT_NO_FATAL_FAILURE(RunOnce(5));
  const std::string lot = station.ReadConfig("LOT_NUMBER", "number");
  ASSERT_EQ(station.ReadConfig("ERROR_LIST", "COUNT"), "1");
  const std::string errorRow = station.ReadConfig("ERROR_LIST", "0");

  for (const int answer : {port::kIdNo, port::kIdYes}) {
    SCOPED_TRACE(answer);
    port::QueueMessageBoxAnswer(answer);
    qrv::test::OnNextModal([](QDialog& dialog) { Find<QPushButton>(dialog, 2)->click(); });
    panel.OnMenuLotNumber();
    station.WaitFor([] { return false; }, std::chrono::milliseconds(50));
    EXPECT_EQ(panel.Model(0)->Counts().total, answer == port::kIdYes ? 0 : 1);
    EXPECT_EQ(panel.Errors()->Rows().empty(), answer == port::kIdYes);
    EXPECT_EQ(station.ReadConfig("LOT_NUMBER", "number"), lot);
    EXPECT_EQ(station.ReadConfig("ERROR_LIST", "COUNT"), "1");
    EXPECT_EQ(station.ReadConfig("ERROR_LIST", "0"), errorRow);
    const std::string log = qrv::test::ReadFile(panel.TestLog(0)->Path());
    EXPECT_NE(log.find(", Total: 1, Pass: 0, Fail: 1"), std::string::npos) << log;
  }
  EXPECT_EQ(panel.findChild<CGridCtrl*>("1232")->GetItemCount(), 0) << "the screen's error list is empty";
}

// "End" closed the lot with its summaries; the next lot's "Start" begins the new files and adds no second
// copy to the old one.
TEST_F(OneSiteSettingsTest, StartingALotAfterEndWritesTheOldLotsSummariesOnce) {
  ASSERT_NO_FATAL_FAILURE(RunOnce(5));
  const std::string oldLog = panel.TestLog(0)->Path();
  port::QueueMessageBoxAnswer(port::kIdNo);
  qrv::test::OnNextModal([](QDialog& dialog) { Find<QPushButton>(dialog, 2)->click(); });
  panel.OnMenuLotNumber();
  qrv::test::OnNextModal([](QDialog& dialog) {
    Find<QLineEdit>(dialog, 1042)->setText("428");
    Find<QPushButton>(dialog, 1)->click();
  });
  panel.OnMenuLotNumber();
  ASSERT_EQ(station.ReadConfig("LOT_NUMBER", "number"), "428");
  const std::string log = qrv::test::ReadFile(oldLog);
  const std::string summary = "\r\n\r\n, Total: 1, Pass: 0, Fail: 1";
  ASSERT_NE(log.find(summary), std::string::npos) << log;
  EXPECT_EQ(log.find(summary), log.rfind(summary)) << log;
  EXPECT_EQ(log.find(",Item Nmae : "), log.rfind(",Item Nmae : ")) << log;
  EXPECT_NE(panel.TestLog(0)->Path(), oldLog);
}
