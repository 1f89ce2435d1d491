#include <gtest/gtest.h>

#include <filesystem>

#include "port/module.h"

// Exported by the test program (linked with its symbols exported), as the main program's exports are.
extern "C" __attribute__((visibility("default"))) int port_module_test_export() { return 42; }

namespace {

TEST(ModuleTest, LoadFindAndFree) {
  const port::ModuleHandle module = port::LoadModule(QRV_SIBLING_LIBRARY);
  ASSERT_NE(module, nullptr) << port::LastModuleError();
  const auto function = port::FindFunction<int (*)()>(module, "port_version_sample");
  ASSERT_NE(function, nullptr);
  EXPECT_EQ(function(), 1);
  EXPECT_EQ(port::FindSymbol(module, "no_such_symbol"), nullptr);
  EXPECT_TRUE(port::FreeModule(module));
}

TEST(ModuleTest, FailuresAreNullsWithAReason) {
  EXPECT_EQ(port::LoadModule("/nonexistent/Item.dll"), nullptr);
  EXPECT_NE(port::LastModuleError().find("Item.dll"), std::string::npos);
  EXPECT_EQ(port::FindSymbol(nullptr, "port_version_sample"), nullptr);
  EXPECT_EQ(port::FindSymbol(nullptr, "malloc"), nullptr) << "a null module must not search the whole process";
  EXPECT_FALSE(port::FreeModule(nullptr));
}

TEST(ModuleTest, ProgramSymbolsAndFolder) {
  const auto exported = reinterpret_cast<int (*)()>(port::FindProgramSymbol("port_module_test_export"));
  ASSERT_NE(exported, nullptr);
  EXPECT_EQ(exported(), 42);
  EXPECT_EQ(port::ProgramPath(), std::filesystem::read_symlink("/proc/self/exe").string());
  EXPECT_EQ(port::ProgramFolder(), std::filesystem::path(port::ProgramPath()).parent_path().string());
}

}  // namespace
