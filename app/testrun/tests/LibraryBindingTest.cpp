// Libraries are accepted by their FileDescription before anything of them runs; item libraries get their
// load status and the station goes on.
#include <gtest/gtest.h>

#include <filesystem>

#include "TestRunFixture.h"
#include "qrv_test/file_text.h"
#include "qrv_test/scoped_env.h"

namespace {

namespace fs = std::filesystem;

// A station whose hardware library reports its load and delete calls into a marker file.
class LibraryBinding : public testing::Test {
 protected:
  CQRV_LoadMemory& InstallHardware(const char* built) {
    fs::create_directories(fs::path(station.Root()) / "System");
    fs::copy_file(built, fs::path(station.Root()) / "System" / "QRV_PlatformHW.dll");
    return station.Record();
  }

  TestStation station;
  const std::string marker = station.Root() + "/marker.txt";
  qrv::test::ScopedEnv env{"QRV_TEST_HW_MARKER", marker};
};

TEST_F(LibraryBinding, UnknownHardwareDescriptionIsNeverLoaded) {
  CQRV_LoadMemory& record = InstallHardware(HW_UNKNOWN);
  record.LoadHardwareLibrary();
  EXPECT_EQ(record.HardwareType, 0u);
  EXPECT_EQ(record.m_hHardware, nullptr);
  EXPECT_EQ(record.GetHardwareTable(), nullptr);
  EXPECT_FALSE(fs::exists(marker));
  EXPECT_STREQ(record.m_szHardwareVer, "Hardware_x64  : 9.9.9.9 - HW_Other ");
  record.UnloadHardwareLibrary();
  EXPECT_FALSE(fs::exists(marker));
}

TEST_F(LibraryBinding, KnownHardwareLoadsAndIsDeletedOnceAtUnload) {
  CQRV_LoadMemory& record = InstallHardware(HW_KNOWN);
  record.LoadHardwareLibrary();
  EXPECT_EQ(record.HardwareType, 20u);
  EXPECT_NE(record.GetHardwareTable(), nullptr);
  EXPECT_STREQ(record.m_szHardwareVer, "Hardware_x64 Release - test : 3.2.1.0 - HW_Velkara ");
  record.UnloadHardwareLibrary();
  record.UnloadHardwareLibrary();
  EXPECT_EQ(record.m_hHardware, nullptr);
  EXPECT_EQ(qrv::test::ReadFile(marker), "loaded\ndeleted\n");
}

TEST_F(LibraryBinding, AHardwareLibraryThatGaveNoTableIsLeftAloneAtUnload) {
  const qrv::test::ScopedEnv noTable("QRV_TEST_HW_NO_TABLE", "1");
  CQRV_LoadMemory& record = InstallHardware(HW_KNOWN);
  record.LoadHardwareLibrary();
  ASSERT_EQ(record.GetHardwareTable(), nullptr);
  record.UnloadHardwareLibrary();
  EXPECT_EQ(qrv::test::ReadFile(marker), "loaded\n");
}

TEST_F(LibraryBinding, MissingProtocolFileLeavesAnEmptyLine) {
  station.Record().LoadProtocolLibrary();
  EXPECT_EQ(station.Record().ProtocolType, 0u);
  EXPECT_EQ(station.Record().m_hProtocol, nullptr);
  EXPECT_STREQ(station.Record().m_szProtocolVer, "Protocol_x64   :  - ");
}

TEST(ItemLibraryMap, EveryLibraryIsListedWithItsStatusAndTheStationGoesOn) {
  TestStation station;
  EXPECT_EQ(station.LoadItem("MissingEntry.dll"), kItemEntryMissing);
  EXPECT_EQ(station.LoadItem("NotALibrary.dll"), kItemNotLoaded);
  EXPECT_EQ(station.LoadItem("Absent.dll"), kItemNotLoaded);
  EXPECT_EQ(station.LoadItem("TestItemA.dll"), kItemLoaded);
  EXPECT_EQ(station.LoadItem("TestItemA.dll"), kItemLoaded);  // once per DLL file name
  EXPECT_EQ(station.LoadItem("testitema.DLL"), kItemLoaded);  // the same file, found without case
  const auto listed = station.Items().List();
  ASSERT_EQ(listed.size(), 4u);
  EXPECT_EQ(listed[0].status, -1);
  EXPECT_EQ(listed[1].status, -2);
  EXPECT_FALSE(station.Items().AllLoaded());
  EXPECT_EQ(station.ItemA().Created(), 1);
  EXPECT_EQ(station.Items().RunOnTest("TestItemA.dll", 0, 0, 0, 0), 0);
  EXPECT_EQ(station.Items().RunOnTest("TESTITEMA.dll", 0, 0, 0, 0), 0);
  EXPECT_EQ(station.Items().RunOnTest("MissingEntry.dll", 0, 0, 0, 0), -1);
  EXPECT_EQ(station.Items().RunOnTest("Unregistered.dll", 0, 0, 0, 0), -2);
  station.Items().UnloadAll();
  EXPECT_EQ(station.ItemA().Deleted(), 1);
  EXPECT_TRUE(station.Items().Empty());
}

TEST(ItemLibraryMap, UnloadGoesByTheBytesOfTheNames) {
  TestStation station;
  const std::string log = station.Root() + "/deleted.txt";
  const qrv::test::ScopedEnv deleteLog("QRV_TEST_ITEM_DELETE_LOG", log);
  fs::copy_file(station.Root() + "/Dll/TestItemA.dll", station.Root() + "/Dll/alpha.dll");
  for (const char* name : {"alpha.dll", "TestItemB.dll", "TestItemA.dll"}) ASSERT_EQ(station.LoadItem(name), 0);
  station.Items().UnloadAll();
  EXPECT_EQ(qrv::test::ReadFile(log), "TestItemA.dll\nTestItemB.dll\nalpha.dll\n");
}

// The create hook of an item loads the same name again, as a nested event loop on this thread could.
TestStation* g_station = nullptr;
int g_nestedStatus = 0;
void LoadAgainFromTheCreateHook() {
  g_station->ItemA().SetOnCreate(nullptr);
  g_nestedStatus = g_station->LoadItem("TestItemA.dll");
}

TEST(ItemLibraryMap, ALoadOfANameStillLoadingIsRefusedAndNoHookRunsTwice) {
  TestStation station;
  g_station = &station;
  station.ItemA().SetOnCreate(LoadAgainFromTheCreateHook);
  EXPECT_EQ(station.LoadItem("TestItemA.dll"), kItemLoaded);
  EXPECT_EQ(g_nestedStatus, kItemNotLoaded);
  EXPECT_EQ(station.ItemA().Created(), 1);
  EXPECT_EQ(station.ItemA().Deleted(), 0) << "the registered item keeps its state";
  EXPECT_EQ(station.Items().List().size(), 1u);
  EXPECT_EQ(station.Items().RunOnTest("TestItemA.dll", 0, 0, 0, 0), 0);
  station.Items().UnloadAll();
  EXPECT_EQ(station.ItemA().Deleted(), 1);
}

}  // namespace
