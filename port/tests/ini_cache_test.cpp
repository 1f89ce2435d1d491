#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "port/ini.h"
#include "qrv_test/file_text.h"
#include "qrv_test/temp_dir.h"

namespace {

using qrv::test::WriteFile;

timespec ModifiedTime(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(::stat(path.c_str(), &info), 0);
  return info.st_mtim;
}

void SetModifiedTime(const std::string& path, const timespec& modified) {
  const timespec times[2] = {modified, modified};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

// Rewrites the file's bytes in place, keeping its inode, size and modification time: only a reader that
// parses the file again can see the new text.
void RewriteInPlaceUnseen(const std::string& path, const std::string& text) {
  const timespec before = ModifiedTime(path);
  std::FILE* file = std::fopen(path.c_str(), "r+");
  ASSERT_NE(file, nullptr);
  ASSERT_EQ(std::fwrite(text.data(), 1, text.size(), file), text.size());
  std::fclose(file);
  SetModifiedTime(path, before);
}

TEST(IniCacheTest, AnUnchangedFileIsParsedOnce) {
  const qrv::test::TempDir dir;
  const std::string path = dir.File("ErrorCode.ini");
  WriteFile(path, "[CODE]\nA=1\n");
  ASSERT_EQ(port::ini::ReadString(path, "CODE", "A", ""), "1");
  RewriteInPlaceUnseen(path, "[CODE]\nA=2\n");
  EXPECT_EQ(port::ini::ReadString(path, "CODE", "A", ""), "1");
}

// Every way a file can change behind the reader's back is seen at the next read.
TEST(IniCacheTest, EveryChangeOfTheFileIsSeen) {
  struct Change {
    const char* name;
    void (*apply)(const std::string& path);
    const char* expected;
  };
  const Change changes[] = {
      {"in place, new time", [](const std::string& path) {
         timespec later = ModifiedTime(path);
         RewriteInPlaceUnseen(path, "[CODE]\nA=2\n");
         later.tv_sec += 1;
         SetModifiedTime(path, later);
       },
       "2"},
      {"in place, new size", [](const std::string& path) {
         const timespec before = ModifiedTime(path);
         WriteFile(path, "[CODE]\nA=22\n");
         SetModifiedTime(path, before);
       },
       "22"},
      {"replaced by rename, same time", [](const std::string& path) {
         const timespec before = ModifiedTime(path);
         WriteFile(path + ".new", "[CODE]\nA=2\n");
         SetModifiedTime(path + ".new", before);
         ASSERT_EQ(std::rename((path + ".new").c_str(), path.c_str()), 0);
       },
       "2"},
      {"our own write", [](const std::string& path) { port::ini::WriteString(path, "CODE", "A", "2"); }, "2"},
      {"removed", [](const std::string& path) { std::remove(path.c_str()); }, "none"},
  };
  for (const Change& change : changes) {
    SCOPED_TRACE(change.name);
    const qrv::test::TempDir dir;
    const std::string path = dir.File("Sensor.ini");
    WriteFile(path, "[CODE]\nA=1\n");
    ASSERT_EQ(port::ini::ReadString(path, "CODE", "A", ""), "1");
    change.apply(path);
    EXPECT_EQ(port::ini::ReadString(path, "CODE", "A", "none"), change.expected);
    EXPECT_EQ(port::ini::ReadKeys(path, "CODE").size(), std::string(change.expected) == "none" ? 0u : 1u);
  }
}

// Our own write is remembered as written: the next read needs no parse, yet sees every key.
TEST(IniCacheTest, OwnWriteIsReadBackWithoutParsing) {
  const qrv::test::TempDir dir;
  const std::string path = dir.File("Config.ini");
  ASSERT_TRUE(port::ini::WriteString(path, "LOT", "NAME", "L1"));
  RewriteInPlaceUnseen(path, "[LOT]\nNAME=XX\n");
  EXPECT_EQ(port::ini::ReadString(path, "LOT", "NAME", ""), "L1");
}

TEST(IniCacheTest, ReadersInThreadsSeeOnlyWholeWrites) {
  const qrv::test::TempDir dir;
  const std::string path = dir.File("Shared.ini");
  ASSERT_TRUE(port::ini::WriteString(path, "S", "value", "0"));
  constexpr int kWrites = 200;
  std::atomic<bool> done{false};
  std::atomic<int> torn{0};
  std::vector<std::thread> readers;
  for (int r = 0; r < 4; ++r) {
    readers.emplace_back([&] {
      int last = 0;
      while (!done.load()) {
        const int seen = std::stoi(port::ini::ReadString(path, "S", "value", "-1"));
        // A reader never sees a missing key, nor a value older than one it has seen.
        if (seen < last) ++torn;
        last = seen;
      }
    });
  }
  for (int i = 1; i <= kWrites; ++i) ASSERT_TRUE(port::ini::WriteString(path, "S", "value", std::to_string(i).c_str()));
  done = true;
  for (auto& reader : readers) reader.join();
  EXPECT_EQ(torn.load(), 0);
  EXPECT_EQ(port::ini::ReadString(path, "S", "value", ""), std::to_string(kWrites));
}

}  // namespace
