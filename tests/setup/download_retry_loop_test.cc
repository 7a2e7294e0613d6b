// The setup download's attempt loop over a scripted downloader: how many
// attempts and reports, when a partial file is kept or thrown away, and how a
// stop ends the loop.
#include "setup/download_retry_loop.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "setup/downloader.h"
#include "tests/support/log_reader.h"

namespace lite_installer {
namespace {

// What one scripted attempt does to the sink and reports.
struct Step {
  uint32_t bytes = 0;  // appended to the sink
  bool ok = false;
  uint32_t content_length = 0;
  std::wstring error_text;
  std::wstring redirect_url;
};

struct SentReport {
  bool ok;
  int32_t attempt;
  int32_t delivered;
  std::wstring error_text;
  std::wstring redirect_url;
};

class ScriptedDownload : public DownloadAttemptSeam {
 public:
  explicit ScriptedDownload(std::vector<Step> steps) : steps_(std::move(steps)) {}

  bool StopRequested() override { return stop_; }
  bool Attempt(DownloadSink* sink, std::wstring* error_text, std::wstring* redirect_url,
               uint32_t* content_length) override {
    const Step step = attempts_started < steps_.size() ? steps_[attempts_started] : Step();
    start_offsets.push_back(sink->total());
    ++attempts_started;
    std::string bytes(step.bytes, 'x');
    if (!bytes.empty()) sink->Write(bytes.data(), step.bytes);
    *error_text = step.error_text;
    *redirect_url = step.redirect_url;
    *content_length = step.content_length;
    return step.ok;
  }
  void Report(bool ok, int32_t attempt, int32_t delivered, const std::wstring& error_text,
              const std::wstring& redirect_url) override {
    reports.push_back({ok, attempt, delivered, error_text, redirect_url});
  }
  void Pause(uint32_t milliseconds) override {
    pauses.push_back(milliseconds);
    if (stop_in_pause) stop_ = true;
  }

  void StopNow() { stop_ = true; }
  bool stop_in_pause = false;
  size_t attempts_started = 0;
  std::vector<uint32_t> start_offsets;
  std::vector<SentReport> reports;
  std::vector<uint32_t> pauses;

 private:
  std::vector<Step> steps_;
  bool stop_ = false;
};

Step Failing(uint32_t bytes, uint32_t content_length) {
  Step step;
  step.bytes = bytes;
  step.content_length = content_length;
  step.error_text = L"internet_read-12002";
  return step;
}

Step Succeeding(uint32_t bytes, uint32_t content_length) {
  Step step;
  step.bytes = bytes;
  step.ok = true;
  step.content_length = content_length;
  return step;
}

bool LoggedMaxAttemptsFailed() {
  for (const LogEntry& entry : TakeLogEntries())
    if (entry.level == L"ERROR" && entry.function == L"Installer::DownloadModuleTo" &&
        entry.message == L"Max download attempts failed (5)")
      return true;
  return false;
}

class DownloadRetryLoop : public ::testing::Test {
 protected:
  void SetUp() override {
    StartTestLog(L"download_retry_loop_test");
  }
  MemoryDownloadSink sink;
};

TEST_F(DownloadRetryLoop, FirstSuccessEndsTheLoopWithOneReportAndNoPause) {
  ScriptedDownload download({Succeeding(500, 500)});
  EXPECT_TRUE(RunDownloadAttempts(&sink, &download));
  ASSERT_EQ(download.reports.size(), 1u);
  EXPECT_TRUE(download.reports[0].ok);
  EXPECT_EQ(download.reports[0].attempt, 1);
  EXPECT_EQ(download.reports[0].delivered, 500);
  EXPECT_TRUE(download.pauses.empty());
  EXPECT_EQ(sink.total(), 500u);
  EXPECT_FALSE(LoggedMaxAttemptsFailed());
}

TEST_F(DownloadRetryLoop, AlwaysFailingServerGetsFiveAttemptsFourPausesAndTheFinalLine) {
  ScriptedDownload download({});
  EXPECT_FALSE(RunDownloadAttempts(&sink, &download));
  ASSERT_EQ(download.reports.size(), 5u);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(download.reports[i].attempt, i + 1);
    EXPECT_FALSE(download.reports[i].ok);
  }
  EXPECT_EQ(download.pauses, std::vector<uint32_t>(4, 15000u));
  EXPECT_TRUE(LoggedMaxAttemptsFailed());
}

TEST_F(DownloadRetryLoop, SuccessOnTheLastAttemptStillCounts) {
  ScriptedDownload download({Failing(0, 0), Failing(0, 0), Failing(0, 0), Failing(0, 0),
                             Succeeding(10, 10)});
  EXPECT_TRUE(RunDownloadAttempts(&sink, &download));
  EXPECT_EQ(download.reports.size(), 5u);
  EXPECT_TRUE(download.reports[4].ok);
  EXPECT_EQ(download.pauses.size(), 4u);
}

TEST_F(DownloadRetryLoop, LessThanATenthDeliveredRestartsFromZero) {
  ScriptedDownload download({Failing(99999, 1000000), Succeeding(1000000, 1000000)});
  EXPECT_TRUE(RunDownloadAttempts(&sink, &download));
  ASSERT_EQ(download.start_offsets.size(), 2u);
  EXPECT_EQ(download.start_offsets[1], 0u);
  // The report of the failed attempt still tells what it delivered.
  EXPECT_EQ(download.reports[0].delivered, 99999);
  EXPECT_EQ(sink.data().size(), 1000000u);
}

TEST_F(DownloadRetryLoop, ATenthDeliveredIsResumed) {
  ScriptedDownload download({Failing(100000, 1000000), Succeeding(900000, 900000)});
  EXPECT_TRUE(RunDownloadAttempts(&sink, &download));
  EXPECT_EQ(download.start_offsets[1], 100000u);
  EXPECT_EQ(download.reports[0].delivered, 100000);
  EXPECT_EQ(download.reports[1].delivered, 1000000);
}

TEST_F(DownloadRetryLoop, UnknownLengthNeverThrowsPartialDataAway) {
  ScriptedDownload download({Failing(7, 0), Failing(5, 0), Succeeding(3, 0)});
  EXPECT_TRUE(RunDownloadAttempts(&sink, &download));
  EXPECT_EQ(download.start_offsets, (std::vector<uint32_t>{0, 7, 12}));
  EXPECT_EQ(sink.total(), 15u);
}

TEST_F(DownloadRetryLoop, ErrorPageIsNeverKeptForAResume) {
  // A 404 delivers its whole (small) body, far more than a tenth of its own
  // length; resuming after it would put the setup's tail behind the page.
  Step not_found = Failing(9, 9);
  not_found.error_text = L"final_query_info-404-0";
  ScriptedDownload download({not_found, Succeeding(500, 500)});
  EXPECT_TRUE(RunDownloadAttempts(&sink, &download));
  EXPECT_EQ(download.start_offsets, (std::vector<uint32_t>{0, 0}));
  EXPECT_EQ(download.reports[0].delivered, 9);
  EXPECT_EQ(sink.total(), 500u);
}

TEST_F(DownloadRetryLoop, BrokenReadOfTheSetupItselfIsStillResumable) {
  ScriptedDownload download({Failing(600, 1000), Succeeding(400, 400)});
  EXPECT_TRUE(RunDownloadAttempts(&sink, &download));
  EXPECT_EQ(download.start_offsets[1], 600u);
  EXPECT_FALSE(IsErrorResponse(L"internet_read-12030"));
  EXPECT_FALSE(IsErrorResponse(L""));
  EXPECT_TRUE(IsErrorResponse(L"final_query_info-206-0"));
}

TEST_F(DownloadRetryLoop, BodiesThatAreNotTheSetupOrFilledTheDiskAreNeverResumed) {
  // Unknown length: only the error text decides. A stall keeps its bytes.
  const std::pair<const wchar_t*, uint32_t> cases[] = {
      {L"internet_read-12152", 0}, {L"internet_read-223", 0},   {L"write_file-112", 0},
      {L"write_file-39", 0},       {L"internet_read-12002", 600}, {L"write_file-5", 600}};
  for (const auto& [error, second_offset] : cases) {
    MemoryDownloadSink fresh;
    Step step = Failing(600, 0);
    step.error_text = error;
    ScriptedDownload download({step, Succeeding(1, 0)});
    EXPECT_TRUE(RunDownloadAttempts(&fresh, &download));
    EXPECT_EQ(download.start_offsets[1], second_offset) << error;
    EXPECT_EQ(download.reports[0].delivered, 600) << error;
  }
}

TEST_F(DownloadRetryLoop, ErrorPageIsToldByTheDownloadersOwnPrefix) {
  // The servers receive this text as it is, and the loop decides by it.
  EXPECT_STREQ(kFinalQueryInfoErrorPrefix, L"final_query_info-");
  EXPECT_TRUE(IsErrorResponse(std::wstring(kFinalQueryInfoErrorPrefix) + L"500-0"));
  EXPECT_FALSE(IsErrorResponse(L"final_query_info"));
  EXPECT_FALSE(IsErrorResponse(L"internet_set_file_pointer-12016"));
}

TEST_F(DownloadRetryLoop, TenthOfASetupAbove429MegabytesIsComputedWithoutWrapping) {
  // 500000000 * 10 wraps in 32 bits (to 705032704), which would make the
  // threshold 7050327 and keep an 8 % partial file.
  EXPECT_TRUE(ShouldRestartDownload(40000000u, 500000000u));
  EXPECT_FALSE(ShouldRestartDownload(50000000u, 500000000u));
  EXPECT_TRUE(ShouldRestartDownload(429496728u, 4294967295u));
  EXPECT_FALSE(ShouldRestartDownload(0u, 0u));
}

TEST_F(DownloadRetryLoop, ReportCarriesTheAttemptsErrorTextAndRedirect) {
  Step step = Failing(5000, 0);
  step.redirect_url = L"http://mirror.test/browser/x.arc";
  ScriptedDownload download({step, Succeeding(1, 0)});
  EXPECT_TRUE(RunDownloadAttempts(&sink, &download));
  EXPECT_EQ(download.reports[0].error_text, L"internet_read-12002");
  EXPECT_EQ(download.reports[0].redirect_url, L"http://mirror.test/browser/x.arc");
  EXPECT_EQ(download.reports[1].error_text, L"");
  EXPECT_EQ(download.reports[1].redirect_url, L"");
}

TEST_F(DownloadRetryLoop, StopDuringAPauseEndsTheLoopWithoutAnotherAttempt) {
  ScriptedDownload download({});
  download.stop_in_pause = true;
  EXPECT_FALSE(RunDownloadAttempts(&sink, &download));
  EXPECT_EQ(download.attempts_started, 1u);
  EXPECT_EQ(download.reports.size(), 1u);
  EXPECT_EQ(download.pauses.size(), 1u);
  // The line names the configured maximum even after a stop.
  EXPECT_TRUE(LoggedMaxAttemptsFailed());
}

TEST_F(DownloadRetryLoop, StopBeforeTheFirstAttemptMakesNoAttemptAndNoReport) {
  ScriptedDownload download({Succeeding(1, 1)});
  download.StopNow();
  EXPECT_FALSE(RunDownloadAttempts(&sink, &download));
  EXPECT_EQ(download.attempts_started, 0u);
  EXPECT_TRUE(download.reports.empty());
  EXPECT_TRUE(LoggedMaxAttemptsFailed());
}

}  // namespace
}  // namespace lite_installer
