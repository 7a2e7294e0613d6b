// The portable rules of a bounded, resumable request: redirect counting, the
// Content-Range parse and the resume decision, the range headers, and the
// deadline and stall-code arithmetic with the values users get.
#include "setup/http_answer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "setup/body_watch.h"
#include "setup/request_bounds.h"

namespace lite_installer {
namespace {

TEST(RedirectChain, FollowsUpToTheCapThenRefuses) {
  const std::wstring target = L"http://mirror.test/setup.exe";
  RedirectChain chain(kSetupDownloadBounds.max_redirects);
  for (uint32_t i = 0; i < kSetupDownloadBounds.max_redirects; ++i)
    ASSERT_EQ(chain.Next(302, target), RedirectChain::kFollow) << i;
  EXPECT_EQ(chain.Next(301, target), RedirectChain::kTooMany);
  // An answer that is no redirect ends the chain whatever it counted.
  EXPECT_EQ(chain.Next(200, target), RedirectChain::kFinal);
  RedirectChain none(0);
  EXPECT_EQ(none.Next(302, target), RedirectChain::kTooMany);
}

TEST(RedirectChain, WhatCountsAsAFollowableRedirect) {
  const struct {
    uint32_t status;
    const wchar_t* target;
    RedirectChain::Step step;
  } cases[] = {
      {301, L"http://a.test/x", RedirectChain::kFollow},
      {302, L"HTTPS://a.test/x", RedirectChain::kFollow},
      {303, L"https://a.test/x", RedirectChain::kFollow},
      {307, L"http://a.test/x", RedirectChain::kFollow},
      {308, L"http://a.test/x", RedirectChain::kFollow},
      {300, L"http://a.test/x", RedirectChain::kFinal},
      {304, L"http://a.test/x", RedirectChain::kFinal},
      {200, L"http://a.test/x", RedirectChain::kFinal},
      {302, L"", RedirectChain::kFinal},                   // no Location
      {302, L"ftp://a.test/x", RedirectChain::kFinal},     // another scheme
      {302, L"file:///C:/x.exe", RedirectChain::kFinal},
      {302, L"httpx://a.test/", RedirectChain::kFinal},
  };
  for (const auto& c : cases) {
    RedirectChain chain(10);
    EXPECT_EQ(chain.Next(c.status, c.target), c.step) << c.status << " " << c.target;
  }
}

TEST(RedirectChain, NeverFromHttpsToHttp) {
  const struct {
    const wchar_t* start;
    std::vector<std::wstring> targets;  // each answered with a 302
    RedirectChain::Step last;
  } cases[] = {
      {L"https://stat.test/get", {L"http://stat.test/get"}, RedirectChain::kDowngrade},
      {L"HTTPS://stat.test/get", {L"Http://stat.test/get"}, RedirectChain::kDowngrade},
      {L"http://a.test/", {L"https://b.test/", L"http://c.test/"}, RedirectChain::kDowngrade},
      {L"https://a.test/", {L"https://b.test/"}, RedirectChain::kFollow},
      {L"http://a.test/", {L"http://b.test/"}, RedirectChain::kFollow},
      {L"https://a.test/", {L"ftp://b.test/"}, RedirectChain::kFinal},  // fails on its status
  };
  for (const auto& c : cases) {
    RedirectChain chain(10, c.start);
    RedirectChain::Step step = RedirectChain::kFinal;
    for (const std::wstring& target : c.targets) step = chain.Next(302, target);
    EXPECT_EQ(step, c.last) << c.start << " " << c.targets.back();
  }
  // A refused redirect is not followed, nor counted.
  RedirectChain chain(10, L"https://a.test/");
  EXPECT_EQ(chain.Next(307, L"http://a.test/"), RedirectChain::kDowngrade);
  EXPECT_EQ(chain.followed(), 0u);
  EXPECT_EQ(chain.Next(200, L"http://a.test/"), RedirectChain::kFinal);
}

TEST(ContentRange, Parse) {
  const struct {
    const wchar_t* text;
    bool ok;
    uint64_t first, last, complete;
  } cases[] = {
      {L"bytes 100-199/200", true, 100, 199, 200},
      {L"bytes 0-0/1", true, 0, 0, 1},
      {L"  BYTES   5-9/*  ", true, 5, 9, 0},
      {L"bytes 4294967295-4294967295/4294967296", true, 4294967295u, 4294967295u, 4294967296u},
      {L"bytes */200", false, 0, 0, 0},       // the form of a 416
      {L"bytes 100-199/199", false, 0, 0, 0},  // last beyond the file
      {L"bytes 200-100/300", false, 0, 0, 0},
      {L"bytes=100-199/200", false, 0, 0, 0},
      {L"bytes100-199/200", false, 0, 0, 0},
      {L"items 1-2/3", false, 0, 0, 0},
      {L"bytes 1-2/3 x", false, 0, 0, 0},
      {L"bytes -2/3", false, 0, 0, 0},
      {L"bytes 1-/3", false, 0, 0, 0},
      {L"bytes 99999999999999999999-1/2", false, 0, 0, 0},  // would wrap
      {L"", false, 0, 0, 0},
  };
  for (const auto& c : cases) {
    ContentRange range;
    ASSERT_EQ(ParseContentRange(c.text, &range), c.ok) << c.text;
    if (!c.ok) continue;
    EXPECT_EQ(range.first, c.first) << c.text;
    EXPECT_EQ(range.last, c.last) << c.text;
    EXPECT_EQ(range.complete, c.complete) << c.text;
  }
}

TEST(DecideResume, EveryAnswerToARangeRequest) {
  using O = ResumeOutcome;
  const struct {
    const char* what;
    uint32_t offset, complete_length, status;
    const wchar_t* content_range;  // null: no header
    uint32_t content_length;
    O outcome;
  } cases[] = {
      {"continues", 600, 1000, 206, L"bytes 600-999/1000", 400, O::kAppend},
      {"continues, size unknown before", 600, 0, 206, L"bytes 600-999/1000", 400, O::kAppend},
      {"continues, no Content-Length", 600, 1000, 206, L"bytes 600-999/1000", 0, O::kAppend},
      {"range ignored", 600, 1000, 200, nullptr, 1000, O::kFromStart},
      {"If-Range did not match", 600, 1000, 200, nullptr, 1200, O::kFromStart},
      {"not satisfiable", 600, 1000, 416, L"bytes */1000", 0, O::kRefused},
      {"starts elsewhere", 600, 1000, 206, L"bytes 0-999/1000", 1000, O::kRefused},
      {"starts later", 600, 1000, 206, L"bytes 700-999/1000", 300, O::kRefused},
      {"stops short of the end", 600, 1000, 206, L"bytes 600-799/1000", 200, O::kRefused},
      {"another file's size", 600, 1000, 206, L"bytes 600-1199/1200", 600, O::kRefused},
      {"size unknown", 600, 1000, 206, L"bytes 600-999/*", 400, O::kRefused},
      {"own length disagrees", 600, 1000, 206, L"bytes 600-999/1000", 500, O::kRefused},
      {"no Content-Range", 600, 1000, 206, nullptr, 400, O::kRefused},
      {"garbled Content-Range", 600, 1000, 206, L"bytes 600-999", 400, O::kRefused},
      {"beyond 32 bits", 600, 0, 206, L"bytes 600-4294967296/4294967297", 0, O::kRefused},
      {"error page", 600, 1000, 404, nullptr, 9, O::kNotResumed},
      {"no partial file", 0, 0, 200, nullptr, 1000, O::kNotResumed},
      {"206 without asking", 0, 0, 206, L"bytes 0-9/10", 10, O::kNotResumed},
  };
  for (const auto& c : cases) {
    ResumeAnswer answer;
    answer.status = c.status;
    answer.has_content_range = c.content_range != nullptr;
    answer.content_range = c.content_range ? c.content_range : L"";
    answer.content_length = c.content_length;
    EXPECT_EQ(DecideResume(c.offset, c.complete_length, answer), c.outcome) << c.what;
  }
}

TEST(ResumeHeaders, AskForTheRestOfTheSameFile) {
  EXPECT_EQ(ResumeHeaders(0, L"\"v1\""), L"");
  EXPECT_EQ(ResumeHeaders(600, L""), L"Range: bytes=600-\r\n");
  EXPECT_EQ(ResumeHeaders(4294967295u, L"\"5f-1a\""),
            L"Range: bytes=4294967295-\r\nIf-Range: \"5f-1a\"\r\n");
  EXPECT_EQ(ResumeHeaders(1, L"Wed, 09 Dec 2026 13:51:45 GMT"),
            L"Range: bytes=1-\r\nIf-Range: Wed, 09 Dec 2026 13:51:45 GMT\r\n");
}

TEST(RequestBounds, ThisBuildUsesTheRealValues) {
  // The host build is no test build: what users get is what the other
  // cases here compute with.
  EXPECT_EQ(&SetupDownloadBounds(), &kSetupDownloadBounds);
  EXPECT_EQ(&ReportBounds(), &kReportBounds);
  EXPECT_EQ(&SetupBodyLimits(), &kSetupBodyLimits);
  EXPECT_EQ(OpenPhaseIdleMs(kSetupDownloadBounds), 120000u);  // the phases summed
  EXPECT_EQ(OpenPhaseIdleMs(kReportBounds), 15000u);          // within the whole
}

TEST(StallErrorCode, TimeoutsOfEverySystemBecome12002) {
  const uint32_t receive = kSetupDownloadBounds.receive_ms;
  const struct {
    uint32_t code, elapsed, expected;
  } cases[] = {
      {12030, receive, 12002},      // Wine: a send, or a read over TLS
      {10060, receive + 5, 12002},  // Wine: a read over plain HTTP
      {12002, receive, 12002},      // Windows
      {12030, receive - 1, 12030},  // a connection the server really aborted
      {10060, 10, 10060},
      {12029, receive * 2, 12029},  // cannot connect: not a stall
      {12057, receive, 12057},
  };
  for (const auto& c : cases)
    EXPECT_EQ(StallErrorCode(c.code, c.elapsed, receive), c.expected) << c.code << " " << c.elapsed;
  EXPECT_EQ(StallErrorCode(12030, 100000, 0), 12030u);
}

TEST(ProgressDeadline, IdleBoundMovesOnWithProgressTotalDoesNot) {
  // The real report bounds; ticks wrap during the request.
  const uint32_t start = 4294960000u;
  ProgressDeadline report(OpenPhaseIdleMs(kReportBounds), kReportBounds.total_ms, start);
  EXPECT_EQ(report.Remaining(start), 15000u);
  report.Progress(start + 10000);
  EXPECT_EQ(report.Remaining(start + 10000), 5000u);  // the whole bound wins
  EXPECT_EQ(report.Remaining(start + 15000), 0u);
  EXPECT_EQ(report.Remaining(start + 40000), 0u);

  const uint32_t idle = OpenPhaseIdleMs(kSetupDownloadBounds);
  ProgressDeadline open(idle, 0, start);
  EXPECT_EQ(open.Remaining(start + idle - 1), 1u);
  EXPECT_EQ(open.Remaining(start + idle), 0u);
  open.Progress(start + 100000);  // a redirect followed
  EXPECT_EQ(open.Remaining(start + idle), 100000u);
  open.Progress(start + 50000);   // an older reading moves nothing back
  EXPECT_EQ(open.Remaining(start + idle), 100000u);
  EXPECT_EQ(open.Remaining(start + 100000 + idle), 0u);
}

// A body fed to the watch as chunks of `bytes` every `every_ms`, from a tick
// just before the counter wraps; the verdict of each chunk.
std::vector<BodyVerdict> Feed(const BodyLimits& limits, uint32_t offset, uint32_t announced,
                              const std::vector<uint32_t>& bytes, uint32_t every_ms) {
  const uint32_t start = 4294960000u;
  BodyWatch watch(limits, offset, announced, start);
  std::vector<BodyVerdict> verdicts;
  uint32_t now = start;
  for (uint32_t count : bytes) verdicts.push_back(watch.OnChunk(count, now += every_ms));
  return verdicts;
}

TEST(BodyWatch, EveryWayABodyEnds) {
  using V = BodyVerdict;
  const BodyLimits short_limits = {4000, 1024, 10000};
  const std::vector<uint32_t> drip(4, 1);
  const struct {
    const char* what;
    BodyLimits limits;
    uint32_t offset, announced;
    std::vector<uint32_t> bytes;
    uint32_t every_ms;
    std::vector<V> verdicts;
  } cases[] = {
      {"a byte every 2 s", short_limits, 0, 100000, drip, 2000,
       {V::kGoOn, V::kTooSlow, V::kTooSlow, V::kTooSlow}},
      {"a burst, then a drip: the next window", short_limits, 0, 100000, {5000, 1, 1, 1}, 2000,
       {V::kGoOn, V::kGoOn, V::kGoOn, V::kTooSlow}},
      {"a slow end that completes the body", short_limits, 0, 2, {1, 1}, 3000,
       {V::kGoOn, V::kGoOn}},
      {"one byte more", short_limits, 0, 1000, {600, 401}, 10,
       {V::kGoOn, V::kLongerThanAnnounced}},
      {"no length: up to the cap", short_limits, 9000, 0, {999, 1, 1}, 10,
       {V::kGoOn, V::kGoOn, V::kOverCap}},
      {"no limits: a drip, no cap", kNoBodyLimits, 0, 0, {1, 1, 1, 4000000000u}, 100000,
       {V::kGoOn, V::kGoOn, V::kGoOn, V::kGoOn}},
      {"the slowest real line, 1 KB/s", kSetupBodyLimits, 0, 150000000,
       std::vector<uint32_t>(600, 1024), 1000, std::vector<V>(600, V::kGoOn)},
      {"a byte a second", kSetupBodyLimits, 0, 150000000, std::vector<uint32_t>(60, 1), 1000,
       [] {
         std::vector<V> v(60, V::kGoOn);
         v.back() = V::kTooSlow;
         return v;
       }()},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Feed(c.limits, c.offset, c.announced, c.bytes, c.every_ms), c.verdicts) << c.what;
}

TEST(RestFitsInFreeSpace, OnlyTheRestOfAKnownLengthCounts) {
  EXPECT_TRUE(RestFitsInFreeSpace(1000, 600, 400));   // a continued resume
  EXPECT_FALSE(RestFitsInFreeSpace(1000, 600, 399));
  EXPECT_TRUE(RestFitsInFreeSpace(0, 0, 0));          // unknown length
  EXPECT_TRUE(RestFitsInFreeSpace(4294967295u, 0, 5000000000ull));
}

}  // namespace
}  // namespace lite_installer
