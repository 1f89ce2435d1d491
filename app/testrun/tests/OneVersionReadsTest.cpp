// Lists of the model files saved again while the station reads them: each reader takes the count and the
// entries of one version of the file, the old one or the new one, never the count of one with the entries of
// the other.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "CycleIni.h"
#include "ErrorList.h"
#include "ItemRegistration.h"
#include "qrv_test/station_folder.h"

namespace {

using Entries = std::vector<std::string>;

struct ReaderCase {
  const char* name;
  const char* file;                     // relative to the program folder
  const char* versions[2];              // two whole saves of the file
  Entries expected[2];                  // what a read of each gives
  std::function<Entries()> read;
};

const char* const kCycle = "Ref/M/Cycle.ini";
const char* const kCycleVersions[2] = {
    "[A.CYCLE_END_DLL]\nCount=3\n0=a.dll,1,3\n1=b.dll,1,3\n2=c.dll,1,3\n", "[A.CYCLE_END_DLL]\nCount=1\n0=z.dll,0,1\n"};

std::vector<ReaderCase> Cases() {
  return {
      {"cycle list", kCycle, {kCycleVersions[0], kCycleVersions[1]},
       {{"a.dll,1,3", "b.dll,1,3", "c.dll,1,3"}, {"z.dll,0,1"}},
       [] {
         Entries read;
         for (const CycleEntry& entry : cycleini::ReadCycleList(kCycle, "A.CYCLE_END_DLL"))
           read.push_back(cycleini::EntryText(entry));
         return read;
       }},
      {"cycle editor's stored entries", kCycle, {kCycleVersions[0], kCycleVersions[1]},
       {{"a.dll,1,3", "b.dll,1,3", "c.dll,1,3"}, {"z.dll,0,1"}},
       [] {
         Entries read;
         for (const StoredCycleEntry& entry : cycleini::ReadStoredEntries(kCycle, "A.CYCLE_END_DLL"))
           read.push_back(entry.text.value_or("(missing)"));
         return read;
       }},
      {"site registration", "Ref/M/DllManager.ini",
       {"[A.QRV_DLL_LOAD]\nCount=3\n0=a.dll,1,3\n1=b.dll,1,3\n2=c.dll,1,3\n", "[A.QRV_DLL_LOAD]\nCount=1\n0=z.dll,0,1\n"},
       {{"a.dll,1,3", "b.dll,1,3", "c.dll,1,3"}, {"z.dll,0,1"}},
       [] {
         Entries read;
         for (const DllEntry& entry : ItemRegistration::ReadSiteEntries(0))
           read.push_back(ItemRegistration::FormatDllEntry(entry));
         return read;
       }},
      {"lot error list", "Ref/M/Config.ini",
       {"[ERROR_LIST]\nCOUNT=3\n0=Focus NG,5,1,a,A\n1=Focus NG,6,1,b,A\n2=Focus NG,7,1,c,A\n",
        "[ERROR_LIST]\nCOUNT=1\n0=Dark NG,9,4,z,B\n"},
       {{"a", "b", "c"}, {"z"}},
       [] {
         ErrorList list("Ref/M/Config.ini");
         list.Load();
         Entries read;
         for (const ErrorListRow& row : list.Rows()) read.push_back(row.itemName);
         return read;
       }},
  };
}

TEST(OneVersionReads, AListSavedWhileItIsReadIsReadWholeFromOneSave) {
  for (const ReaderCase& c : Cases()) {
    qrv::test::StationFolder station;
    station.Write(c.file, c.versions[0]);
    ASSERT_EQ(c.read(), c.expected[0]) << c.name;
    station.Write(c.file, c.versions[1]);
    ASSERT_EQ(c.read(), c.expected[1]) << c.name;

    // The editor's saves replace the file whole, as every save of the station does.
    std::atomic<bool> done{false};
    std::thread editor([&] {
      const std::string path = station.Path(c.file);
      for (int save = 0; !done.load(); ++save) {
        qrv::test::WriteFile(path + ".new", c.versions[save % 2]);
        std::filesystem::rename(path + ".new", path);
      }
    });
    int mixed = 0;
    Entries example;
    for (int read = 0; read < 2000; ++read) {
      const Entries entries = c.read();
      if (entries == c.expected[0] || entries == c.expected[1]) continue;
      ++mixed;
      example = entries;
    }
    done.store(true);
    editor.join();
    EXPECT_EQ(mixed, 0) << c.name << ", for example " << testing::PrintToString(example);
  }
}

}  // namespace
