// The log's front on the host, where lines are captured in memory: lines
// before the path is set are lost, the first path wins, formatted messages are
// cut and ended, ERROR lines carry the error text. Host only: the process-wide
// path is set once, so the cases run in the order written.
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <regex>
#include <string>
#include <vector>

#include "installer/log.h"
#include "installer/log_file.h"

namespace lite_installer {
namespace {

const wchar_t kFirstPath[] = L"/tmp/first/lite_installer.log";

// The one line written by the statement, or a failure.
std::wstring OnlyLine() {
  std::vector<std::wstring> lines = TakeCapturedLogLines();
  EXPECT_EQ(1u, lines.size());
  return lines.empty() ? std::wstring() : lines.back();
}

// The line without its stamp and thread id (host thread id is always 1).
std::wstring WithoutStamp(const std::wstring& line) {
  size_t after = line.find(L"> ");
  return after == std::wstring::npos ? line : line.substr(after + 2);
}

TEST(LogBeforePath, LinesAreDroppedQuietly) {
  LI_LOG(kLogInfo, L"wWinMain", "before the path");
  WriteLog(kLogError, L"wWinMain", 1, L"before the path");
  WriteLogFormatted(kLogWarning, L"wWinMain", 2, L"%d", 5);
  EXPECT_TRUE(TakeCapturedLogLines().empty());
}

TEST(LogPath, FirstPathWinsForTheWholeProcess) {
  SetLogPath(kFirstPath);
  SetLogPath(L"/tmp/second/lite_installer.log");
  WriteLog(kLogInfo, L"wWinMain", 24, L"Lite installer mode.");
  OnlyLine();
  EXPECT_EQ(kFirstPath, LastCapturedLogPath());
}

TEST(LogLine, StampIsTheCurrentUtcTime) {
  SetLogPath(kFirstPath);
  std::time_t before = std::time(nullptr);
  WriteLog(kLogInfo, L"wWinMain", 24, L"Lite installer mode.");
  std::time_t after = std::time(nullptr);
  std::wstring line = OnlyLine();
  std::wsmatch m;
  ASSERT_TRUE(std::regex_match(
      line, m,
      std::wregex(L"(\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d) <1> INFO: wWinMain \\(24\\): "
                  L"Lite installer mode\\.\n")))
      << line.c_str();
  std::vector<std::wstring> allowed;
  for (std::time_t t = before; t <= after; ++t) {
    std::tm parts;
    gmtime_r(&t, &parts);
    wchar_t stamp[32];
    std::wcsftime(stamp, 32, L"%Y-%m-%d %H:%M:%S", &parts);
    allowed.push_back(stamp);
  }
  EXPECT_NE(allowed.end(), std::find(allowed.begin(), allowed.end(), m[1].str()));
}

TEST(LogLine, MacroUsesTheSourceLineAndPieces) {
  SetLogPath(kFirstPath);
  int expected_line = __LINE__ + 1;
  LI_LOG(kLogWarning, L"BrandPackageInfo::GetInfo", "Brand ", std::string("ua"), L" has ", 3, " keys.");
  EXPECT_EQ(L"WARNING: BrandPackageInfo::GetInfo (" + std::to_wstring(expected_line) +
                L"): Brand ua has 3 keys.\n",
            WithoutStamp(OnlyLine()));
}

TEST(LogLine, UnknownLevelIsWrittenAsInfo) {
  SetLogPath(kFirstPath);
  WriteLog(3, L"f", 1, L"m");
  EXPECT_EQ(L"INFO: f (1): m\n", WithoutStamp(OnlyLine()));
  WriteLog(-1, nullptr, 1, L"m");
  EXPECT_EQ(L"INFO:  (1): m\n", WithoutStamp(OnlyLine()));
}

TEST(LogLine, ErrorLineEndsWithLastErrorText) {
  SetLogPath(kFirstPath);
  // The host has no last error: its text is that of code 0.
  WriteLog(kLogError, L"f", 9, L"failed.");
  EXPECT_EQ(L"ERROR: f (9): failed. Last error: unknown error 0x0\n", WithoutStamp(OnlyLine()));
}

TEST(LogFormatted, MessageGetsALineFeedBeforeTheLineEnding) {
  SetLogPath(kFirstPath);
  WriteLogFormatted(kLogInfo, L"SignatureVerifier::HashData", 5, L"code %d, 0x%08x", -2, 255u);
  EXPECT_EQ(L"INFO: SignatureVerifier::HashData (5): code -2, 0x000000ff\n\n",
            WithoutStamp(OnlyLine()));
  // An ERROR line shows " Last error: " at the start of the next line.
  WriteLogFormatted(kLogError, L"f", 6, L"bad %ls", L"key");
  EXPECT_EQ(L"ERROR: f (6): bad key\n Last error: unknown error 0x0\n", WithoutStamp(OnlyLine()));
}

TEST(LogFormatted, LongMessagesAreCutAtMost1500Units) {
  SetLogPath(kFirstPath);
  std::wstring exact(1500, L'a');
  WriteLogFormatted(kLogInfo, L"f", 1, L"%ls", exact.c_str());
  EXPECT_EQ(L"INFO: f (1): " + exact + L"\n\n", WithoutStamp(OnlyLine()));

  std::wstring long_text(1000, L'b');
  long_text += std::wstring(3000, L'c');
  WriteLogFormatted(kLogInfo, L"f", 1, L"%ls", long_text.c_str());
  std::wstring rest = WithoutStamp(OnlyLine());
  const std::wstring head = L"INFO: f (1): ";
  ASSERT_EQ(head, rest.substr(0, head.size()));
  ASSERT_GE(rest.size(), head.size() + 2);
  EXPECT_EQ(L"\n\n", rest.substr(rest.size() - 2));
  std::wstring message = rest.substr(head.size(), rest.size() - head.size() - 2);
  EXPECT_LE(message.size(), 1500u);
  EXPECT_EQ(long_text.substr(0, message.size()), message);
}

TEST(LogFormatted, FormatWithoutArgumentsAndEmptyFormat) {
  SetLogPath(kFirstPath);
  WriteLogFormatted(kLogInfo, L"f", 1, L"100%% plain");
  EXPECT_EQ(L"INFO: f (1): 100% plain\n\n", WithoutStamp(OnlyLine()));
  WriteLogFormatted(kLogInfo, L"f", 1, L"");
  EXPECT_EQ(L"INFO: f (1): \n\n", WithoutStamp(OnlyLine()));
}

}  // namespace
}  // namespace lite_installer
