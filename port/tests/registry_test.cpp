#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "port/registry.h"

namespace {

using port::registry::Root;

TEST(RegistryTest, RoundTripAndTypedMismatch) {
  const std::string key = "Software\\QRV\\Platform\\SYSTEM\\";
  ASSERT_TRUE(port::registry::WriteDword(Root::CurrentUser, key, "LoginByPass", 10));
  ASSERT_TRUE(port::registry::WriteString(Root::CurrentUser, key, "Name", "  two words \"quoted\" "));
  ASSERT_TRUE(port::registry::WriteDword(Root::CurrentUser, key, "Max", 0xFFFFFFFFu));

  // Key paths compare without case and without the trailing separator; roots are separate stores.
  EXPECT_EQ(port::registry::ReadDword(Root::CurrentUser, "software\\qrv\\platform\\system", "loginbypass"), 10u);
  EXPECT_EQ(port::registry::ReadDword(Root::CurrentUser, key, "Max"), 0xFFFFFFFFu);
  EXPECT_EQ(port::registry::ReadString(Root::CurrentUser, key, "Name"), "  two words \"quoted\" ");
  EXPECT_EQ(port::registry::ReadDword(Root::LocalMachine, key, "LoginByPass"), std::nullopt);

  EXPECT_EQ(port::registry::ReadString(Root::CurrentUser, key, "LoginByPass"), std::nullopt);
  EXPECT_EQ(port::registry::ReadDword(Root::CurrentUser, key, "Name"), std::nullopt);
  EXPECT_EQ(port::registry::ReadDword(Root::CurrentUser, key, "Missing"), std::nullopt);

  ASSERT_TRUE(port::registry::WriteDword(Root::CurrentUser, key, "LoginByPass", 0));
  EXPECT_EQ(port::registry::ReadDword(Root::CurrentUser, key, "LoginByPass"), 0u);
}

TEST(RegistryTest, StoreFollowsTheEnvironmentAndCreateKeyIsIdempotent) {
  EXPECT_EQ(port::registry::StoreFolder(), std::getenv("QRV_REGISTRY_DIR"));
  EXPECT_TRUE(port::registry::CreateKey(Root::LocalMachine, "System\\Hardware"));
  EXPECT_TRUE(port::registry::CreateKey(Root::LocalMachine, "SYSTEM\\HARDWARE\\"));
  EXPECT_EQ(port::registry::ReadDword(Root::LocalMachine, "System\\Hardware", "HardwareByPass"), std::nullopt);
}

mode_t ModeOf(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
  return info.st_mode & 07777;
}

// The store keeps password hashes: no one but its owner may read it, also when an older station left the
// folder and its file open to everyone.
TEST(RegistryTest, FolderAndFilesAreTheOwnersOnly) {
  const std::string previous = std::getenv("QRV_REGISTRY_DIR");
  char name[] = "/tmp/qrv_registry_mode_XXXXXX";
  ASSERT_NE(::mkdtemp(name), nullptr);
  const std::string folder = std::string(name) + "/store";
  std::filesystem::create_directories(folder);
  std::filesystem::permissions(folder, std::filesystem::perms::all);
  std::ofstream(folder + "/HKEY_CURRENT_USER.ini") << "[Old]\nValue=\"sz:x\"\n";
  std::filesystem::permissions(folder + "/HKEY_CURRENT_USER.ini", std::filesystem::perms::all);
  ::setenv("QRV_REGISTRY_DIR", folder.c_str(), 1);

  EXPECT_TRUE(port::registry::WriteString(Root::CurrentUser, "Software\\QRV", "Secret", "hash"));
  EXPECT_TRUE(port::registry::CreateKey(Root::LocalMachine, "System"));
  EXPECT_EQ(ModeOf(folder), 0700u);
  EXPECT_EQ(ModeOf(folder + "/HKEY_CURRENT_USER.ini"), 0600u);
  EXPECT_EQ(ModeOf(folder + "/HKEY_LOCAL_MACHINE.ini"), 0600u);
  EXPECT_EQ(port::registry::ReadString(Root::CurrentUser, "Old", "Value"), "x") << "the old values stay";
  EXPECT_EQ(port::registry::ReadString(Root::CurrentUser, "Software\\QRV", "Secret"), "hash");

  ::setenv("QRV_REGISTRY_DIR", previous.c_str(), 1);
  std::filesystem::remove_all(name);
}

}  // namespace
