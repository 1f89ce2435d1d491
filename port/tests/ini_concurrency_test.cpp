#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "port/clock.h"
#include "port/ini.h"
#include "qrv_test/temp_dir.h"

namespace {

constexpr int kThreads = 4;
constexpr int kRounds = 12;

std::string KeyName(int process, int thread, int round) {
  return "p" + std::to_string(process) + "t" + std::to_string(thread) + "k" + std::to_string(round);
}

// A whole file always ends with the [End] section written first; a torn one has lost it.
bool FileIsWhole(const std::string& path) { return port::ini::ReadString(path, "End", "last", "") == "1"; }

// Each thread writes its own keys and, after every write, checks the file is whole and holds all it wrote.
int WriteKeys(const std::string& path, int process) {
  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int round = 0; round < kRounds; ++round) {
        const std::string key = KeyName(process, t, round);
        if (!port::ini::WriteString(path, "Data", key.c_str(), std::to_string(round).c_str())) ++failures;
        if (!FileIsWhole(path)) ++failures;
        for (int earlier = 0; earlier <= round; ++earlier) {
          if (port::ini::ReadString(path, "Data", KeyName(process, t, earlier), "") != std::to_string(earlier)) {
            ++failures;
          }
        }
      }
    });
  }
  for (auto& thread : threads) thread.join();
  return failures.load();
}

TEST(IniConcurrencyTest, TwoProcessesAndFourThreadsLoseNoKey) {
  const qrv::test::TempDir dir;
  const std::string path = dir.File("Shared.ini");
  ASSERT_TRUE(port::ini::WriteString(path, "End", "last", "1"));

  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) ::_exit(WriteKeys(path, 1) == 0 ? 0 : 1);
  EXPECT_EQ(WriteKeys(path, 0), 0);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

  EXPECT_EQ(port::ini::ReadKeys(path, "Data").size(), 2u * kThreads * kRounds);
  for (int process = 0; process < 2; ++process) {
    for (int t = 0; t < kThreads; ++t) {
      for (int round = 0; round < kRounds; ++round) {
        EXPECT_EQ(port::ini::ReadString(path, "Data", KeyName(process, t, round), ""), std::to_string(round));
      }
    }
  }
  EXPECT_EQ(port::ini::ReadSections(path), (std::vector<std::string>{"End", "Data"}));
}

// "<gen>:" + a letter chosen by gen, repeated + ":<gen>": a cut or mixed value cannot pass for a whole one.
std::string Payload(long gen) {
  const std::string mark = std::to_string(gen);
  return mark + ":" + std::string(400, static_cast<char>('a' + gen % 26)) + ":" + mark;
}

long PayloadGeneration(const std::string& value) {
  const auto colon = value.find(':');
  if (colon == std::string::npos) return -1;
  const long gen = std::stol(value.substr(0, colon));
  return value == Payload(gen) ? gen : -1;
}

[[noreturn]] void WriteForever(const std::string& path, long gen) {
  for (;;) port::ini::WriteString(path, "Data", "payload", Payload(++gen).c_str());
}

TEST(IniConcurrencyTest, KilledWriterLeavesOldOrNewFileWhole) {
  const qrv::test::TempDir dir;
  const std::string path = dir.File("Model.ini");
  constexpr int kFiller = 1000;  // many pages, so a write in place would be seen half done
  std::string text = "[Filler]\n";
  for (int i = 0; i < kFiller; ++i) text += "f" + std::to_string(i) + "=0123456789\n";
  text += "[Data]\npayload=" + Payload(0) + "\n[End]\nlast=1\n";
  std::ofstream(path, std::ios::binary) << text;

  std::mt19937 random(12345);
  long last = 0;
  for (int iteration = 0; iteration < 20; ++iteration) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    // Each writer counts from its own base, above anything an earlier one can have reached.
    if (child == 0) WriteForever(path, (iteration + 1) * 1000000L);
    // Once the writer got through (so the killed one before it left no lock behind), kill it mid-write.
    const auto start = port::clock::Now();
    while (PayloadGeneration(port::ini::ReadString(path, "Data", "payload", "")) <= last &&
           port::clock::ElapsedMs(start) < 10000) {
      port::clock::SleepMs(1);
    }
    port::clock::Sleep(std::chrono::microseconds(random() % 5000));
    ::kill(child, SIGKILL);
    ASSERT_EQ(::waitpid(child, nullptr, 0), child);

    ASSERT_TRUE(FileIsWhole(path)) << "iteration " << iteration;
    ASSERT_EQ(port::ini::ReadKeys(path, "Filler").size(), static_cast<std::size_t>(kFiller));
    const long now = PayloadGeneration(port::ini::ReadString(path, "Data", "payload", ""));
    ASSERT_GT(now, last) << "cut or mixed payload, or no progress, at iteration " << iteration;
    last = now;
  }

  // The temporary file of a killed writer is cleared by the next write.
  ASSERT_TRUE(port::ini::WriteString(path, "End", "last", "1"));
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    EXPECT_EQ(entry.path().filename(), "Model.ini");
  }
}

}  // namespace
