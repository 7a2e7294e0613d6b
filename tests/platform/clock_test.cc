// Clock arithmetic: whole seconds of durations, saturation at the infinite
// values, the performance-counter conversion, the multimedia timer's wrap, the
// choice of tick source and the wall clock's re-anchoring. Portable.
#include <gtest/gtest.h>

#include <cstdint>

#include "platform/clock.h"

namespace lite_installer {
namespace {

TEST(DurationInSeconds, TruncatesTowardZero) {
  EXPECT_EQ(1, DurationInSeconds(1999999));
  EXPECT_EQ(-1, DurationInSeconds(-1999999));
  EXPECT_EQ(0, DurationInSeconds(999999));
  EXPECT_EQ(0, DurationInSeconds(-999999));
  EXPECT_EQ(2, DurationInSeconds(2000000));
  EXPECT_EQ(0, DurationInSeconds(0));
}

TEST(DurationInSeconds, InfinityStaysInfinity) {
  EXPECT_EQ(kInfiniteTime, DurationInSeconds(kInfiniteTime));
  EXPECT_EQ(INT64_MAX, DurationInSeconds(INT64_MAX));
  // One below infinity is an ordinary, very long duration.
  EXPECT_EQ((INT64_MAX - 1) / 1000000, DurationInSeconds(INT64_MAX - 1));
}

TEST(ClockSaturation, AdditionStopsAtTheInfiniteValues) {
  EXPECT_EQ(kInfiniteTime, SaturatedAdd(kInfiniteTime - 5, 6));
  EXPECT_EQ(kInfiniteTime, SaturatedAdd(kInfiniteTime, 1));
  EXPECT_EQ(kInfiniteTime - 1, SaturatedAdd(kInfiniteTime - 5, 4));
  EXPECT_EQ(kMinusInfiniteTime, SaturatedAdd(kMinusInfiniteTime + 5, -6));
  EXPECT_EQ(kMinusInfiniteTime, SaturatedAdd(kMinusInfiniteTime, -1));
  EXPECT_EQ(kMinusInfiniteTime, SaturatedAdd(-1, INT64_MIN));
  EXPECT_EQ(0, SaturatedAdd(kInfiniteTime, kMinusInfiniteTime));
  EXPECT_EQ(-INT64_MAX, kMinusInfiniteTime);
}

TEST(ClockSaturation, SubtractionStopsAtTheInfiniteValues) {
  EXPECT_EQ(kInfiniteTime, SaturatedSub(kInfiniteTime, -1));
  EXPECT_EQ(kMinusInfiniteTime, SaturatedSub(kMinusInfiniteTime, 1));
  EXPECT_EQ(kInfiniteTime, SaturatedSub(0, INT64_MIN));
  EXPECT_EQ(kInfiniteTime, SaturatedSub(5, INT64_MIN));
  EXPECT_EQ(INT64_MAX, SaturatedSub(-1, INT64_MIN));
  EXPECT_EQ(-3, SaturatedSub(2, 5));
  EXPECT_EQ(kInfiniteTime, SaturatedSub(kInfiniteTime, kMinusInfiniteTime));
}

TEST(CounterToMicroseconds, SmallCountsUseTheExactProduct) {
  EXPECT_EQ(1000000, CounterToMicroseconds(3579545, 3579545));
  EXPECT_EQ(333333, CounterToMicroseconds(1, 3));
  EXPECT_EQ(0, CounterToMicroseconds(0, 10000000));
}

TEST(CounterToMicroseconds, AroundTheLimitOfTheExactProduct) {
  const int64_t kLimit = 9223372036854;  // the largest count whose product fits
  const int64_t kFrequency = 10000000;
  // Both ways of computing agree on both sides of the limit.
  EXPECT_EQ(922337203684, CounterToMicroseconds(kLimit - 6, kFrequency));
  EXPECT_EQ(922337203685, CounterToMicroseconds(kLimit, kFrequency));
  EXPECT_EQ(922337203685, CounterToMicroseconds(kLimit + 1, kFrequency));
  EXPECT_EQ(922337203686, CounterToMicroseconds(kLimit + 6, kFrequency));
  // At 3 Hz the remainder of the split way carries a third of a second.
  const int64_t kOdd = 3;
  EXPECT_EQ(kLimit / kOdd * 1000000 + (kLimit % kOdd) * 1000000 / kOdd,
            CounterToMicroseconds(kLimit, kOdd));
  EXPECT_EQ(3074457345618000000, CounterToMicroseconds(kLimit, kOdd));
  EXPECT_EQ(3074457345618333333, CounterToMicroseconds(kLimit + 1, kOdd));
}

TEST(CounterToMicroseconds, LargestCountsDoNotOverflow) {
  // A counter near its end at a common frequency: well inside 63 bits.
  EXPECT_EQ(INT64_MAX / 10000000 * 1000000 + (INT64_MAX % 10000000) / 10,
            CounterToMicroseconds(INT64_MAX, 10000000));
  // At 1 Hz the true value does not fit: it saturates instead of wrapping.
  EXPECT_EQ(kInfiniteTime, CounterToMicroseconds(INT64_MAX, 1));
  EXPECT_EQ(kInfiniteTime, CounterToMicroseconds(kInfiniteTime / 1000000 + 1, 1));
  EXPECT_EQ(kInfiniteTime / 1000000 * 1000000,
            CounterToMicroseconds(kInfiniteTime / 1000000, 1));
}

TEST(CounterToMicroseconds, NoFrequencyGivesZero) {
  EXPECT_EQ(0, CounterToMicroseconds(12345, 0));
  EXPECT_EQ(0, CounterToMicroseconds(12345, -1));
}

TEST(MillisecondExtender, KeepsIncreasingAcrossThe32BitWrap) {
  MillisecondExtender extender;
  EXPECT_EQ(int64_t{0xFFFFFFF0} * 1000, extender.Extend(0xFFFFFFF0u));
  EXPECT_EQ(int64_t{0xFFFFFFFF} * 1000, extender.Extend(0xFFFFFFFFu));
  EXPECT_EQ((int64_t{1} << 32) * 1000, extender.Extend(0));
  EXPECT_EQ(((int64_t{1} << 32) + 5) * 1000, extender.Extend(5));
  // A second wrap adds another 2^32 ms.
  extender.Extend(0xFFFFFFFEu);
  EXPECT_EQ(((int64_t{2} << 32) + 1) * 1000, extender.Extend(1));
}

TEST(MillisecondExtender, EqualReadingsAreNoWrap) {
  MillisecondExtender extender;
  EXPECT_EQ(7000, extender.Extend(7));
  EXPECT_EQ(7000, extender.Extend(7));
  EXPECT_EQ(8000, extender.Extend(8));
}

TEST(ChooseTickSource, PerformanceCounterOnlyWithInvariantTscAndFrequency) {
  EXPECT_EQ(TickSource::kPerformanceCounter, ChooseTickSource(10000000, "GenuineIntel", 6, true));
  EXPECT_EQ(TickSource::kPerformanceCounter, ChooseTickSource(3579545, "AuthenticAMD", 16, true));
  EXPECT_EQ(TickSource::kPerformanceCounter, ChooseTickSource(1, "AuthenticAMD", 14, true));
}

TEST(ChooseTickSource, MultimediaTimerWithoutFrequency) {
  EXPECT_EQ(TickSource::kMultimediaTimer, ChooseTickSource(0, "GenuineIntel", 6, true));
  EXPECT_EQ(TickSource::kMultimediaTimer, ChooseTickSource(-5, "GenuineIntel", 6, true));
}

TEST(ChooseTickSource, MultimediaTimerWithNonInvariantTsc) {
  EXPECT_EQ(TickSource::kMultimediaTimer, ChooseTickSource(10000000, "GenuineIntel", 6, false));
}

TEST(ChooseTickSource, NeverThePerformanceCounterOnAmdFamily15) {
  EXPECT_EQ(TickSource::kMultimediaTimer, ChooseTickSource(10000000, "AuthenticAMD", 15, true));
  // The vendor must match exactly.
  EXPECT_EQ(TickSource::kPerformanceCounter, ChooseTickSource(10000000, "authenticamd", 15, true));
  EXPECT_EQ(TickSource::kPerformanceCounter, ChooseTickSource(10000000, "GenuineIntel", 15, true));
}

// Fake sources, set by each test.
int64_t g_ticks = 0;
int64_t g_system_time = 0;
int g_system_reads = 0;
int64_t FakeTicks() { return g_ticks; }
int64_t FakeSystemTime() {
  ++g_system_reads;
  return g_system_time;
}

class WallClockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_ticks = 5000000;  // an arbitrary origin
    g_system_time = 13000000000000000;
    g_system_reads = 0;
  }
  WallClock clock_{&FakeTicks, &FakeSystemTime};
};

TEST_F(WallClockTest, FirstReadingAnchorsToTheSystemTime) {
  EXPECT_EQ(13000000000000000, clock_.Now());
  EXPECT_EQ(1, g_system_reads);
}

TEST_F(WallClockTest, RunsOnTheTicksBetweenAnchorings) {
  clock_.Now();
  g_ticks += 1500000;
  g_system_time += 999;  // the system clock drifts; the wall clock does not follow
  EXPECT_EQ(13000000000000000 + 1500000, clock_.Now());
  EXPECT_EQ(1, g_system_reads);
}

TEST_F(WallClockTest, ExactlySixtySecondsDoesNotReanchor) {
  clock_.Now();
  g_ticks += 60000000;
  g_system_time += 60000000 + 777;
  EXPECT_EQ(13000000000000000 + 60000000, clock_.Now());
  // Below the next whole millisecond still counts as 60 s.
  g_ticks += 999;
  EXPECT_EQ(13000000000000000 + 60000999, clock_.Now());
  EXPECT_EQ(1, g_system_reads);
}

TEST_F(WallClockTest, SixtyOneSecondsReanchors) {
  clock_.Now();
  g_ticks += 61000000;
  g_system_time += 61000000 + 777;
  EXPECT_EQ(13000000000000000 + 61000777, clock_.Now());
  EXPECT_EQ(2, g_system_reads);
  // From the new anchor on, the clock runs on the ticks again.
  g_ticks += 10;
  EXPECT_EQ(13000000000000000 + 61000787, clock_.Now());
  EXPECT_EQ(2, g_system_reads);
}

TEST_F(WallClockTest, TicksGoingBackAreAccepted) {
  clock_.Now();
  g_ticks -= 2000;
  EXPECT_EQ(13000000000000000 - 2000, clock_.Now());
  EXPECT_EQ(1, g_system_reads);
}

TEST_F(WallClockTest, InfiniteElapsedReanchors) {
  g_ticks = kMinusInfiniteTime;
  clock_.Now();
  g_ticks = kInfiniteTime;  // elapsed saturates to infinity
  g_system_time += 42;
  EXPECT_EQ(13000000000000042, clock_.Now());
  EXPECT_EQ(2, g_system_reads);
}

}  // namespace
}  // namespace lite_installer
