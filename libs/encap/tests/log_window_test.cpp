// The facade's log window: switched to INFO, each forwarded call leaves its two lines in the list and in
// the daily file of its board; NONE writes nothing; Reset empties only the list.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <filesystem>

#include "CSpecDlg.h"
#include "EncapsulationTable.h"
#include "encapsulation_log.h"
#include "fake_board_control.h"
#include "port/clock.h"
#include "port/module.h"
#include "qrv_test/file_text.h"
#include "qrv_test/screenshot.h"
#include "qrv_test/temp_dir.h"
#include "qrv_test/test_application.h"

extern "C" {
std::remove_pointer_t<Fn_VKL_GPIOWrite> GPIOWrite;
std::remove_pointer_t<Fn_VKL_LVDS_Start> LVDS_Start;
}

namespace {

class LogWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    board_.Clear();
    qrv::test::TestApplication();
    encap::TheLog().SetFolder(folder_.path());
    window_ = std::make_unique<encap::CSpecDlg>(encap::TheLog());
    window_->show();
  }
  void TearDown() override {
    window_.reset();
    encap::TheLog().SetLevel(encap::LogLevel::None);
  }
  std::string DayText(int id) const {
    const auto t = port::clock::NowLocal();
    const std::string file = encap::TheLog().DayFile(id, t.year, t.month, t.day);
    return std::filesystem::exists(file) ? qrv::test::ReadFile(file) : std::string();
  }
  QStringList ListLines() {
    QApplication::processEvents();
    QStringList lines;
    const auto* list = window_->findChild<QListWidget*>("4006");
    for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
    return lines;
  }

  qrv::test::TempDir folder_;
  std::unique_ptr<encap::CSpecDlg> window_;
  encap_test::FakeBoardControl board_{port::ProgramFolder() + "/V6_Velkara_x64.dll"};
};

TEST_F(LogWindowTest, InfoWritesBothLinesOfEachCallToTheBoardsDailyFile) {
  EXPECT_EQ(window_->windowTitle(), "Brisca3 Single Encapsulation");
  auto* level = window_->findChild<QComboBox*>("4008");
  ASSERT_NE(level, nullptr);
  EXPECT_EQ(level->currentText(), "NONE");
  GPIOWrite(2, 1, 1);
  EXPECT_EQ(DayText(2), "");
  EXPECT_TRUE(ListLines().isEmpty());

  level->setCurrentIndex(1);  // INFO
  const int result = GPIOWrite(2, 1, 1);
  LVDS_Start(3);
  const std::string day = DayText(2);
  const std::string before = "] GPIOWrite :: \r\n";
  const std::string after = "] GPIOWrite :: Ret=" + std::to_string(result) + " \r\n";
  ASSERT_NE(day.find(before), std::string::npos) << day;
  EXPECT_NE(day.find(after), std::string::npos) << day;
  EXPECT_LT(day.find(before), day.find(after));
  EXPECT_EQ(day.find("LVDS_Start"), std::string::npos);  // board 3 has its own file
  EXPECT_NE(DayText(3).find("] LVDS_Start :: Ret="), std::string::npos);

  const QStringList lines = ListLines();
  ASSERT_EQ(lines.size(), 4);
  EXPECT_TRUE(lines[0].endsWith("] GPIOWrite :: ")) << lines[0].toStdString();
  EXPECT_TRUE(lines[1].endsWith("] GPIOWrite :: Ret=" + QString::number(result) + " "));
  EXPECT_FALSE(qrv::test::SaveScreenshot(*window_, "encap_log_window").empty());

  window_->findChild<QPushButton*>("4009")->click();
  EXPECT_TRUE(ListLines().isEmpty());
  EXPECT_EQ(DayText(2), day);  // Reset leaves the files alone
}

}  // namespace
