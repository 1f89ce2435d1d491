// The picture control and the styled label: the shipped pictures are the station's own and legible in their
// colours, a picture follows its control's size, a missing picture is reported, and the label colours its
// result texts only on the site message labels.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "FontStatic.h"
#include "PlatformErrorLog.h"
#include "ProgramFolder.h"
#include "StaticImage.h"
#include "port/clock.h"
#include "qrv_test/station_folder.h"

namespace {

QImage Render(QWidget& widget) {
  QImage image(widget.size(), QImage::Format_RGB32);
  image.fill(Qt::magenta);
  widget.render(&image);
  return image;
}

bool Near(const QColor& a, const QColor& b, int tolerance = 24) {
  return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
         std::abs(a.blue() - b.blue()) <= tolerance;
}

std::string TodaysErrorLog() {
  std::ifstream file(platform_error_log::GetErrorLogPath(port::clock::NowLocal()));
  return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

}  // namespace

// The pictures of the built station: each one read, of its state's colour, and not a flat stand-in.
TEST(PictureLabelTest, TheStationShipsEveryResultPictureInItsStateColour) {
  qrv::test::TestApplication();
  ProgramFolder::SetRoot(QRV_STATION_DIR);
  const struct {
    int index;
    const char* file;
    QColor background;
  } cases[] = {{0, "ret_Ready.bmp", QColor(244, 246, 248)}, {1, "ret_Testing.bmp", QColor(255, 228, 0)},
               {2, "ret_Pass.bmp", QColor(29, 219, 22)},    {3, "ret_Fail.bmp", QColor(224, 0, 0)},
               {4, "ret_Finish.jpg", QColor(0, 88, 184)}};
  for (const auto& c : cases) {
    CStaticImage picture;
    picture.resize(160, 100);
    picture.SetStateImage(c.index);
    ASSERT_TRUE(picture.HasPicture()) << c.file;
    EXPECT_TRUE(picture.PicturePath().endsWith(QString("/Res/") + c.file)) << picture.PicturePath().toStdString();
    const QImage shown = Render(picture);
    EXPECT_TRUE(Near(shown.pixelColor(12, 50), c.background)) << c.file << " at the edge";
    // The state's word crosses the middle row: dark or light letters against the background.
    int letterPixels = 0;
    for (int x = 20; x < 140; ++x) letterPixels += Near(shown.pixelColor(x, 50), c.background, 60) ? 0 : 1;
    EXPECT_GT(letterPixels, 10) << c.file << " carries its word";
  }
  CStaticImage logo;
  logo.SetLogoImage();
  EXPECT_TRUE(logo.HasPicture());
  for (int site = 1; site < 8; ++site)
    EXPECT_FALSE(QImage(QString(QRV_STATION_DIR "/Res/Company_%1.bmp").arg(site)).isNull()) << site;
  ProgramFolder::SetRoot("");
}

TEST(PictureLabelTest, APictureFillsItsControlAtTheSizeOfTheMoment) {
  qrv::test::TestApplication();
  qrv::test::StationFolder station;
  QImage halves(20, 10, QImage::Format_RGB32);
  halves.fill(Qt::red);
  QPainter(&halves).fillRect(10, 0, 10, 10, Qt::blue);
  std::filesystem::create_directories(station.Path("Res"));
  ASSERT_TRUE(halves.save(QString::fromStdString(station.Path("Res/ret_Pass.bmp")), "BMP"));
  CStaticImage picture;
  picture.resize(40, 20);
  picture.SetStateImage(2);
  picture.resize(200, 100);
  const QImage shown = Render(picture);
  EXPECT_EQ(shown.pixelColor(190, 90), QColor(Qt::blue)) << "the grown control shows the whole picture";
  EXPECT_EQ(shown.pixelColor(10, 10), QColor(Qt::red));

  // An index of no picture keeps the picture's file and reads it again.
  QImage green(20, 10, QImage::Format_RGB32);
  green.fill(Qt::green);
  ASSERT_TRUE(green.save(QString::fromStdString(station.Path("Res/ret_Pass.bmp")), "BMP"));
  picture.SetStateImage(7);
  EXPECT_EQ(picture.StateIndex(), 2);
  EXPECT_EQ(Render(picture).pixelColor(190, 90), QColor(Qt::green));
}

TEST(PictureLabelTest, AMissingPictureLeavesTheControlEmptyAndIsLogged) {
  qrv::test::TestApplication();
  qrv::test::StationFolder station;
  CStaticImage picture;
  picture.resize(50, 30);
  picture.SetStateImage(3);
  EXPECT_FALSE(picture.HasPicture());
  EXPECT_NE(TodaysErrorLog().find("CStaticImage::InitStaticImage"), std::string::npos);
  EXPECT_NE(TodaysErrorLog().find("ERROR : Image Read Fail\r\n"), std::string::npos);
}

// A file that is there but cannot be decoded (a half-copied picture) leaves the picture drawn last.
TEST(PictureLabelTest, AnUndecodablePictureKeepsThePictureDrawnLastAndIsLogged) {
  qrv::test::TestApplication();
  qrv::test::StationFolder station;
  std::filesystem::create_directories(station.Path("Res"));
  QImage green(20, 10, QImage::Format_RGB32);
  green.fill(Qt::green);
  ASSERT_TRUE(green.save(QString::fromStdString(station.Path("Res/ret_Ready.bmp")), "BMP"));
  std::ofstream(station.Path("Res/ret_Fail.bmp"), std::ios::binary) << "BM not a picture";
  CStaticImage picture;
  picture.resize(40, 20);
  picture.SetStateImage(0);
  picture.SetStateImage(3);
  EXPECT_TRUE(picture.HasPicture());
  EXPECT_EQ(Render(picture).pixelColor(20, 10), QColor(Qt::green));
  EXPECT_NE(TodaysErrorLog().find("ERROR : Image Read Fail\r\n"), std::string::npos);
}

TEST(PictureLabelTest, SiteMessageLabelsColourOnlyTheExactResultTexts) {
  qrv::test::TestApplication();
  const std::uint32_t configured = 0x00FFFFFF;
  const struct {
    int id;
    const char* text;
    std::uint32_t drawn;
  } cases[] = {{2016, "PASS", CFontStatic::kPassColour},      {2023, "Testing...", CFontStatic::kTestingColour},
               {2016, "pass", configured},                    {2017, "Testing..", configured},
               {2017, "Ready", configured},                   {1205, "PASS", configured},
               {2024, "Testing...", configured},              {2019, "Sensor register set fail", configured}};
  for (const auto& c : cases) {
    CFontStatic label;
    label.setObjectName(QString::number(c.id));
    label.SetTextStyle("Arial", 20, configured, CFontStatic::kBold);
    label.setText(c.text);
    EXPECT_EQ(label.DrawnTextColour(), c.drawn) << c.id << " " << c.text;
  }
}

TEST(PictureLabelTest, StyleFlagsAddFaceFlagsAndTheLastAlignmentWins) {
  qrv::test::TestApplication();
  CFontStatic label;
  label.SetStyleFlags(CFontStatic::kItalic | CFontStatic::kRight);
  EXPECT_TRUE(label.LabelFont().italic());
  label.SetStyleFlags(CFontStatic::kBold | CFontStatic::kCentre);
  EXPECT_TRUE(label.LabelFont().italic()) << "italic is never taken back";
  EXPECT_EQ(label.LabelFont().weight(), QFont::Black);
  label.SetStyleFlags(CFontStatic::kCentre | CFontStatic::kRight);
  EXPECT_EQ(label.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
  label.SetStyleFlags(CFontStatic::kRight);
  EXPECT_EQ(label.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
  label.SetStyleFlags(0);
  EXPECT_EQ(label.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
}

TEST(PictureLabelTest, ALabelWithoutBackgroundShowsTheButtonFace) {
  qrv::test::TestApplication();
  CFontStatic plain;
  plain.resize(80, 30);
  plain.SetTextStyle("Arial", 12, 0x000000FF, CFontStatic::kBold);
  plain.setText("Ready");
  EXPECT_EQ(Render(plain).pixelColor(79, 29), plain.palette().color(QPalette::Button));

  CFontStatic backed;
  backed.resize(40, 20);
  backed.SetBackColor(0x00203040);
  EXPECT_EQ(Render(backed).pixelColor(20, 10), QColor(0x40, 0x30, 0x20));
}
