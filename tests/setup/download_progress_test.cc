// The percentage blend and the once-a-minute time-left estimate, driven by
// chosen byte counts and elapsed milliseconds (no clock involved).
#include "setup/download_progress.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/setup/recording_observer.h"

namespace lite_installer {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(DownloadProgressPercent, HalfOfTheFileIsTwentyTwoPercent) {
  RecordingObserver observer;
  uint32_t last = 0;
  ReportDownloadProgress(100, 200, 1000, &last, &observer);
  EXPECT_THAT(observer.calls, ElementsAre("SetProgress(22)"));
  EXPECT_EQ(last, 0u);
}

TEST(DownloadProgressPercent, RunsFromFiveToForty) {
  RecordingObserver observer;
  uint32_t last = 0;
  ReportDownloadProgress(0, 1000, 0, &last, &observer);
  ReportDownloadProgress(1000, 1000, 0, &last, &observer);
  EXPECT_THAT(observer.calls, ElementsAre("SetProgress(5)", "SetProgress(40)"));
}

// 2/7 blends to 14.999999999999998 in double precision but rounds to exactly
// 15.0 in single precision; the 32-bit build's x87 code must not differ.
TEST(DownloadProgressPercent, BlendIsComputedInSinglePrecision) {
  RecordingObserver observer;
  uint32_t last = 0;
  ReportDownloadProgress(2, 7, 0, &last, &observer);
  ReportDownloadProgress(4, 7, 0, &last, &observer);
  EXPECT_THAT(observer.calls, ElementsAre("SetProgress(15)", "SetProgress(25)"));
}

TEST(DownloadProgressPercent, LargeFilesDoNotOverflow) {
  RecordingObserver observer;
  uint32_t last = 0;
  ReportDownloadProgress(4000000000u, 4294967295u, 0, &last, &observer);
  EXPECT_THAT(observer.calls, ElementsAre("SetProgress(37)"));
}

TEST(DownloadProgressPercent, UnknownTotalChangesNothing) {
  RecordingObserver observer;
  uint32_t last = 0;
  ReportDownloadProgress(5000, 0, 600000, &last, &observer);
  EXPECT_THAT(observer.calls, IsEmpty());
  EXPECT_EQ(last, 0u);
}

TEST(DownloadTimeLeft, NoEstimateBeforeAMinuteOfTransfer) {
  RecordingObserver observer;
  uint32_t last = 0;
  ReportDownloadProgress(100, 200, 30000, &last, &observer);
  ReportDownloadProgress(100, 200, 59999, &last, &observer);
  EXPECT_THAT(observer.calls, ElementsAre("SetProgress(22)", "SetProgress(22)"));
  EXPECT_EQ(last, 0u);
}

TEST(DownloadTimeLeft, HalfAfterAMinuteEstimatesWithoutSwitchingTheTextOn) {
  // remaining 60 s; 60 + 60 is not above 120.
  RecordingObserver observer;
  uint32_t last = 0;
  ReportDownloadProgress(100, 200, 60000, &last, &observer);
  EXPECT_THAT(observer.calls, ElementsAre("SetProgress(22)", "SetTimeLeft(300,1)"));
  EXPECT_EQ(last, 60000u);
}

TEST(DownloadTimeLeft, QuarterAfterAMinuteSwitchesTheTextOn) {
  // remaining 180 s; 180 + 60 is above 120.
  RecordingObserver observer;
  uint32_t last = 0;
  ReportDownloadProgress(50, 200, 60000, &last, &observer);
  EXPECT_THAT(observer.calls,
              ElementsAre("SetProgress(13)", "EnableTimeLeft", "SetTimeLeft(420,1)"));
}

TEST(DownloadTimeLeft, EstimatesComeAtLeastAMinuteApart) {
  RecordingObserver observer;
  uint32_t last = 0;
  ReportDownloadProgress(100, 200, 60000, &last, &observer);
  observer.calls.clear();
  ReportDownloadProgress(150, 200, 119999, &last, &observer);
  EXPECT_THAT(observer.calls, ElementsAre("SetProgress(31)"));
  ReportDownloadProgress(150, 200, 120000, &last, &observer);
  // remaining = 50 * 120000 / 150 / 1000 = 40; 40 + 120 is above 120.
  EXPECT_THAT(observer.calls, ElementsAre("SetProgress(31)", "SetProgress(31)",
                                          "EnableTimeLeft", "SetTimeLeft(280,1)"));
  EXPECT_EQ(last, 120000u);
}

TEST(DownloadTimeLeft, NothingDoneYetGivesNoEstimate) {
  RecordingObserver observer;
  uint32_t last = 0;
  ReportDownloadProgress(0, 200, 90000, &last, &observer);
  EXPECT_THAT(observer.calls, ElementsAre("SetProgress(5)"));
  EXPECT_EQ(last, 0u);
}

TEST(DownloadTimeLeft, RemainingIsComputedInSixtyFourBits) {
  // 100000000 bytes left times 600000 ms overflows 32 bits; the estimate is
  // 100000000 * 600000 / 1000000 / 1000 = 60000 s.
  RecordingObserver observer;
  uint32_t last = 0;
  ReportDownloadProgress(1000000, 101000000, 600000, &last, &observer);
  EXPECT_THAT(observer.calls,
              ElementsAre("SetProgress(5)", "EnableTimeLeft", "SetTimeLeft(60240,1)"));
}

TEST(DownloadTimeLeft, RemainingTruncatesEachDivision) {
  // The first estimate (without observer) moves the last estimate to 60001.
  RecordingObserver observer;
  uint32_t last = 0;
  ReportDownloadProgress(1, 200, 60001, &last, nullptr);
  ReportDownloadProgress(1, 200, 120001, &last, &observer);
  // 199 * 120001 / 1 / 1000 = 23880 (23880.199 truncated).
  EXPECT_THAT(observer.calls,
              ElementsAre("SetProgress(5)", "EnableTimeLeft", "SetTimeLeft(24120,1)"));
}

TEST(DownloadTimeLeft, LastEstimateAdvancesWithoutObserver) {
  uint32_t last = 0;
  ReportDownloadProgress(100, 200, 61000, &last, nullptr);
  EXPECT_EQ(last, 61000u);
}

}  // namespace
}  // namespace lite_installer
