// The error-code lookups over a small fixture, one case per row.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

#include "ErrorCodeTable.h"
#include "qrv_test/temp_dir.h"

namespace {

struct Lookup {
  const char* name;
  int code;
  const char* expectedText;
  bool expectedMatch;
  int expectedHandlerCode;
};

class ErrorCodeLookups : public testing::TestWithParam<Lookup> {
 protected:
  void SetUp() override {
    std::ofstream(dir.File("Message.ini")) << "[CODE]\n12=From message file\n";
    std::ofstream(dir.File("ErrorCode.ini"))
        << "[KR_PATH]\nMESSAGE_KR_PATH=" << dir.File("Message.ini") << "\n"
        << "[CODE]\nSTOP_CODE=777\n"
        << "[Item.dll]\ncount=7\n"
        << "0=1,5,105,First A\n1=1,5,205,Second B\n2=0,12,112,Disabled\n3=1,6,-1,Signed handler\n"
        << "4=1,13,,Empty handler\n5=1,14,99999999999,Overflowing\n6=1,15,115,Two,words\n";
  }
  qrv::test::TempDir dir;
};

TEST_P(ErrorCodeLookups, GiveTextAndHandlerCode) {
  const Lookup& lookup = GetParam();
  const ErrorCodeTable table([this] { return dir.File("ErrorCode.ini"); });
  EXPECT_EQ(table.GetErrorCodeText("Item.dll", lookup.code), lookup.expectedText);
  int code = lookup.code;
  EXPECT_EQ(table.GetHandlerCode("Item.dll", code), lookup.expectedMatch);
  EXPECT_EQ(code, lookup.expectedHandlerCode);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ErrorCodeLookups,
    testing::Values(Lookup{"FirstMatchWins", 5, "First A", true, 105},
                    Lookup{"DisabledEntryFallsToMessageFile", 12, "From message file", false, 12},
                    Lookup{"MissingMessageKey", 44, "Undefined", false, 44},
                    Lookup{"PassWithoutEntry", 0, "100", false, 0},
                    Lookup{"SignedHandlerCode", 6, "Signed handler", true, -4},
                    Lookup{"EmptyHandlerCodeOfAFailure", 13, "Empty handler", true, -4},
                    Lookup{"OverflowingHandlerCode", 14, "Overflowing", true, -4},
                    Lookup{"CommaEndsTheText", 15, "Two", true, 115},
                    Lookup{"FixedTextWhateverTheFile", -2, "Dll loadlibrary FAIL", false, -2},
                    Lookup{"FixedTextMinusOne", -1, "Dll path FAIL", false, -1},
                    Lookup{"FixedTextOfACycleRowWithoutCallCount", -6, "Define Counct FAIL", false, -6},
                    Lookup{"OutputCodeMatchesAsText", 105, "Undefined", false, 105}),
    [](const testing::TestParamInfo<Lookup>& info) { return std::string(info.param.name); });

TEST(ErrorCodeTable, StopCodeDefaultsTo999AndMessageFileToUnused) {
  qrv::test::TempDir dir;
  const ErrorCodeTable missing([&] { return dir.File("none.ini"); });
  EXPECT_EQ(missing.GetStopCode(), 999);
  EXPECT_EQ(missing.GetErrorCodeText("Item.dll", 5), "Unused");
  std::ofstream(dir.File("ErrorCode.ini")) << "[CODE]\nSTOP_CODE=777\n";
  const ErrorCodeTable table([&] { return dir.File("ErrorCode.ini"); });
  EXPECT_EQ(table.GetStopCode(), 777);
}

TEST(ErrorCodeTable, ExplicitZeroHandlerCodeStaysADeliberateMapping) {
  qrv::test::TempDir dir;
  std::ofstream(dir.File("ErrorCode.ini")) << "[Item.dll]\ncount=2\n0=1,8,0,Deliberate\n1=1,0,,Pass text\n";
  const ErrorCodeTable table([&] { return dir.File("ErrorCode.ini"); });
  int code = 8;
  EXPECT_TRUE(table.GetHandlerCode("Item.dll", code));
  EXPECT_EQ(code, 0);
  code = 0;
  EXPECT_TRUE(table.GetHandlerCode("Item.dll", code));
  EXPECT_EQ(code, 0);
  EXPECT_EQ(table.GetErrorCodeText("Item.dll", 0), "Pass text");
}

}  // namespace

// The editor saves the table while sites look codes up: each lookup reads the count and the entries of one
// version of the file, the old one or the new one, never the count of one with the entries of the other.
TEST(ErrorCodeTableTest, ATableSavedDuringLookupsIsNeverMixedWithTheOldOne) {
  qrv::test::TempDir dir;
  const std::string path = dir.File("ErrorCode.ini");
  const std::string versions[] = {"[KR_PATH]\n[Item.dll]\ncount=3\n0=1,1,101,One\n1=1,2,102,Two\n2=1,7,107,Seven A\n",
                                  "[KR_PATH]\n[Item.dll]\ncount=1\n0=1,7,207,Seven B\n"};
  std::ofstream(path) << versions[0];
  std::atomic<bool> done{false};
  std::thread editor([&] {
    for (int save = 1; !done.load(); ++save) {
      std::ofstream(path + ".new") << versions[save % 2];
      std::filesystem::rename(path + ".new", path);
    }
  });
  const ErrorCodeTable table([&] { return path; });
  int mixed = 0;
  for (int lookup = 0; lookup < 3000; ++lookup) {
    const std::string text = table.GetErrorCodeText("Item.dll", 7);
    if (text != "Seven A" && text != "Seven B") ++mixed;
  }
  done.store(true);
  editor.join();
  EXPECT_EQ(mixed, 0);
}
