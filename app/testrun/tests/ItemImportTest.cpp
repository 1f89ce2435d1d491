// Import into the Dll folder: a file takes the place of the one of its name in any letter case, whole and
// with its own time, and leaves nothing half-written behind; names with folder parts are refused, and files
// chosen from the folder itself copy nothing.
#include <gtest/gtest.h>

#include <filesystem>

#include "ItemImport.h"
#include "PlatformErrorLog.h"
#include "qrv_test/file_text.h"
#include "qrv_test/station_folder.h"
#include "qrv_test/temp_dir.h"

namespace fs = std::filesystem;
using qrv::test::StationFolder;

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
      ItemImport::ImportDllFiles({source.File("item.DLL"), source.File("Other.dll")}, dll);
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

TEST(ItemImportTest, RefusesFolderNamesAndTheFolderItselfAndReportsAFailedCopyToItsCallerAlone) {
  qrv::test::TempDir source;
  const StationFolder station;
  const std::string dll = station.Path("Dll");
  for (const char* name : {"..\\Up.dll", "A,B.dll", "Fine.dll"}) qrv::test::WriteFile(source.File(name), "x");

  const DllImportResult result = ItemImport::ImportDllFiles(
      {source.File("..\\Up.dll"), source.File("A,B.dll"), source.File("Fine.dll"), source.File("Missing.dll")}, dll);
  EXPECT_EQ(result.copied, 1);
  ASSERT_EQ(result.refused.size(), 3u);
  EXPECT_NE(result.refused[0].find("names a folder"), std::string::npos) << result.refused[0];
  EXPECT_NE(result.refused[1].find("comma"), std::string::npos) << result.refused[1];
  EXPECT_EQ(result.refused[2].rfind("Missing.dll: ", 0), 0u) << "a failed copy is reported";
  EXPECT_TRUE(fs::exists(dll + "/Fine.dll"));
  const std::string errorLog = platform_error_log::GetErrorLogPath(port::clock::NowLocal());
  EXPECT_EQ((fs::exists(errorLog) ? qrv::test::ReadFile(errorLog) : std::string()).find("Missing.dll"),
            std::string::npos)
      << "the window that imported tells the engineer; nothing else does";

  const DllImportResult same = ItemImport::ImportDllFiles({source.File("Fine.dll"), dll + "/Fine.dll"}, dll);
  EXPECT_TRUE(same.samePath);
  EXPECT_EQ(same.copied, 0) << "nothing is copied when one file comes from the folder itself";
}
