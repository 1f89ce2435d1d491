// The login passwords: seeded from the station's settings, kept only as hashes, an old plain-text value
// accepted once and replaced, compared exactly.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "LoginPasswords.h"
#include "ProgramFolder.h"
#include "port/registry.h"
#include "qrv_test/temp_dir.h"

namespace {

using port::registry::Root;

class LoginPasswordsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ProgramFolder::SetRoot(root.path());
    std::filesystem::create_directories(root.File("Config"));
    std::ofstream(root.File("Config/QRV_Config.ini")) << "[LOGIN]\nINIT_Maintenance=mt-seed\nINIT_Engineer=En9\n";
    for (const char* name : {"MaintenancePassword", "EngineerPassword"})
      port::registry::WriteString(Root::CurrentUser, login_passwords::kRegistryKey, name, "");
  }
  void TearDown() override { ProgramFolder::SetRoot({}); }

  static std::string Registry(const char* name) {
    return port::registry::ReadString(Root::CurrentUser, login_passwords::kRegistryKey, name).value_or("<missing>");
  }
  static std::string RegistryFileText() {
    std::ifstream in(port::registry::StoreFolder() + "/HKEY_CURRENT_USER.ini");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  qrv::test::TempDir root;
};

TEST_F(LoginPasswordsTest, SeedsAreStoredAsHashesAndOnlyTheirTextMatches) {
  login_passwords::Seed(1);
  login_passwords::Seed(2);
  EXPECT_TRUE(login_passwords::IsHash(Registry("MaintenancePassword")));
  EXPECT_TRUE(login_passwords::IsHash(Registry("EngineerPassword")));
  EXPECT_EQ(RegistryFileText().find("mt-seed"), std::string::npos) << "the seed is never stored readable";
  EXPECT_EQ(RegistryFileText().find("En9"), std::string::npos);

  using login_passwords::Check;
  EXPECT_EQ(login_passwords::Verify(1, "mt-seed"), Check::kMatch);
  EXPECT_EQ(login_passwords::Verify(2, "En9"), Check::kMatch);
  EXPECT_EQ(login_passwords::Verify(2, "en9"), Check::kWrong) << "letter case counts";
  EXPECT_EQ(login_passwords::Verify(2, "En9 "), Check::kWrong);
  EXPECT_EQ(login_passwords::Verify(1, "En9"), Check::kWrong) << "each level has its own password";
  EXPECT_EQ(login_passwords::Verify(0, ""), Check::kWrong) << "the Operator level has no password to check";

  // A present value is left alone: the seed does not come back over a changed password.
  ASSERT_TRUE(login_passwords::Store(1, "changed"));
  login_passwords::Seed(1);
  EXPECT_EQ(login_passwords::Verify(1, "changed"), Check::kMatch);
  EXPECT_EQ(login_passwords::Verify(1, "mt-seed"), Check::kWrong);
}

TEST_F(LoginPasswordsTest, AMissingSeedKeySeedsOneDigit) {
  std::ofstream(root.File("Config/QRV_Config.ini")) << "[LOGIN]\n";
  login_passwords::Seed(2);
  EXPECT_EQ(login_passwords::Verify(2, "0"), login_passwords::Check::kMatch);
}

TEST_F(LoginPasswordsTest, AnEmptySeedLeavesTheLevelWithoutAPasswordThatAnythingMatches) {
  std::ofstream(root.File("Config/QRV_Config.ini")) << "[LOGIN]\nINIT_Maintenance=\n";
  login_passwords::Seed(1);
  EXPECT_FALSE(login_passwords::HasPassword(1));
  EXPECT_EQ(login_passwords::Verify(1, ""), login_passwords::Check::kWrong);
  EXPECT_EQ(login_passwords::Verify(1, "0"), login_passwords::Check::kWrong);
}

// An older station kept the passwords readable: the right one still logs in, once, and from then on only
// its hash is stored. A wrong entry leaves the old value as it is.
TEST_F(LoginPasswordsTest, APlainTextPasswordOfAnOlderStationIsAcceptedOnceAndReplacedByItsHash) {
  port::registry::WriteString(Root::CurrentUser, login_passwords::kRegistryKey, "EngineerPassword", "legacy");
  login_passwords::Seed(2);
  EXPECT_EQ(Registry("EngineerPassword"), "legacy") << "a present value is not seeded over";

  EXPECT_EQ(login_passwords::Verify(2, "Legacy"), login_passwords::Check::kWrong);
  EXPECT_EQ(Registry("EngineerPassword"), "legacy");

  EXPECT_EQ(login_passwords::Verify(2, "legacy"), login_passwords::Check::kMatch);
  EXPECT_TRUE(login_passwords::IsHash(Registry("EngineerPassword")));
  EXPECT_EQ(RegistryFileText().find("legacy"), std::string::npos);
  EXPECT_EQ(login_passwords::Verify(2, "legacy"), login_passwords::Check::kMatch);
}

TEST_F(LoginPasswordsTest, AnEmptyNewPasswordIsStoredEmptyAndTheNextSeedFillsItAgain) {
  ASSERT_TRUE(login_passwords::Store(2, ""));
  EXPECT_EQ(Registry("EngineerPassword"), "");
  login_passwords::Seed(2);
  EXPECT_EQ(login_passwords::Verify(2, "En9"), login_passwords::Check::kMatch);
  EXPECT_FALSE(login_passwords::Store(0, "x")) << "the Operator level stores nothing";
}

TEST_F(LoginPasswordsTest, TheLastLoginLevelIsKept) {
  ASSERT_TRUE(login_passwords::WriteLoginLevel(1));
  EXPECT_EQ(port::registry::ReadDword(Root::CurrentUser, login_passwords::kRegistryKey, "LoginLev"), 1u);
}

}  // namespace
