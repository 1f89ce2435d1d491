#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <new>

#include "QRV_PlatformMemory.h"
#include "RecordFields.h"
#include "port/message_box.h"
#include "port/module.h"
#include "qrv_test/temp_dir.h"

#pragma GCC diagnostic ignored "-Winvalid-offsetof"

namespace {

class PlatformRecordTest : public ::testing::Test {
 protected:
  void SetUp() override { port::ClearShownMessageBoxes(); }

  static std::vector<std::string> BoxTexts() {
    std::vector<std::string> texts;
    for (const auto& box : port::ShownMessageBoxes()) texts.push_back(box.text);
    return texts;
  }

  static int BoundSlots(const CRigUtil& record) {
    int bound = 0;
#define QRV_COUNT_SLOT(name, result, params) bound += record.name != nullptr;
    QRV_RIGUTIL_FUNCTIONS(QRV_COUNT_SLOT)
#undef QRV_COUNT_SLOT
    return bound;
  }
};

// Built in memory full of garbage, so only what the constructors set reads zero.
TEST_F(PlatformRecordTest, EveryFieldButTheUtilitySlotsStartsZero) {
  alignas(CQRV_LoadMemory) unsigned char storage[sizeof(CQRV_LoadMemory)];
  std::memset(storage, 0xA5, sizeof storage);
  auto* record = new (storage) CQRV_LoadMemory(QRV_RIGUTIL_LIBRARY);

  EXPECT_TRUE(record->IsComplete());
  EXPECT_EQ(BoundSlots(*record), kRigUtilFunctionCount);
  EXPECT_TRUE(BoxTexts().empty());
  EXPECT_TRUE(record->m_strRoot.empty());

  const auto isZero = [&](std::size_t offset, std::size_t size) {
    return std::all_of(storage + offset, storage + offset + size, [](unsigned char b) { return b == 0; });
  };
  const std::size_t firstValue = offsetof(CQRV_LoadMemory, SetLog);
#define X(field)                                                                          \
  if (offsetof(CQRV_LoadMemory, field) >= firstValue &&                                   \
      offsetof(CQRV_LoadMemory, field) != offsetof(CQRV_LoadMemory, m_strRoot)) {         \
    EXPECT_TRUE(isZero(offsetof(CQRV_LoadMemory, field), sizeof(record->field))) << #field; \
  }
  QRV_RECORD_FIELDS(X)
#undef X
  EXPECT_EQ(record->GetLoginLevel(), 0u);
  EXPECT_EQ(record->GetRoot(), "");
  record->~CQRV_LoadMemory();
}

TEST_F(PlatformRecordTest, MissingLibraryShowsOneBoxAndBindsNothing) {
  qrv::test::TempDir dir;
  const CQRV_LoadMemory record(dir.File("System/RigUtil_x64.dll"));
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"CRigUtil Loadlibrary Fail"});
  EXPECT_EQ(record.m_hRigUtil, nullptr);
  EXPECT_EQ(BoundSlots(record), 0);
  EXPECT_FALSE(record.IsComplete());
}

TEST_F(PlatformRecordTest, LibraryLackingOneExportShowsOneBoxAndBindsTheOthers) {
  const CQRV_LoadMemory record(QRV_RIGUTIL_LACKING);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"CRigUtil Function Error"});
  EXPECT_NE(record.m_hRigUtil, nullptr);
  EXPECT_EQ(BoundSlots(record), kRigUtilFunctionCount - 1);
  EXPECT_EQ(record.MultiToWide, nullptr);
  EXPECT_FALSE(record.IsComplete());
}

TEST_F(PlatformRecordTest, DefaultLibraryIsInTheProgramsSystemFolder) {
  EXPECT_EQ(CRigUtil::DefaultLibraryPath(), port::ProgramFolder() + "/System/RigUtil_x64.dll");
}

// A library compiled apart from the program sees every field where the program put it.
TEST_F(PlatformRecordTest, SeparatelyBuiltLibrarySeesTheSameLayout) {
  const port::ModuleHandle probe = port::LoadModule(QRV_RECORD_PROBE);
  ASSERT_NE(probe, nullptr) << port::LastModuleError();
  const auto size = port::FindFunction<std::size_t (*)()>(probe, "RecordProbe_Size");
  const auto count = port::FindFunction<int (*)()>(probe, "RecordProbe_FieldCount");
  const auto offset = port::FindFunction<std::size_t (*)(int)>(probe, "RecordProbe_Offset");
  ASSERT_TRUE(size && count && offset);
  EXPECT_EQ(size(), sizeof(CQRV_LoadMemory));

  std::vector<std::pair<const char*, std::size_t>> fields;
#define X(field) fields.emplace_back(#field, offsetof(CQRV_LoadMemory, field));
  QRV_RECORD_FIELDS(X)
#undef X
  ASSERT_EQ(count(), static_cast<int>(fields.size()));
  ASSERT_EQ(fields.size(), 74u);
  for (int i = 0; i < count(); ++i) EXPECT_EQ(offset(i), fields[i].second) << fields[i].first;

  CQRV_LoadMemory record(QRV_RIGUTIL_LIBRARY);
  record.m_nLoginLevel = 12;
  record.SetStopButtonFlag(1);
  std::strcpy(record.m_szRoot, "/station/root");
  record.ProtocolType = 8;
  using Reader = std::uint32_t (*)(CQRV_LoadMemory*);
  EXPECT_EQ(port::FindFunction<Reader>(probe, "RecordProbe_LoginLevel")(&record), 12u);
  EXPECT_EQ(port::FindFunction<Reader>(probe, "RecordProbe_StopAll")(&record), 1u);
  EXPECT_EQ(port::FindFunction<Reader>(probe, "RecordProbe_ProtocolType")(&record), 8u);
  EXPECT_STREQ(port::FindFunction<const char* (*)(CQRV_LoadMemory*)>(probe, "RecordProbe_Root")(&record),
               "/station/root");
  port::FindFunction<void (*)(CQRV_LoadMemory*, int)>(probe, "RecordProbe_SetSiteStop")(&record, 5);
  EXPECT_EQ(record.GetSiteStopFlag(5), 1u);
  port::FreeModule(probe);
}

TEST_F(PlatformRecordTest, SiteAccessorsRefuseIndexesOutsideTheArrays) {
  CQRV_LoadMemory record(QRV_RIGUTIL_LIBRARY);
  record.SetSiteStopFlag(8, 1);
  record.SetSiteStopFlag(-1, 1);
  for (int site = 0; site < kMaxSites; ++site) EXPECT_EQ(record.GetSiteStopFlag(site), 0u);
  EXPECT_EQ(record.GetSiteStopFlag(8), 0u);
  EXPECT_EQ(record.GetViewDC(8), nullptr);
  EXPECT_EQ(record.GetViewDC(-1), nullptr);
}

TEST_F(PlatformRecordTest, BoundSlotsReachTheLibrary) {
  const CQRV_LoadMemory record(QRV_RIGUTIL_LIBRARY);
  qrv::test::TempDir dir;
  const std::string ini = dir.File("x.ini");
  ASSERT_EQ(record.IniWrite_Int("S", "K", 41, ini.c_str()), 1);
  EXPECT_EQ(record.IniRead_Int("S", "K", 0, ini.c_str()), 41);
  EXPECT_EQ(CQRVPlatformMemory::FormatString("%s\\Ref\\%s", "C:\\Station", "A1"), "C:\\Station\\Ref\\A1");
}

}  // namespace
