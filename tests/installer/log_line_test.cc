// The exact text of one installer log line: the UTC stamp, thread id, level,
// function, source line, message and the two possible line endings. Portable.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "installer/log_line.h"
#include "installer/log_text.h"

namespace lite_installer {
namespace {

constexpr int64_t k20151008_173440 = 1444325680;

std::wstring Line(int64_t when, uint32_t thread, int level, const std::wstring& function,
                  int line, const std::wstring& message, const std::wstring& error_text) {
  std::wstring text = BuildLogLinePrefix(when, thread, level, function, line);
  text += message;
  FinishLogLine(level, error_text, &text);
  return text;
}

TEST(LogLineFormat, DocumentedInfoLine) {
  EXPECT_EQ(L"2015-10-08 17:34:40 <4242> INFO: wWinMain (24): Lite installer mode.\n",
            Line(k20151008_173440, 4242, kLogInfo, L"wWinMain", 24, L"Lite installer mode.", L""));
}

TEST(LogLineFormat, StampIsUtcWithZeroPaddedFields) {
  // 2001-02-03 04:05:06 UTC.
  EXPECT_EQ(L"2001-02-03 04:05:06 <1> INFO: f (1): m\n",
            Line(981173106, 1, kLogInfo, L"f", 1, L"m", L""));
}

TEST(LogLineFormat, StampsPastThe32BitTimeLimit) {
  // The mingw runtime's time_t is 32 bits: its gmtime fails from here on, and
  // lines lost their stamp.
  EXPECT_EQ(L"2038-01-19 03:14:08 <1> INFO: f (1): m\n",
            Line(2147483648LL, 1, kLogInfo, L"f", 1, L"m", L""));
  EXPECT_EQ(L"2040-02-29 23:59:59 <1> INFO: f (1): m\n",
            Line(2214172799LL, 1, kLogInfo, L"f", 1, L"m", L""));
}

TEST(LogLineFormat, CalendarEdges) {
  const struct {
    int64_t seconds;
    const wchar_t* stamp;
  } kCases[] = {
      {0, L"1970-01-01 00:00:00 <"},           {-1, L"1969-12-31 23:59:59 <"},
      {951825600, L"2000-02-29 12:00:00 <"},   {4107542400LL, L"2100-03-01 00:00:00 <"},
      {253402300799LL, L"9999-12-31 23:59:59 <"}, {1444325680, L"2015-10-08 17:34:40 <"},
  };
  for (const auto& c : kCases) {
    std::wstring line = BuildLogLinePrefix(c.seconds, 0, kLogInfo, L"f", 0);
    EXPECT_EQ(std::wstring(c.stamp) + L"0> INFO: f (0): ", line) << c.seconds;
  }
}

TEST(LogLineFormat, ThreadIdIsUnsignedAndLineIsSigned) {
  EXPECT_EQ(L"2015-10-08 17:34:40 <4294967295> WARNING: a::B (-7): x\n",
            Line(k20151008_173440, 0xFFFFFFFFu, kLogWarning, L"a::B", -7, L"x", L""));
}

TEST(LogLineLevels, KnownCodesAndUnknownCodesAsInfo) {
  EXPECT_STREQ(L"INFO: ", LogLevelText(0));
  EXPECT_STREQ(L"ERROR: ", LogLevelText(1));
  EXPECT_STREQ(L"WARNING: ", LogLevelText(2));
  for (int unknown : {-1, 3, 4, 100, INT32_MIN, INT32_MAX})
    EXPECT_STREQ(L"INFO: ", LogLevelText(unknown)) << unknown;
}

TEST(LogLineLevels, UnknownLevelEndsLikeInfo) {
  // Only code 1 is ERROR: another code neither says ERROR nor carries an error text.
  EXPECT_EQ(L"2015-10-08 17:34:40 <9> INFO: f (2): m\n",
            Line(k20151008_173440, 9, 5, L"f", 2, L"m", L"ignored\r\n"));
}

TEST(LogLineEnding, ErrorLineEndsWithTheErrorTextInsteadOfALineFeed) {
  EXPECT_EQ(L"2015-10-08 17:34:40 <7> ERROR: Installer::Run (88): Cannot open. Last error: "
            L"The system cannot find the file specified.\r\n",
            Line(k20151008_173440, 7, kLogError, L"Installer::Run", 88, L"Cannot open.",
                 L"The system cannot find the file specified.\r\n"));
}

TEST(LogLineEnding, WarningAndInfoNeverCarryTheErrorText) {
  std::wstring line = Line(k20151008_173440, 7, kLogWarning, L"f", 1, L"m", L"text\r\n");
  EXPECT_EQ(std::wstring::npos, line.find(L"Last error"));
  EXPECT_EQ(L'\n', line.back());
}

TEST(LogLineErrorText, UnknownCodeInLowerCaseHexWithoutLeadingZeros) {
  EXPECT_EQ(L"unknown error 0xdeadbeef\n", UnknownErrorText(0xDEADBEEFu));
  EXPECT_EQ(L"unknown error 0x2a\n", UnknownErrorText(42));
  EXPECT_EQ(L"unknown error 0x0\n", UnknownErrorText(0));
  EXPECT_EQ(L"unknown error 0xffffffff\n", UnknownErrorText(0xFFFFFFFFu));
}

TEST(LogMessagePieces, ConcatenatedWithoutSeparators) {
  std::string narrow = "ua";
  std::wstring wide = L"C:\\t\\x.exe";
  EXPECT_EQ(L"Brand: ua, path C:\\t\\x.exe, code -5 of 4294967295 and 9223372036854775807",
            LogText(L"Brand: ", narrow, ", path ", wide, L", code ", -5, " of ", 0xFFFFFFFFu,
                    " and ", INT64_MAX));
}

TEST(LogMessagePieces, NarrowPiecesWidenByteByByte) {
  EXPECT_EQ(std::wstring(L"\u00E9\u00FF"), LogText("\xE9\xFF"));
}

TEST(LogMessagePieces, NullTextsAreEmpty) {
  const char* no_narrow = nullptr;
  const wchar_t* no_wide = nullptr;
  EXPECT_EQ(L"ab", LogText("a", no_narrow, no_wide, L"b"));
}

TEST(LogMessagePieces, CharacterPiecesAreCharactersNotNumbers) {
  EXPECT_EQ(L"a=b\\c", LogText("a", '=', L"b", L'\\', "c"));
  // Small integer types still print as numbers.
  EXPECT_EQ(L"7 -3 200", LogText(static_cast<short>(7), " ", static_cast<int8_t>(-3), " ",
                                 static_cast<uint8_t>(200)));
}

}  // namespace
}  // namespace lite_installer
