// The pool item against a binder whose user-memory slots record what the item publishes and withdraws.
#include <gtest/gtest.h>

#include <QPushButton>
#include <algorithm>
#include <barrier>
#include <cstring>
#include <thread>

#include "ItemFixture.h"
#include "port/module.h"

namespace {

struct Publication {
  void* block;
  std::string name;
};

// A registry that keeps every call; a name answers with the block last published under it.
struct RecordingRegistry {
  static inline std::mutex lock;
  static inline std::vector<Publication> calls;

  static void Set(void* block, const char* name) {
    std::lock_guard guard(lock);
    calls.push_back({block, name});
  }
  static void* Get(const char* name) {
    std::lock_guard guard(lock);
    for (auto call = calls.rbegin(); call != calls.rend(); ++call)
      if (call->name == name) return call->block;
    return nullptr;
  }
  static std::vector<Publication> Calls() {
    std::lock_guard guard(lock);
    return calls;
  }
};

constexpr int kFrames = 16;

struct PublishedPool {
  unsigned char* frames[kFrames];
  int imageSize;
};

class InitMemoryItem : public ::testing::Test {
 protected:
  void SetUp() override {
    RecordingRegistry::calls.clear();
    station.binder->SetUserMemory = RecordingRegistry::Set;
    station.binder->GetUserMemory = RecordingRegistry::Get;
  }

  PublishedPool* Pool() { return static_cast<PublishedPool*>(RecordingRegistry::Get("USER_MEMORY")); }

  ItemFixture station;
};

TEST_F(InitMemoryItem, FirstRunPublishesSixteenZeroedSensorFramesAndLaterRunsReuseThem) {
  FakeSensor::Set(1920, 1080, 10);
  ASSERT_EQ(station.LoadPoolItem(), kItemLoaded);
  EXPECT_TRUE(RecordingRegistry::Calls().empty()) << "nothing is allocated before the first run";

  EXPECT_EQ(station.RunPoolItem(), 0);
  ASSERT_EQ(RecordingRegistry::Calls().size(), 1u);
  EXPECT_EQ(RecordingRegistry::Calls()[0].name, "USER_MEMORY");
  PublishedPool* pool = Pool();
  ASSERT_NE(pool, nullptr);
  EXPECT_EQ(pool->imageSize, 2 * 1920 * 1080);
  EXPECT_EQ(FakeSensor::lastSizeBits, 10);
  EXPECT_EQ(FakeSensor::lastSizeWidth, 1920);
  EXPECT_EQ(FakeSensor::lastSizeHeight, 1080);
  // The whole frame is compared, so a shorter block is an out-of-bounds read under the address sanitizer.
  const std::vector<unsigned char> zeros(1920u * 1080u * 3u, 0);
  for (int slot = 0; slot < kFrames; ++slot) {
    ASSERT_NE(pool->frames[slot], nullptr) << slot;
    EXPECT_EQ(std::memcmp(pool->frames[slot], zeros.data(), zeros.size()), 0) << slot;
    for (int other = 0; other < slot; ++other) EXPECT_NE(pool->frames[slot], pool->frames[other]);
  }

  EXPECT_EQ(station.RunPoolItem(3), 0);
  EXPECT_EQ(RecordingRegistry::Calls().size(), 1u) << "a later run publishes nothing new";
  EXPECT_EQ(Pool(), pool);
  EXPECT_EQ(FakeSensor::sizeQueries, 1);
}

TEST_F(InitMemoryItem, SecondCreateKeepsTheWindowAndTakesTheNewTables) {
  ASSERT_EQ(station.LoadPoolItem(), kItemLoaded);
  ASSERT_EQ(ItemFixture::SpecWindows().size(), 1u);
  QWidget* window = ItemFixture::SpecWindows()[0];
  EXPECT_FALSE(window->isVisible()) << "created hidden";

  // The settings menu hands the item its tables again, on the same loaded instance.
  FakeSensor::Set(320, 240, 8);
  HardwareFunctionTable second = FakeSensor::Table();
  ModuleHandle module = port::LoadModule(std::string(QRV_STATION_ROOT) + "/Dll/InitMemoryItem.dll");
  ASSERT_NE(module, nullptr);
  port::FindFunction<Item_OnCreate_Fn>(module, "Item_OnCreate")(station.binder.get(), &second, nullptr,
                                                                  station.record.get());
  port::FreeModule(module);
  ASSERT_EQ(ItemFixture::SpecWindows().size(), 1u);
  EXPECT_EQ(ItemFixture::SpecWindows()[0], window);

  second.GetImageWidth = [] { return 32; };
  second.GetImageHeight = [] { return 16; };
  EXPECT_EQ(station.RunPoolItem(), 0);
  ASSERT_NE(Pool(), nullptr);
  EXPECT_EQ(Pool()->imageSize, 32 * 16) << "the pool is sized through the table given last";
}

TEST_F(InitMemoryItem, SettingsWindowShowsAndCloseHidesIt) {
  ASSERT_EQ(station.LoadPoolItem(), kItemLoaded);
  ASSERT_TRUE(station.items.ShowSpec("InitMemoryItem.dll", 0));
  QWidget* window = ItemFixture::SpecWindows().at(0);
  EXPECT_TRUE(window->isVisible());
  window->findChild<QPushButton*>("15000")->click();
  EXPECT_TRUE(window->isVisible()) << "Apply changes nothing";
  window->findChild<QPushButton*>("3")->click();
  EXPECT_FALSE(window->isVisible());
}

TEST_F(InitMemoryItem, UnloadWithdrawsThePoolItPublishedAndClosesTheWindow) {
  ASSERT_EQ(station.LoadPoolItem(), kItemLoaded);
  ASSERT_EQ(station.RunPoolItem(), 0);
  void* published = Pool();
  station.items.UnloadAll();
  const auto calls = RecordingRegistry::Calls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].block, published);
  EXPECT_EQ(calls[1].block, nullptr);
  EXPECT_EQ(calls[1].name, "USER_MEMORY");
  EXPECT_EQ(Pool(), nullptr) << "no one finds the freed frames by name";
  EXPECT_TRUE(ItemFixture::SpecWindows().empty());
}

TEST_F(InitMemoryItem, UnloadLeavesAlonePoolsItDidNotPublish) {
  ASSERT_EQ(station.LoadPoolItem(), kItemLoaded);
  station.items.UnloadAll();
  EXPECT_TRUE(RecordingRegistry::Calls().empty()) << "never ran: nothing to withdraw";

  ASSERT_EQ(station.LoadPoolItem(), kItemLoaded);
  ASSERT_EQ(station.RunPoolItem(), 0);
  int othersBlock[kFrames] = {};
  RecordingRegistry::Set(othersBlock, "USER_MEMORY");
  station.items.UnloadAll();
  EXPECT_EQ(RecordingRegistry::Get("USER_MEMORY"), othersBlock);
  EXPECT_EQ(RecordingRegistry::Calls().size(), 2u);
}

TEST_F(InitMemoryItem, ReloadPublishesAFreshPoolOnItsFirstRun) {
  ASSERT_EQ(station.LoadPoolItem(), kItemLoaded);
  ASSERT_EQ(station.RunPoolItem(), 0);
  station.items.UnloadAll();
  ASSERT_EQ(station.LoadPoolItem(), kItemLoaded);
  EXPECT_EQ(Pool(), nullptr);
  ASSERT_EQ(station.RunPoolItem(), 0);
  EXPECT_NE(Pool(), nullptr);
  EXPECT_EQ(RecordingRegistry::Calls().size(), 3u);
}

struct MissingPart {
  const char* what;
  bool hardware;
  bool binder;
  int width;
  const char* logged;
};
void PrintTo(const MissingPart& part, std::ostream* out) { *out << part.what; }

class InitMemoryItemWithout : public InitMemoryItem, public ::testing::WithParamInterface<MissingPart> {};

// Without a sensor size or a registry there is no pool for the items after this one: the run fails and says
// why, and a later run with what was missing makes the pool.
TEST_P(InitMemoryItemWithout, FailsTheRunAndLogsIt) {
  const MissingPart& part = GetParam();
  FakeSensor::Set(part.width, 4, 8);
  ItemPlatform platform = station.Platform();
  if (!part.hardware) platform.hardware = nullptr;
  if (!part.binder) platform.binder = nullptr;
  ASSERT_EQ(station.items.Load("InitMemoryItem.dll", "DLL", QRV_STATION_ROOT, platform), kItemLoaded);
  EXPECT_NE(station.RunPoolItem(), 0);
  EXPECT_TRUE(RecordingRegistry::Calls().empty());
  const auto log = ItemFixture::LogLines();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0], std::string("0 InitMemoryItem : ") + part.logged);

  station.items.UnloadAll();
  FakeSensor::Set(8, 4, 8);
  ASSERT_EQ(station.LoadPoolItem(), kItemLoaded);
  EXPECT_EQ(station.RunPoolItem(), 0);
  EXPECT_NE(Pool(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Parts, InitMemoryItemWithout,
    ::testing::Values(MissingPart{"HardwareTable", false, true, 8, "no hardware table, frame pool not created"},
                      MissingPart{"Binder", true, false, 8, "no image library, frame pool not created"},
                      MissingPart{"SensorWidth", true, true, -1, "sensor size -1 x 4, frame pool not created"}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(InitMemoryItem, SitesRunningTheFirstTestTogetherShareOnePool) {
  ASSERT_EQ(station.LoadPoolItem(), kItemLoaded);
  constexpr int kSites = 8;
  std::barrier start(kSites);
  std::vector<int> results(kSites, -1);
  std::vector<std::thread> sites;
  for (int site = 0; site < kSites; ++site)
    sites.emplace_back([&, site] {
      start.arrive_and_wait();
      results[site] = station.RunPoolItem(site);
    });
  for (auto& thread : sites) thread.join();
  EXPECT_TRUE(std::all_of(results.begin(), results.end(), [](int result) { return result == 0; }));
  EXPECT_EQ(RecordingRegistry::Calls().size(), 1u);
  EXPECT_EQ(FakeSensor::sizeQueries, 1);
}

}  // namespace
