// One download attempt against a scripted downloader: which observer calls a
// fresh, resumed, failed or stopped attempt makes, and what the caller gets
// back.
#include "setup/download_attempt.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <deque>

#include "tests/setup/recording_observer.h"

namespace lite_installer {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// Plays back chunk sizes into the sink; the error texts are set as the real
// downloader would.
class ScriptedDownloader {
 public:
  bool OpenDownload(const wchar_t* url, DownloadSink* sink) {
    opened_url = url;
    sink_ = sink;
    if (!open_error.empty()) {
      error_text_ = open_error;
      return false;
    }
    if (refuse_resume && sink->total() != 0) {
      error_text_ = L"internet_set_file_pointer-12016";
      sink->Reset();
    }
    return true;
  }
  uint32_t ReadChunk() {
    ++reads;
    if (!error_text_.empty() || chunks.empty()) return 0;
    uint32_t n = chunks.front();
    chunks.pop_front();
    if (n == 0) {
      error_text_ = L"internet_read-12030";
      return 0;
    }
    std::string bytes(n, 'x');
    sink_->Write(bytes.data(), n);
    content_length_ = announced_length;
    return n;
  }
  bool FinalizeDownload() {
    ++finalizes;
    if (!error_text_.empty()) return false;
    if (status != 200) error_text_ = L"final_query_info-" + std::to_wstring(status) + L"-0";
    return status == 200;
  }
  const std::wstring& error_text() const { return error_text_; }
  const std::wstring& redirect_url() const { return redirect; }
  uint32_t content_length() const { return content_length_; }

  // Script.
  std::deque<uint32_t> chunks;  // 0 = the connection breaks
  uint32_t announced_length = 0;  // Content-Length, known after the first chunk
  uint32_t status = 200;
  std::wstring open_error;
  std::wstring redirect;
  bool refuse_resume = false;
  // Record.
  std::wstring opened_url;
  int reads = 0;
  int finalizes = 0;

 private:
  DownloadSink* sink_ = nullptr;
  std::wstring error_text_;
  uint32_t content_length_ = 0;
};

struct Outs {
  std::wstring error = L"stale";
  std::wstring redirect = L"stale";
  uint32_t content_length = 777;
};

// A tick source that advances by a fixed step per reading.
struct SteppingTicks {
  uint32_t now;
  uint32_t step;
  uint32_t operator()() {
    uint32_t t = now;
    now += step;
    return t;
  }
};

bool Attempt(ScriptedDownloader& d, DownloadSink* sink, Outs* outs, RecordingObserver* observer,
         bool stop = false, SteppingTicks ticks = {1000, 0}) {
  return RunDownloadAttempt(
      d, L"http://127.0.0.1/setup.exe", sink, &outs->error, &outs->redirect,
      &outs->content_length, [stop] { return stop; }, ticks, observer);
}

TEST(DownloadAttemptProgress, FreshDownloadRunsFromFiveToForty) {
  ScriptedDownloader d;
  d.chunks = {100, 100};
  d.announced_length = 200;
  MemoryDownloadSink sink;
  RecordingObserver observer;
  Outs outs;
  EXPECT_TRUE(Attempt(d, &sink, &outs, &observer));
  EXPECT_THAT(observer.calls,
              ElementsAre("SetProgress(5)", "SetTimeLeft(-1,0)", "SetProgress(22)",
                          "SetProgress(40)", "SetProgress(40)", "SetTimeLeft(240,2)"));
  EXPECT_EQ(sink.total(), 200u);
  EXPECT_EQ(d.opened_url, L"http://127.0.0.1/setup.exe");
}

TEST(DownloadAttemptProgress, ResumedAttemptKeepsTheEarlierProgress) {
  ScriptedDownloader d;
  d.chunks = {100};
  d.announced_length = 200;
  MemoryDownloadSink sink;
  sink.Write("0123456789", 10);
  RecordingObserver observer;
  Outs outs;
  EXPECT_TRUE(Attempt(d, &sink, &outs, &observer));
  // 110 of 200: trunc(0.45 * 5 + 0.55 * 40) = 24.
  EXPECT_THAT(observer.calls,
              ElementsAre("SetProgress(24)", "SetProgress(40)", "SetTimeLeft(240,2)"));
}

TEST(DownloadAttemptProgress, UnknownLengthShowsOnlyTheEnd) {
  ScriptedDownloader d;
  d.chunks = {32768, 5};
  MemoryDownloadSink sink;
  RecordingObserver observer;
  Outs outs;
  EXPECT_TRUE(Attempt(d, &sink, &outs, &observer));
  EXPECT_THAT(observer.calls, ElementsAre("SetProgress(5)", "SetTimeLeft(-1,0)",
                                          "SetProgress(40)", "SetTimeLeft(240,2)"));
  EXPECT_EQ(outs.content_length, 0u);
}

TEST(DownloadAttemptProgress, ElapsedTimeIsMeasuredFromTheStartOfTheTransfer) {
  // Ticks: start 4294960000 (wraps during the transfer), then +61 s per
  // reading. Half the file after 61 s: remaining 61 s, and 61 + 61 > 120.
  ScriptedDownloader d;
  d.chunks = {100, 100};
  d.announced_length = 200;
  MemoryDownloadSink sink;
  RecordingObserver observer;
  Outs outs;
  EXPECT_TRUE(Attempt(d, &sink, &outs, &observer, false, {4294960000u, 61000}));
  EXPECT_THAT(observer.calls,
              ElementsAre("SetProgress(5)", "SetTimeLeft(-1,0)", "SetProgress(22)",
                          "EnableTimeLeft", "SetTimeLeft(301,1)", "SetProgress(40)",
                          "EnableTimeLeft", "SetTimeLeft(240,1)", "SetProgress(40)",
                          "SetTimeLeft(240,2)"));
}

TEST(DownloadAttemptOutcome, OpenFailureMakesNoObserverCallAndCopiesTheError) {
  ScriptedDownloader d;
  d.open_error = L"internet_open_url-12029";
  MemoryDownloadSink sink;
  RecordingObserver observer;
  Outs outs;
  EXPECT_FALSE(Attempt(d, &sink, &outs, &observer));
  EXPECT_THAT(observer.calls, IsEmpty());
  EXPECT_EQ(outs.error, L"internet_open_url-12029");
  EXPECT_EQ(outs.redirect, L"");
  EXPECT_EQ(outs.content_length, 0u);
  EXPECT_EQ(d.reads, 0);
}

TEST(DownloadAttemptOutcome, BrokenConnectionKeepsTheReceivedBytes) {
  ScriptedDownloader d;
  d.chunks = {300, 0};
  d.announced_length = 1000;
  MemoryDownloadSink sink;
  Outs outs;
  EXPECT_FALSE(Attempt(d, &sink, &outs, nullptr));
  EXPECT_EQ(sink.total(), 300u);
  EXPECT_EQ(outs.error, L"internet_read-12030");
  EXPECT_EQ(outs.content_length, 1000u);
}

TEST(DownloadAttemptOutcome, HttpErrorFailsAfterTheWholeBody) {
  ScriptedDownloader d;
  d.chunks = {50};
  d.status = 404;
  MemoryDownloadSink sink;
  RecordingObserver observer;
  Outs outs;
  EXPECT_FALSE(Attempt(d, &sink, &outs, &observer));
  EXPECT_EQ(sink.total(), 50u);
  EXPECT_EQ(outs.error, L"final_query_info-404-0");
  EXPECT_THAT(observer.calls, ElementsAre("SetProgress(5)", "SetTimeLeft(-1,0)"));
}

TEST(DownloadAttemptOutcome, RefusedResumeFailsWithAnEmptySink) {
  ScriptedDownloader d;
  d.refuse_resume = true;
  d.chunks = {100};
  MemoryDownloadSink sink;
  sink.Write("0123456789", 10);
  Outs outs;
  EXPECT_FALSE(Attempt(d, &sink, &outs, nullptr));
  EXPECT_EQ(sink.total(), 0u);
  EXPECT_EQ(outs.error, L"internet_set_file_pointer-12016");
  EXPECT_EQ(d.chunks.size(), 1u);  // nothing was read
}

TEST(DownloadAttemptOutcome, RedirectIsHandedOut) {
  ScriptedDownloader d;
  d.redirect = L"http://localhost:1/b";
  MemoryDownloadSink sink;
  Outs outs;
  EXPECT_TRUE(Attempt(d, &sink, &outs, nullptr));
  EXPECT_EQ(outs.redirect, L"http://localhost:1/b");
  EXPECT_EQ(outs.error, L"");
}

TEST(DownloadAttemptOutcome, OutsAreOptional) {
  ScriptedDownloader d;
  d.chunks = {10};
  MemoryDownloadSink sink;
  EXPECT_TRUE(RunDownloadAttempt(
      d, L"u", &sink, nullptr, nullptr, nullptr, [] { return false; },
      [] { return uint32_t{0}; }, nullptr));
}

TEST(DownloadAttemptOutcome, NullSinkFailsWithoutOpening) {
  ScriptedDownloader d;
  Outs outs;
  EXPECT_FALSE(Attempt(d, nullptr, &outs, nullptr));
  EXPECT_EQ(d.opened_url, L"");
}

TEST(DownloadAttemptStop, StopBeforeTheFirstChunkReadsNothing) {
  ScriptedDownloader d;
  d.chunks = {100};
  MemoryDownloadSink sink;
  RecordingObserver observer;
  Outs outs;
  EXPECT_FALSE(Attempt(d, &sink, &outs, &observer, true));
  EXPECT_EQ(d.reads, 0);
  EXPECT_EQ(d.finalizes, 0);
  EXPECT_EQ(sink.total(), 0u);
  EXPECT_EQ(outs.error, L"");
  EXPECT_THAT(observer.calls, ElementsAre("SetProgress(5)", "SetTimeLeft(-1,0)"));
}

TEST(DownloadAttemptStop, StopBetweenChunksSkipsFinalize) {
  ScriptedDownloader d;
  d.chunks = {100, 100, 100};
  MemoryDownloadSink sink;
  int polls = 0;
  std::wstring error;
  bool ok = RunDownloadAttempt(
      d, L"u", &sink, &error, nullptr, nullptr, [&polls] { return ++polls > 2; },
      [] { return uint32_t{0}; }, nullptr);
  EXPECT_FALSE(ok);
  EXPECT_EQ(sink.total(), 200u);
  EXPECT_EQ(d.finalizes, 0);
}

}  // namespace
}  // namespace lite_installer
