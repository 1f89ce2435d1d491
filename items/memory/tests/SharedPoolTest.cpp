// The pool item in the station: loaded by the item loader with the image library's real registry, its pool
// used by another item, and the default model's items all loading from the built station folder.
#include <gtest/gtest.h>

#include "ItemFixture.h"
#include "ItemRegistration.h"
#include "port/ini.h"
#include "port/path.h"
#include "port/text.h"
#include "port/version.h"

namespace {

constexpr int kPoolUsed = 0;
constexpr int kPoolNotFound = 2;

struct Pool {
  unsigned char* frames[16];
  int imageSize;
};

class SharedPool : public ::testing::Test {
 protected:
  int LoadReader() { return readers.Load("PoolReader.dll", "plugins", TEST_PLUGIN_ROOT, station.Platform()); }
  int RunReader() { return readers.RunOnTest("PoolReader.dll", 0, 1, 0, 0); }
  void* Published() { return station.binder->GetUserMemory("USER_MEMORY"); }

  ItemFixture station;
  ItemLibraryMap readers;
};

TEST_F(SharedPool, AnotherItemFindsThePoolByNameAndFillsEveryFrame) {
  ASSERT_NE(station.binder->m_hSoftware, nullptr);
  FakeSensor::Set(800, 600, 10);
  ASSERT_EQ(station.LoadPoolItem(), kItemLoaded);
  ASSERT_EQ(LoadReader(), kItemLoaded);
  EXPECT_EQ(RunReader(), kPoolNotFound) << "before the pool item's first run";

  ASSERT_EQ(station.RunPoolItem(), 0);
  const auto* pool = static_cast<const Pool*>(Published());
  ASSERT_NE(pool, nullptr);
  EXPECT_EQ(pool->imageSize, 2 * 800 * 600);
  EXPECT_EQ(RunReader(), kPoolUsed);
  EXPECT_EQ(pool->frames[15][800 * 600 * 3 - 1], 0xA5);
}

TEST_F(SharedPool, AfterUnloadTheNameFindsNothingUntilTheReloadedItemRuns) {
  ASSERT_EQ(station.LoadPoolItem(), kItemLoaded);
  ASSERT_EQ(LoadReader(), kItemLoaded);
  ASSERT_EQ(station.RunPoolItem(), 0);
  ASSERT_EQ(RunReader(), kPoolUsed);

  station.items.UnloadAll();
  EXPECT_EQ(Published(), nullptr);
  EXPECT_EQ(RunReader(), kPoolNotFound) << "the freed frames must not be reachable";

  ASSERT_EQ(station.LoadPoolItem(), kItemLoaded);
  ASSERT_EQ(station.RunPoolItem(), 0);
  EXPECT_EQ(RunReader(), kPoolUsed);
}

// Every library the shipped model names is in the station folder where the loader looks for it.
TEST(DefaultModel, EveryListedItemLoadsFromTheBuiltStation) {
  ItemFixture station;
  const std::string model = std::string(QRV_STATION_TEMPLATE) + "/Ref/Init_Model";
  const std::string dllManager = port::JoinPath(model, "DllManager.ini");
  const std::string cycle = port::JoinPath(model, "Cycle.ini");
  struct List {
    std::string file;
    std::string section;
    const char* folder;
  };
  std::vector<List> lists = {{cycle, "CYCLE_INIT_DLL", "Cycle"}, {cycle, "CYCLE_CLOSE_DLL", "Cycle"}};
  for (int site = 0; site < kMaxSites; ++site) {
    lists.push_back({dllManager, ItemRegistration::SiteSection(site), "DLL"});
    lists.push_back({cycle, port::Format("%c.CYCLE_END_DLL", SiteLetter(site)), "Cycle"});
  }
  int listed = 0;
  for (const List& list : lists) {
    const int count = std::stoi(port::ini::ReadString(list.file, list.section, "Count", "0"));
    for (int entry = 0; entry < count; ++entry) {
      const DllEntry dll = ItemRegistration::ParseDllEntry(
          port::ini::ReadString(list.file, list.section, std::to_string(entry), "0"));
      ++listed;
      EXPECT_EQ(station.items.Load(dll.dll, list.folder, QRV_STATION_ROOT, station.Platform()), kItemLoaded)
          << list.section << " " << dll.dll;
    }
  }
  EXPECT_GT(listed, 0);
  EXPECT_TRUE(station.items.AllLoaded());
  EXPECT_EQ(port::ReadVersionString(std::string(QRV_STATION_ROOT) + "/Dll/InitMemoryItem.dll", "ItemName"),
            "Velkara_InitMemoryItem");
}

}  // namespace
