// The model configuration dialog over a station folder of its own: the model list, the stored values, what a
// Save writes and to which model, the login level's access rule, counts kept as stored and the new-model copy.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QDate>
#include <QLineEdit>
#include <QPushButton>
#include <filesystem>

#include "ConfigDlg.h"
#include "KeyBoardDlg.h"
#include "ModalDriver.h"
#include "ModelSettings.h"
#include "PlatformErrorLog.h"
#include "Util.h"
#include "port/clock.h"
#include "port/message_box.h"
#include "qrv_test/file_text.h"
#include "qrv_test/scoped_env.h"
#include "qrv_test/screenshot.h"
#include "qrv_test/station_folder.h"

namespace {

using qrv::test::StationFolder;
namespace fs = std::filesystem;

template <typename Control>
Control* Find(const QWidget& dialog, int id) {
  auto* control = dialog.findChild<Control*>(QString::number(id));
  EXPECT_NE(control, nullptr) << id;
  return control;
}

QStringList Entries(const QComboBox* list) {
  QStringList entries;
  for (int i = 0; i < list->count(); ++i) entries << list->itemText(i);
  return entries;
}

bool BoxShown(const std::string& part) {
  for (const port::ShownMessageBox& box : port::ShownMessageBoxes())
    if (box.text.find(part) != std::string::npos) return true;
  return false;
}

std::string Today() { return QDate::currentDate().toString("yyyyMMdd").toStdString(); }

// Types on the on-screen keyboard as an operator does, then presses Enter.
void TypeOnKeyboard(QDialog& dialog, const QString& text) {
  auto* keyboard = dynamic_cast<KeyBoardDlg*>(&dialog);
  ASSERT_NE(keyboard, nullptr) << "the on-screen keyboard opens";
  for (const QChar c : text) keyboard->OnKey(QString(c));
  keyboard->OnKey("Enter");
}

class ConfigDlgTest : public ::testing::Test {
 protected:
  ConfigDlgTest() {
    qrv::test::TestApplication();
    for (const char* folder : {"Ref/A", "Ref/B", "Ref/Init_Model"}) fs::create_directories(m_station.Path(folder));
    m_station.Write("Config/QRV_Config.ini", "[QRV_Equip]\r\nModel_Name=A\r\n");
    port::ClearShownMessageBoxes();
  }

  StationFolder m_station;
};

TEST_F(ConfigDlgTest, ListsTheModelsButTheTemplateAndShowsTheCurrentModelsValues) {
  m_station.Write("Ref/A/Config.ini",
                  "[SITE]\r\nsite=3\r\n[PARA]\r\npara=2\r\n[DRAW]\r\ndraw=5\r\n[LOG]\r\nProductionLog=/p/ProductionLog\r\n"
                  "EngineerLog=/e/EngineerLog\r\nLineName=L1\r\nMachineName=MC7\r\nUserMsg=Hello\r\n");
  m_station.Write("Ref/loose.ini", "");
  ConfigDlg dialog({});
  EXPECT_EQ(Entries(Find<QComboBox>(dialog, 1012)), (QStringList{"A", "B", "M"}));
  EXPECT_EQ(Find<QComboBox>(dialog, 1012)->currentText(), "A");
  EXPECT_EQ(Find<QComboBox>(dialog, 1211)->currentText(), "3");
  EXPECT_EQ(Find<QComboBox>(dialog, 1213)->currentText(), "2");
  EXPECT_EQ(Find<QComboBox>(dialog, 1215)->currentText(), " Dual_W Type");
  EXPECT_EQ(Find<QLineEdit>(dialog, 1097)->text(), "/p/ProductionLog");
  EXPECT_EQ(Find<QLineEdit>(dialog, 1098)->text(), "/e/EngineerLog");
  EXPECT_EQ(Find<QLineEdit>(dialog, 1099)->text().toStdString(), m_station.Path("Log/ListLog"));
  EXPECT_EQ(Find<QLineEdit>(dialog, 1105)->text(), "L1");
  EXPECT_EQ(Find<QLineEdit>(dialog, 1106)->text(), "MC7");
  EXPECT_EQ(Find<QLineEdit>(dialog, 1107)->text(), "Hello");
  EXPECT_FALSE(qrv::test::SaveScreenshot(dialog, "config").empty());

  // Missing keys show their defaults; the template itself is never the selected model.
  m_station.Write("Config/QRV_Config.ini", "[QRV_Equip]\r\nModel_Name=Init_Model\r\n");
  ConfigDlg fresh({});
  EXPECT_EQ(Find<QComboBox>(fresh, 1012)->currentIndex(), -1);
  EXPECT_EQ(Find<QComboBox>(fresh, 1211)->currentText(), "1");
  EXPECT_EQ(Find<QComboBox>(fresh, 1215)->currentText(), "W Type");
  EXPECT_EQ(Find<QLineEdit>(fresh, 1097)->text(), "0");
  EXPECT_EQ(Find<QLineEdit>(fresh, 1105)->text(), "0");
  EXPECT_EQ(Find<QLineEdit>(fresh, 1107)->text(), "");
}

TEST_F(ConfigDlgTest, SaveWritesTheModelCurrentWhenSavedAndThenMakesTheChosenOneCurrent) {
  m_station.Write("Ref/A/Config.ini", "[SITE]\r\nsite=2\r\n");
  int reloads = 0;
  ConfigDlg dialog({.anySiteRunning = [] { return false; }, .modelChanged = [&] { ++reloads; }});
  Find<QComboBox>(dialog, 1211)->setCurrentIndex(3);
  Find<QComboBox>(dialog, 1012)->setCurrentText("B");
  Find<QLineEdit>(dialog, 1097)->setText(QString::fromStdString(m_station.Path("Prod")));
  Find<QLineEdit>(dialog, 1098)->setText(QString::fromStdString(m_station.Path("Eng")));
  Find<QLineEdit>(dialog, 1106)->setText("MC9");
  Find<QPushButton>(dialog, 1)->click();

  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  const std::string modelA = m_station.Read("Ref/A/Config.ini");
  EXPECT_NE(modelA.find("site=4"), std::string::npos) << modelA;
  EXPECT_NE(modelA.find("MachineName=MC9"), std::string::npos) << modelA;
  EXPECT_NE(modelA.find("ListLog_SubName="), std::string::npos) << "the key is made to exist";
  EXPECT_FALSE(m_station.Exists("Ref/B/Config.ini")) << "the chosen model gets nothing of this Save";
  EXPECT_EQ(ModelSettings::ReadModelName(), "B");
  EXPECT_EQ(reloads, 1);
  for (const char* folder : {"Prod/ImageFile/", "Prod/LogFile/", "Eng/ImageFile/", "Eng/LogFile/"})
    EXPECT_TRUE(fs::is_directory(m_station.Path(folder + Today()))) << folder;

  ConfigDlg again({.modelChanged = [&] { ++reloads; }});
  EXPECT_EQ(Find<QComboBox>(again, 1012)->currentText(), "B");
  EXPECT_TRUE(again.SaveConfig());
  EXPECT_EQ(reloads, 1) << "the same model stored again reloads nothing";
}

TEST_F(ConfigDlgTest, BelowEngineerOnlyModelDrawAndTheFolderBrowsersAreUsable) {
  m_station.Write("Ref/A/Config.ini", "[SITE]\r\nsite=99\r\n[PARA]\r\npara=2\r\n");
  std::string picked;
  ConfigDlg dialog({.loginLevel = 1, .pickFolder = [&] { return picked; }});
  for (const int id : {1211, 1213, 1097, 1098, 1021, 1022, 1105, 1106, 1107})
    EXPECT_FALSE(Find<QWidget>(dialog, id)->isEnabled()) << id;
  for (const int id : {1012, 1160, 1215, 1099, 1017, 1018, 1019, 1023, 1, 2})
    EXPECT_TRUE(Find<QWidget>(dialog, id)->isEnabled()) << id;
  for (const int id : {1097, 1098, 1099}) EXPECT_TRUE(Find<QLineEdit>(dialog, id)->isReadOnly()) << id;
  qrv::test::SaveScreenshot(dialog, "config_maintenance");

  const struct {
    std::string picked;
    int button;
    int edit;
    std::string shown;
  } browses[] = {
      {m_station.Path("Logs") + "/", 1017, 1097, m_station.Path("Logs") + "/ProductionLog"},
      {m_station.Path("Logs"), 1018, 1098, m_station.Path("Logs") + "/EngineerLog"},
      {"/", 1019, 1099, "/ListLog"},
      {"", 1019, 1099, "/ListLog"},
  };
  for (const auto& browse : browses) {
    picked = browse.picked;
    Find<QPushButton>(dialog, browse.button)->click();
    EXPECT_EQ(Find<QLineEdit>(dialog, browse.edit)->text().toStdString(), browse.shown) << browse.picked;
  }
  Find<QComboBox>(dialog, 1215)->setCurrentIndex(2);
  EXPECT_TRUE(dialog.SaveConfig());
  const std::string modelA = m_station.Read("Ref/A/Config.ini");
  EXPECT_NE(modelA.find("draw=2"), std::string::npos) << modelA;
  EXPECT_NE(modelA.find("ProductionLog=" + m_station.Path("Logs") + "/ProductionLog"), std::string::npos) << modelA;
  EXPECT_NE(modelA.find("ListLog=/ListLog"), std::string::npos) << modelA;
  EXPECT_NE(modelA.find("site=99"), std::string::npos) << "a count this level cannot choose stays as stored";
  EXPECT_NE(modelA.find("para=2"), std::string::npos);
}

// A list that cannot show its stored value has no entry selected; Save keeps that value and stores the rest.
TEST_F(ConfigDlgTest, CountsAndDrawTypesOutsideTheirListsKeepTheirStoredValueAndTheRestIsSaved) {
  const struct {
    const char* section;
    const char* key;
    const char* stored;
    int list;
  } cases[] = {{"SITE", "site", "0", 1211},  {"SITE", "site", "99", 1211}, {"PARA", "para", "0", 1213},
               {"PARA", "para", "99", 1213}, {"DRAW", "draw", "9", 1215},  {"DRAW", "draw", "-1", 1215}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.key) + "=" + c.stored);
    m_station.Write("Ref/A/Config.ini", std::string("[") + c.section + "]\r\n" + c.key + "=" + c.stored + "\r\n");
    port::ClearShownMessageBoxes();
    ConfigDlg dialog({});
    EXPECT_EQ(Find<QComboBox>(dialog, c.list)->currentIndex(), -1);
    Find<QLineEdit>(dialog, 1105)->setText("L2");
    EXPECT_TRUE(dialog.SaveConfig());
    EXPECT_TRUE(port::ShownMessageBoxes().empty());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(ReadIniString(c.section, c.key, "", ModelSettings::GetConfigIniPath()), c.stored);
    EXPECT_EQ(ModelSettings::ReadLineName(), "L2");
  }
}

// The list-log folder is shown and stored as the model has it; only "Open" maps it to a folder here.
TEST_F(ConfigDlgTest, TheStoredListLogFolderIsShownAndStoredBackUnchanged) {
  const qrv::test::ScopedEnv drives("QRV_DRIVE_ROOT", m_station.Path("Drives").c_str());
  const struct {
    const char* stored;
    std::string shown;
  } cases[] = {{"D:\\ListLog", "D:\\ListLog"}, {"Logs\\LL\\", "Logs\\LL\\"}, {"", m_station.Path("Log/ListLog")}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored);
    m_station.Write("Ref/A/Config.ini", std::string("[LOG]\r\nListLog=") + c.stored + "\r\n");
    ConfigDlg dialog({});
    EXPECT_EQ(Find<QLineEdit>(dialog, 1099)->text().toStdString(), c.shown);
    if (*c.stored == 'D') {
      EXPECT_FALSE(qrv::test::SaveScreenshot(dialog, "config_stored_list_log").empty());
    }
    EXPECT_TRUE(dialog.SaveConfig());
    EXPECT_EQ(ReadIniString("LOG", "ListLog", "<missing>", ModelSettings::GetConfigIniPath()), c.shown);
  }
  ConfigDlg dialog({});
  Find<QLineEdit>(dialog, 1099)->setText("D:\\ListLog");
  port::ClearShownMessageBoxes();
  Find<QPushButton>(dialog, 1023)->click();
  EXPECT_TRUE(BoxShown(m_station.Path("Drives/d/ListLog") + " does not exist."));
}

TEST_F(ConfigDlgTest, SaveIsRefusedWhileASiteRunsButModelOnlyChoosesTheModelAnyway) {
  m_station.Write("Ref/A/Config.ini", "[SITE]\r\nsite=2\r\n");
  ConfigDlg dialog({.anySiteRunning = [] { return true; }});
  Find<QComboBox>(dialog, 1211)->setCurrentIndex(5);
  Find<QComboBox>(dialog, 1012)->setCurrentText("B");
  EXPECT_FALSE(dialog.SaveConfig());
  EXPECT_TRUE(port::ShownMessageBoxes().empty()) << "refused without a word";
  EXPECT_EQ(ModelSettings::ReadSiteCount(), 2);
  EXPECT_EQ(ModelSettings::ReadModelName(), "A");

  m_station.Write("Config/QRV_Config.ini", "[QRV_Equip]\r\nModel_Name=Gone\r\n");
  int reloads = 0;
  ConfigDlg chooser({.modelOnly = 1, .anySiteRunning = [] { return true; }, .modelChanged = [&] { ++reloads; }});
  EXPECT_EQ(Find<QComboBox>(chooser, 1012)->currentIndex(), -1);
  EXPECT_EQ(Find<QComboBox>(chooser, 1211)->currentIndex(), -1) << "only the model list is filled";
  EXPECT_EQ(Find<QLineEdit>(chooser, 1105)->text(), "");
  EXPECT_FALSE(Find<QWidget>(chooser, 1211)->isEnabled());
  EXPECT_FALSE(chooser.SaveConfig());
  EXPECT_TRUE(BoxShown("Select a model."));
  EXPECT_EQ(ModelSettings::ReadModelName(), "Gone") << "no empty model name is stored";
  Find<QComboBox>(chooser, 1012)->setCurrentText("B");
  EXPECT_TRUE(chooser.SaveConfig());
  EXPECT_EQ(ModelSettings::ReadModelName(), "B");
  EXPECT_EQ(reloads, 1);
  EXPECT_FALSE(m_station.Exists("Ref/Gone")) << "nothing is made for the missing model";
}

TEST_F(ConfigDlgTest, OpenShowsTheStoredFoldersAndTheListLogEditsButCreatesNone) {
  fs::create_directories(m_station.Path("Eng"));
  m_station.Write("Ref/A/Config.ini", "[LOG]\r\nProductionLog=" + m_station.Path("Prod") + "\r\nEngineerLog=" +
                                          m_station.Path("Eng") + "\r\n");
  ConfigDlg dialog({});
  Find<QLineEdit>(dialog, 1098)->setText("/typed/but/not/saved");
  Find<QPushButton>(dialog, 1022)->click();
  EXPECT_TRUE(port::ShownMessageBoxes().empty()) << "the stored engineer folder exists";
  Find<QPushButton>(dialog, 1021)->click();
  EXPECT_TRUE(BoxShown(m_station.Path("Prod") + " does not exist."));
  EXPECT_FALSE(m_station.Exists("Prod"));
  port::ClearShownMessageBoxes();
  Find<QLineEdit>(dialog, 1099)->setText(QString::fromStdString(m_station.Path("Eng")));
  Find<QPushButton>(dialog, 1023)->click();
  EXPECT_TRUE(port::ShownMessageBoxes().empty()) << "the list-log row opens the folder in its edit";
}

TEST(ModelNameTest, NamesThatAreNoPlainFolderNameAreRefused) {
  const struct {
    std::string name;
    bool usable;
  } cases[] = {{"N1", true},         {"Model 2_b", true},   {"", false},          {".", false},
               {"..", false},        {"../x", false},       {"a/b", false},       {"a\\b", false},
               {"a:b", false},       {"a*", false},         {"q?", false},        {"<a>", false},
               {"a|b", false},       {"a\"b", false},       {"tab\tname", false}, {" lead", false},
               {"trail ", false},    {"end.", false},       {"Init_Model", false}, {"init_model", false},
               {std::string(100, 'm'), true}, {std::string(101, 'm'), false}};
  for (const auto& c : cases) EXPECT_EQ(ModelSettings::CheckNewModelName(c.name).empty(), c.usable) << c.name;
}

class NewModelTest : public ConfigDlgTest {
 protected:
  NewModelTest() {
    m_station.Write("Ref/Init_Model/Config.ini", "[SITE]\r\nsite=1\r\n");
    m_station.Write("Ref/Init_Model/ErrorCode.ini", "[CODE]\r\nSTOP_CODE=999\r\n");
    m_station.Write("Ref/B/Config.ini", "[SITE]\r\nsite=6\r\n");
  }

  // Clicks "New model" and types the name on the keyboard that opens.
  static void NewModel(ConfigDlg& dialog, const QString& name) {
    qrv::test::OnNextModal([name](QDialog& keyboard) { TypeOnKeyboard(keyboard, name); });
    dialog.OnBnClickedButtonNewModel();
  }
};

TEST_F(NewModelTest, ATypedNameGetsACopyOfTheTemplateAndTheDialogSaves) {
  ConfigDlg dialog({});
  NewModel(dialog, "N1");
  EXPECT_EQ(m_station.Read("Ref/N1/Config.ini"), "[SITE]\r\nsite=1\r\n");
  EXPECT_TRUE(m_station.Exists("Ref/N1/ErrorCode.ini"));
  EXPECT_EQ(dialog.result(), QDialog::Accepted) << "the dialog saved as Save does";
  EXPECT_EQ(ModelSettings::ReadModelName(), "A") << "the new model is chosen in a later use";
  ConfigDlg next({});
  EXPECT_TRUE(Entries(Find<QComboBox>(next, 1012)).contains("N1"));
}

TEST_F(NewModelTest, NamesThatAreNoFolderNameAreRefusedAndTheDialogStaysOpen) {
  for (const QString name : {"..", "", "A.", "INIT_MODEL"}) {
    SCOPED_TRACE(name.toStdString());
    port::ClearShownMessageBoxes();
    ConfigDlg dialog({});
    NewModel(dialog, name);
    EXPECT_FALSE(port::ShownMessageBoxes().empty());
    EXPECT_NE(dialog.result(), QDialog::Accepted);
  }
  for (const auto& entry : fs::directory_iterator(m_station.Path("Ref")))
    EXPECT_TRUE(entry.path().filename() == "A" || entry.path().filename() == "B" || entry.path().filename() == "M" ||
                entry.path().filename() == "Init_Model")
        << entry.path();
}

// A name that Ref already holds, in any letter case and the template's included, is refused with one box and
// the dialog stays open: the model's folder keeps its files, nothing goes to the Trash and nothing is saved,
// even when the operator would answer Yes.
TEST_F(NewModelTest, AnExistingNameIsTheSameModelAndNothingIsReplaced) {
  m_station.Write("Ref/B/Spec.ini", "[SPEC]\r\nlimit=3\r\n");
  m_station.Write("Ref/Shared.ini", "[KEEP]\r\n");
  const qrv::test::ScopedEnv trash("XDG_DATA_HOME", m_station.Path("data"));
  for (const QString name : {"B", "b", "A", "a", "SHARED.INI", "Init_Model", "init_model"}) {
    SCOPED_TRACE(name.toStdString());
    port::ClearShownMessageBoxes();
    port::QueueMessageBoxAnswer(port::kIdYes);
    ConfigDlg dialog({});
    NewModel(dialog, name);
    ASSERT_EQ(port::ShownMessageBoxes().size(), 1u);
    EXPECT_EQ(port::ShownMessageBoxes()[0].text, "This is the same model.");
    EXPECT_EQ(port::ShownMessageBoxes()[0].type & 0xF, unsigned{port::kMbOk});
    EXPECT_NE(dialog.result(), QDialog::Accepted);
  }
  EXPECT_EQ(m_station.Read("Ref/B/Config.ini"), "[SITE]\r\nsite=6\r\n");
  EXPECT_EQ(m_station.Read("Ref/B/Spec.ini"), "[SPEC]\r\nlimit=3\r\n");
  EXPECT_FALSE(m_station.Exists("Ref/B/ErrorCode.ini")) << "no copy of the template";
  EXPECT_EQ(m_station.Read("Ref/Init_Model/Config.ini"), "[SITE]\r\nsite=1\r\n");
  EXPECT_TRUE(m_station.Exists("Ref/A"));
  EXPECT_EQ(m_station.Read("Ref/Shared.ini"), "[KEEP]\r\n");
  EXPECT_FALSE(m_station.Exists("data/Trash"));
  EXPECT_EQ(ModelSettings::ReadModelName(), "A");
}

// The refusal as the operator sees it, over the dialog that stays open: the template's own name too.
TEST_F(NewModelTest, TheSameModelBoxOverTheDialog) {
  const qrv::test::ScopedEnv gui("QRV_HEADLESS", std::nullopt);
  ConfigDlg dialog({});
  dialog.show();
  QString shown;
  qrv::test::OnNextModal([&shown](QDialog& keyboard) {
    qrv::test::OnNextModal([&shown](QDialog& box) {
      shown = box.findChild<QLabel*>("qt_msgbox_label") != nullptr
                  ? box.findChild<QLabel*>("qt_msgbox_label")->text()
                  : QString();
      qrv::test::SaveScreenshot(box, "config_new_model_same_model");
    });
    TypeOnKeyboard(keyboard, "Init_Model");
  });
  dialog.OnBnClickedButtonNewModel();
  EXPECT_EQ(shown, "This is the same model.");
  EXPECT_TRUE(dialog.isVisible());
  qrv::test::SaveScreenshot(dialog, "config_after_same_model");
  EXPECT_FALSE(m_station.Exists("Ref/B/ErrorCode.ini"));
}

TEST_F(NewModelTest, AMissingTemplateIsLoggedAndTheDialogStillSaves) {
  fs::remove_all(m_station.Path("Ref/Init_Model"));
  ConfigDlg dialog({});
  NewModel(dialog, "N2");
  EXPECT_FALSE(m_station.Exists("Ref/N2"));
  const port::clock::LocalTime now = port::clock::NowLocal();
  EXPECT_NE(qrv::test::ReadFile(platform_error_log::GetErrorLogPath(now))
                .find("ConfigDlg::OnBnClickedButtonNewModel [277] ERROR : UtilityCopyDirectory Fail"),
            std::string::npos);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

}  // namespace
