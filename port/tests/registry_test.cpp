#include <gtest/gtest.h>

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

}  // namespace
