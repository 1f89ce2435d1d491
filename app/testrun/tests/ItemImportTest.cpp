// Import into the Dll folder: a file takes the place of the one of its name in any letter case, whole and
// with its own time, and leaves nothing half-written behind; loaded libraries and names with folder parts are
// refused, and files chosen from the folder itself copy nothing.
#include <gtest/gtest.h>

#include <filesystem>

#include "ItemImport.h"
#include "qrv_test/file_text.h"
#include "qrv_test/temp_dir.h"

namespace fs = std::filesystem;

TEST(ItemImportTest, ReplacesTheFileOfItsNameWholeAndKeepsItsTime) {
  qrv::test::TempDir source;
  qrv::test::TempDir station;
  const std::string dll = station.File("Dll");
  fs::create_directories(dll);
  qrv::test::WriteFile(dll + "/Item.dll", "old");
  qrv::test::WriteFile(source.File("item.DLL"), "new library");
  qrv::test::WriteFile(source.File("Other.dll"), "other");
  const auto stamp = fs::file_time_type::clock::now() - std::chrono::hours(48);
  fs::last_write_time(source.File("item.DLL"), stamp);

  const DllImportResult result =
      ItemImport::ImportDllFiles({source.File("item.DLL"), source.File("Other.dll")}, dll, {});
  EXPECT_FALSE(result.samePath);
  EXPECT_EQ(result.copied, 2);
  EXPECT_TRUE(result.refused.empty());
  EXPECT_EQ(qrv::test::ReadFile(dll + "/Item.dll"), "new library") << "the existing spelling is the one replaced";
  EXPECT_FALSE(fs::exists(dll + "/item.DLL"));
  EXPECT_EQ(fs::last_write_time(dll + "/Item.dll"), stamp);
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dll)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"Item.dll", "Other.dll"})) << "no temporary file is left";
}

TEST(ItemImportTest, RefusesLoadedLibrariesFolderNamesAndTheFolderItself) {
  qrv::test::TempDir source;
  qrv::test::TempDir station;
  const std::string dll = station.File("Dll");
  fs::create_directories(dll);
  qrv::test::WriteFile(dll + "/Loaded.dll", "running");
  for (const char* name : {"Loaded.dll", "..\\Up.dll", "A,B.dll", "Fine.dll"}) qrv::test::WriteFile(source.File(name), "x");
  const auto isLoaded = [](const std::string& name) { return name == "Loaded.dll"; };

  const DllImportResult result = ItemImport::ImportDllFiles(
      {source.File("Loaded.dll"), source.File("..\\Up.dll"), source.File("A,B.dll"), source.File("Fine.dll"),
       source.File("Missing.dll")},
      dll, isLoaded);
  EXPECT_EQ(result.copied, 1);
  ASSERT_EQ(result.refused.size(), 4u);
  EXPECT_EQ(result.refused[0].rfind("Loaded.dll: it is loaded", 0), 0u) << result.refused[0];
  EXPECT_NE(result.refused[1].find("names a folder"), std::string::npos) << result.refused[1];
  EXPECT_NE(result.refused[2].find("comma"), std::string::npos) << result.refused[2];
  EXPECT_EQ(result.refused[3].rfind("Missing.dll: ", 0), 0u) << "a failed copy is reported";
  EXPECT_EQ(qrv::test::ReadFile(dll + "/Loaded.dll"), "running");
  EXPECT_TRUE(fs::exists(dll + "/Fine.dll"));

  const DllImportResult same = ItemImport::ImportDllFiles({source.File("Fine.dll"), dll + "/Fine.dll"}, dll, {});
  EXPECT_TRUE(same.samePath);
  EXPECT_EQ(same.copied, 0) << "nothing is copied when one file comes from the folder itself";
}
