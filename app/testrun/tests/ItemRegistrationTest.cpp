#include <gtest/gtest.h>

#include <filesystem>

#include "ItemRegistration.h"
#include "qrv_test/station_folder.h"

namespace {

using qrv::test::StationFolder;

const char* const kDllManager = "Ref/M/DllManager.ini";

// The platform error log of the station folder (one file a day).
std::string ErrorLogText(const StationFolder& station) {
  std::string text;
  for (const auto& file : std::filesystem::directory_iterator(station.Path("System/PlatformErrorLog")))
    text += station.Read("System/PlatformErrorLog/" + file.path().filename().string());
  return text;
}

std::vector<std::string> Names(const std::vector<DllEntry>& entries) {
  std::vector<std::string> names;
  for (const auto& entry : entries) names.push_back(entry.dll + "," + std::to_string(entry.checked) + "," + entry.retry);
  return names;
}

TEST(ItemRegistrationTest, EachSiteRoundTripsItsOwnEntries) {
  StationFolder station;
  const std::vector<DllEntry> siteA = {{"A.dll", 1, "3"}, {"B.dll", 0, "1"}, {"C.dll", 1, ""}};
  const std::vector<DllEntry> siteB = {{"Other.dll", 1, "1"}};
  std::string error = "stale";
  ASSERT_EQ(ItemRegistration::SaveDllList(0, siteA, &error), 1);
  EXPECT_EQ(error, "");
  ASSERT_EQ(ItemRegistration::SaveDllList(1, siteB), 1);

  EXPECT_EQ(Names(ItemRegistration::ReadSiteEntries(0)), Names(siteA));
  EXPECT_EQ(Names(ItemRegistration::ReadSiteEntries(1)), Names(siteB));
  EXPECT_TRUE(ItemRegistration::ReadSiteEntries(2).empty());
  std::string file = station.Read(kDllManager);
  std::erase(file, '\r');
  EXPECT_NE(file.find("[A.QRV_DLL_LOAD]\nCount=3\n0=A.dll,1,3\n1=B.dll,0,1\n2=C.dll,1,\n"), std::string::npos) << file;
  const std::vector<ItemRow> rows = ItemRegistration::ReadSiteItems(0);
  ASSERT_EQ(rows.size(), 2u) << "one row per checked entry";
  EXPECT_EQ(rows[0].retry, 3);
  EXPECT_EQ(rows[1].retry, 0) << "an empty retry field runs the item once";
}

// A retry count is how often a failing item runs within one start: one past the limit runs it that many times,
// and the error log names the entry.
TEST(ItemRegistrationTest, ARetryCountPastItsLimitRunsTheItemThatManyTimesAndSaysSo) {
  StationFolder station;
  station.Write(kDllManager, "[A.QRV_DLL_LOAD]\r\nCount=3\r\n0=A.dll,1,2147483647\r\n1=B.dll,1,100\r\n"
                             "2=C.dll,1,-1\r\n");
  const std::vector<ItemRow> rows = ItemRegistration::ReadSiteItems(0);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].retry, kMaxItemCalls);
  EXPECT_EQ(rows[1].retry, 100) << "the limit itself is kept";
  EXPECT_EQ(rows[2].retry, -1) << "a negative count runs the item once, as before";
  EXPECT_NE(ErrorLogText(station).find("DllManager.ini [A.QRV_DLL_LOAD] 0=2147483647 is more than 100"),
            std::string::npos);
}

TEST(ItemRegistrationTest, MissingKeysAndFieldsReadAsDefaults) {
  StationFolder station;
  station.Write(kDllManager, "[A.QRV_DLL_LOAD]\r\nCount=4\r\n0=A.dll,1,2\r\n1=B.dll\r\n3=D.dll,7\r\n");
  const std::vector<DllEntry> entries = ItemRegistration::ReadSiteEntries(0);
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_EQ(Names(entries), (std::vector<std::string>{"A.dll,1,2", "B.dll,0,", "0,0,", "D.dll,7,"}));
  EXPECT_EQ(ItemRegistration::ReadUserSpecMenuName(), "0");

  station.Write(kDllManager, "[A.QRV_DLL_LOAD]\r\nCount=-4\r\n[B.QRV_DLL_LOAD]\r\nCount=999999999\r\n");
  EXPECT_TRUE(ItemRegistration::ReadSiteEntries(0).empty());
  EXPECT_EQ(ItemRegistration::ReadEntryCount(1), ItemRegistration::kMaxEntries) << "a damaged Count is bounded";
}

TEST(ItemRegistrationTest, AShorterListLeavesOldKeysThatReadersIgnore) {
  StationFolder station;
  ASSERT_EQ(ItemRegistration::SaveDllList(0, {{"1.dll", 1, "1"}, {"2.dll", 1, "1"}, {"3.dll", 1, "1"},
                                               {"4.dll", 1, "1"}, {"5.dll", 1, "1"}}),
            1);
  ASSERT_EQ(ItemRegistration::SaveDllList(0, {{"X.dll", 1, "1"}, {"Y.dll", 0, "2"}}), 1);
  EXPECT_EQ(Names(ItemRegistration::ReadSiteEntries(0)), (std::vector<std::string>{"X.dll,1,1", "Y.dll,0,2"}));
  EXPECT_NE(station.Read(kDllManager).find("4=5.dll,1,1"), std::string::npos);
}

TEST(ItemRegistrationTest, EntriesTheFileCannotHoldAreRefusedAndNothingIsWritten) {
  StationFolder station;
  ASSERT_EQ(ItemRegistration::SaveDllList(0, {{"Keep.dll", 1, "2"}}), 1);
  const std::string before = station.Read(kDllManager);
  const DllEntry bad[] = {
      {"", 1, "1"},          {"A,B.dll", 1, "1"}, {"../A.dll", 1, "1"}, {"sub\\A.dll", 1, "1"},
      {"A.dll\r\n0", 1, "1"}, {" A.dll", 1, "1"},  {"A.dll", 1, "2,3"},  {"A.dll", 1, "x"},
  };
  for (const DllEntry& entry : bad) {
    SCOPED_TRACE(entry.dll + "|" + entry.retry);
    std::string error;
    EXPECT_EQ(ItemRegistration::SaveDllList(0, {{"Good.dll", 1, "1"}, entry}, &error), 0);
    EXPECT_NE(error.find("entry 1"), std::string::npos) << error;
    EXPECT_EQ(station.Read(kDllManager), before);
  }
  EXPECT_EQ(ItemRegistration::SaveDllList(8, {{"A.dll", 1, "1"}}), 0);
  EXPECT_EQ(station.Read(kDllManager), before);
  EXPECT_NE(ErrorLogText(station).find("ItemRegistration::SaveDllList"),
            std::string::npos)
      << "refusals are reported";
}

TEST(ItemRegistrationTest, SingleListKeepsNamesFlagsAndRetriesInItsOwnSections) {
  StationFolder station;
  station.Write(kDllManager, "[QRV_DLL_LOAD]\r\nCount=2\r\n0=A.dll\r\n1=a=b.dll\r\n[QRV_DLL_LOAD_CHECK]\r\nA.dll=1\r\n");
  const std::string before = station.Read(kDllManager);
  EXPECT_EQ(Names(ItemRegistration::ReadSingleListEntries()), (std::vector<std::string>{"A.dll,1,0", "a=b.dll,0,0"}));
  std::string error;
  EXPECT_EQ(ItemRegistration::SaveSingleList(ItemRegistration::ReadSingleListEntries(), &error), 0);
  EXPECT_NE(error.find("entry 1: the DLL name \"a=b.dll\" cannot be a key"), std::string::npos) << error;
  EXPECT_EQ(station.Read(kDllManager), before);

  ASSERT_EQ(ItemRegistration::SaveSingleList({{"B.dll", 0, "3"}, {"A.dll", 1, "2"}}), 1);
  EXPECT_EQ(Names(ItemRegistration::ReadSingleListEntries()), (std::vector<std::string>{"B.dll,0,3", "A.dll,1,2"}));
  EXPECT_TRUE(ItemRegistration::ReadSiteEntries(0).empty()) << "the site sections are apart";
}

TEST(ItemRegistrationTest, VersionPinsAndHandlerCodes) {
  StationFolder station;
  EXPECT_EQ(ItemRegistration::ReadPinnedCount(0), 0);
  EXPECT_EQ(ItemRegistration::ReadPinnedVersion(0, "ItemA"), "");
  EXPECT_EQ(ItemRegistration::ReadPinnedIndexText(0, "ItemA"), "0");
  EXPECT_EQ(ItemRegistration::ReadPinnedIndex(0, "ItemA"), -1);
  const HandlerReturnCodes defaults = ItemRegistration::ReadHandlerReturn();
  EXPECT_EQ(defaults.count + defaults.version + defaults.define + defaults.index, "615616617618");

  station.Write("Ref/M/ItemVersion.ini",
                "[B.DLL_VERSION]\r\nItemA=1.0.0.1\r\n[B.DLL_VERSION_INDEX]\r\ncount=2\r\nItemA=1\r\n"
                "[LOG]\r\nVERSION=SET-7\r\n");
  EXPECT_EQ(ItemRegistration::ReadPinnedCount(1), 2);
  EXPECT_EQ(ItemRegistration::ReadPinnedVersion(1, "ItemA"), "1.0.0.1");
  EXPECT_EQ(ItemRegistration::ReadPinnedIndex(1, "ItemA"), 1);
  EXPECT_EQ(ItemRegistration::ReadPinnedVersion(0, "ItemA"), "") << "pins are per site";
  EXPECT_EQ(ItemRegistration::ReadVersionText(), "SET-7");

  ASSERT_EQ(ItemRegistration::WriteHandlerReturn({"715", "716", "717", "718"}), 1);
  const HandlerReturnCodes codes = ItemRegistration::ReadHandlerReturn();
  EXPECT_EQ(codes.count + codes.version + codes.define + codes.index, "715716717718");
  EXPECT_EQ(ItemRegistration::ReadPinnedVersion(1, "ItemA"), "1.0.0.1") << "the other sections are kept";
}

}  // namespace
