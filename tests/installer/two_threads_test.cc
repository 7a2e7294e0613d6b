// The run-wide services that the dialog thread and the installer's worker
// both call: the wall clock and the log. Several threads at once must see one
// consistent clock and one log path. Also built with ThreadSanitizer, which
// reports any unguarded access these loops reach.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "installer/log.h"
#include "installer/log_file.h"
#include "platform/clock.h"

namespace lite_installer {
namespace {

constexpr int kThreads = 4;

// Every call of the tick source moves time on by one second, so the clock
// re-anchors every 60 calls; the system time always agrees with the ticks, so
// a consistent clock returns exactly ticks + offset for the reading it took.
std::atomic<int64_t> g_ticks{0};
constexpr int64_t kOffset = 13000000000000000;
int64_t FakeTicks() { return g_ticks.fetch_add(1000000) + 1000000; }
int64_t FakeSystemTime() { return g_ticks.load() + kOffset; }

TEST(SharedClock, ThreadsSeeOneIncreasingClock) {
  WallClock clock(&FakeTicks, &FakeSystemTime);
  constexpr int kCalls = 3000;
  std::vector<std::vector<int64_t>> seen(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&clock, &seen, t] {
      for (int i = 0; i < kCalls; ++i) seen[t].push_back(clock.Now());
    });
  }
  for (auto& thread : threads) thread.join();

  std::vector<int64_t> all;
  for (const auto& values : seen) {
    EXPECT_TRUE(std::is_sorted(values.begin(), values.end()));
    all.insert(all.end(), values.begin(), values.end());
  }
  std::sort(all.begin(), all.end());
  // Torn anchors give times that never were: before the start, after the last
  // tick, or twice the same.
  EXPECT_EQ(all.end(), std::adjacent_find(all.begin(), all.end()));
  EXPECT_GT(all.front(), kOffset);
  EXPECT_LE(all.back(), kOffset + g_ticks.load());
}

TEST(SharedLog, ThePathSetFirstHoldsForEveryThread) {
  std::vector<std::thread> threads;
  std::atomic<int> ready{0};
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t, &ready] {
      ready.fetch_add(1);
      while (ready.load() < kThreads) {
      }
      SetLogPath(L"C:\\temp" + std::to_wstring(t) + L"\\lite_installer.log");
      LI_LOG(kLogInfo, L"SharedLog::Set", L"set by ", t);
    });
  }
  for (auto& thread : threads) thread.join();
  const std::wstring path = LastCapturedLogPath();
  TakeCapturedLogLines();

  constexpr int kLines = 200;
  threads.clear();
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t] {
      for (int i = 0; i < kLines; ++i) LI_LOG(kLogInfo, L"SharedLog::Write", L"line ", t, L" ", i);
    });
  }
  for (auto& thread : threads) thread.join();

  EXPECT_EQ(static_cast<size_t>(kThreads * kLines), TakeCapturedLogLines().size());
  EXPECT_EQ(path, LastCapturedLogPath());
  EXPECT_NE(std::wstring::npos, path.find(L"\\lite_installer.log"));
}

}  // namespace
}  // namespace lite_installer
