#include <fstream>

#include "RigUtilLibrary.h"
#include "qrv_test/scoped_env.h"
#include "qrv_test/temp_dir.h"

namespace {

constexpr RegRoot kUser = RegRoot::CurrentUser;
constexpr const char* kKey = "Software\\QRV\\Platform\\SYSTEM\\";

using RigUtilRegistryTest = RigUtilTest;

TEST_F(RigUtilRegistryTest, IntReadsDefaultForMissingValueAndRoundTrips) {
  EXPECT_EQ(lib.RegeditRead_Int(kUser, kKey, "Missing", 17u), 17u);
  ASSERT_EQ(lib.RegeditWrite_Int(kUser, kKey, "Value", 0xDEADBEEFu), 1);
  EXPECT_EQ(lib.RegeditRead_Int(kUser, kKey, "Value", 17u), 0xDEADBEEFu);
}

TEST_F(RigUtilRegistryTest, StringReadCopiesDefaultWhenMissingOrTooLong) {
  char buffer[8] = "old";
  EXPECT_EQ(lib.RegeditRead_String(kUser, kKey, "Missing", "dflt", buffer, sizeof buffer), 0);
  EXPECT_STREQ(buffer, "dflt");

  ASSERT_EQ(lib.RegeditWrite_String(kUser, kKey, "Name", "1234567"), 1);
  EXPECT_EQ(lib.RegeditRead_String(kUser, kKey, "Name", "dflt", buffer, sizeof buffer), 1);
  EXPECT_STREQ(buffer, "1234567");

  ASSERT_EQ(lib.RegeditWrite_String(kUser, kKey, "Name", "12345678"), 1);
  EXPECT_EQ(lib.RegeditRead_String(kUser, kKey, "Name", "dflt", buffer, sizeof buffer), 0);
  EXPECT_STREQ(buffer, "dflt");
}

// A store that cannot be opened gives 0, never the default, and leaves the caller's buffer alone.
TEST_F(RigUtilRegistryTest, UnopenableStoreGivesZero) {
  qrv::test::TempDir dir;
  std::ofstream(dir.File("file")) << "not a folder";
  const qrv::test::ScopedEnv store("QRV_REGISTRY_DIR", dir.File("file") + "/registry");
  EXPECT_EQ(lib.RegeditRead_Int(kUser, kKey, "Missing", 17u), 0u);
  char buffer[8] = "keep";
  EXPECT_EQ(lib.RegeditRead_String(kUser, kKey, "Missing", "dflt", buffer, sizeof buffer), 0);
  EXPECT_STREQ(buffer, "keep");
  EXPECT_EQ(lib.RegeditWrite_Int(kUser, kKey, "Value", 1u), 0);
  EXPECT_EQ(lib.RegeditWrite_String(kUser, kKey, "Name", "x"), 0);
}

}  // namespace
