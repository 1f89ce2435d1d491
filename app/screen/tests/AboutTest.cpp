#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QRegularExpression>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "QRVAbout.h"
#include "ProgramFolder.h"
#include "port/message_box.h"
#include "port/registry.h"
#include "qrv_test/screenshot.h"
#include "qrv_test/temp_dir.h"

namespace {

using port::registry::Root;
constexpr const char* kSystemKey = "Software\\QRV\\Platform\\SYSTEM\\";

std::vector<std::pair<int, std::string>> logged;
void RecordLog(int site, const char* format, ...) { logged.emplace_back(site, format); }

class AboutTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "core_about_test";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance()) app = new QApplication(argc, argv);
  }
  void SetUp() override { port::ClearShownMessageBoxes(); }
  void TearDown() override { ProgramFolder::SetRoot({}); }

  static QString Text(const CQRVAbout& about, const char* id) { return about.findChild<QLabel*>(id)->text(); }

  static inline QApplication* app = nullptr;
};

TEST_F(AboutTest, ShowsTheProgramsVersionStrings) {
  ProgramFolder::SetRoot(QRV_STATION_DIR);
  CQRVAbout about;
  EXPECT_EQ(about.windowTitle(), "Tarvesta System");
  EXPECT_EQ(Text(about, "1161"), "QRV");
  EXPECT_EQ(Text(about, "1162"), "QRV Platform");
  EXPECT_EQ(Text(about, "1164"), "QRV Test Station");
  EXPECT_EQ(Text(about, "1165"), "1.0.0.1");
  EXPECT_TRUE(QRegularExpression(R"(^\d{4}\.\d{2}\.\d{2} \d{2}:\d{2}:\d{2}$)").match(Text(about, "1167")).hasMatch());
  EXPECT_FALSE(qrv::test::SaveScreenshot(about, "about").empty());
}

TEST_F(AboutTest, WithoutTheProgramFileTheValuesStayEmpty) {
  qrv::test::TempDir dir;
  ProgramFolder::SetRoot(dir.path());
  const CQRVAbout about;
  EXPECT_TRUE(Text(about, "1162").isEmpty());
  EXPECT_TRUE(Text(about, "1167").isEmpty());
}

TEST_F(AboutTest, ResetRegistryAsksAndWritesTheFiveSwitches) {
  port::registry::WriteDword(Root::CurrentUser, kSystemKey, "LoginByPass", 1);
  logged.clear();
  CQRVAbout about(nullptr, RecordLog);
  port::QueueMessageBoxAnswer(port::kIdNo);
  about.OnBnClickedResetRegistry();
  EXPECT_EQ(port::registry::ReadDword(Root::CurrentUser, kSystemKey, "LoginByPass"), 1u);
  ASSERT_EQ(port::ShownMessageBoxes().size(), 1u);
  EXPECT_TRUE(logged.empty()) << "a No logs nothing";

  port::QueueMessageBoxAnswer(port::kIdYes);
  about.OnBnClickedResetRegistry();
  for (const char* name : {"LoginByPass", "VersionByPass", "SystemVersionByPass", "ProtocolDebug"}) {
    EXPECT_EQ(port::registry::ReadDword(Root::CurrentUser, kSystemKey, name), 0u) << name;
  }
  EXPECT_EQ(port::registry::ReadDword(Root::CurrentUser, "System\\Hardware\\", "HardwareByPass"), 0u);
  const auto boxes = port::ShownMessageBoxes();
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[1].text, "Do you want to reset the registry?");
  EXPECT_EQ(boxes[2].text, "Registry is reset");
  EXPECT_EQ(logged, (std::vector<std::pair<int, std::string>>{{0, "Registry is reset"}}));
}

}  // namespace
