// The tests' log reader against what the log itself writes (host capture):
// every kind of line, with the fields at their edges, and text that starts
// no entry.
#include "tests/support/log_reader.h"

#include <gtest/gtest.h>

#include "installer/log.h"

namespace lite_installer {
namespace {

TEST(LogReader, ReadsBackEveryKindOfLineTheLogWrites) {
  StartTestLog(L"log_reader_test");
  WriteLog(kLogInfo, L"wWinMain", 24, L"Lite installer mode.");
  WriteLog(kLogError, L"`anonymous-namespace'::F", -3, L"failed: a (1): b");
  WriteLogFormatted(kLogWarning, L"g", 5, L"code %d", 7);
  WriteLogFormatted(kLogError, L"", 6, L"bad %ls", L"key");
  const struct {
    const wchar_t* level;
    const wchar_t* function;
    int line;
    const wchar_t* message;
    const wchar_t* last_error;
  } kExpected[] = {{L"INFO", L"wWinMain", 24, L"Lite installer mode.", L""},
                   {L"ERROR", L"`anonymous-namespace'::F", -3, L"failed: a (1): b",
                    L"unknown error 0x0"},
                   {L"WARNING", L"g", 5, L"code 7", L""},
                   {L"ERROR", L"", 6, L"bad key", L"unknown error 0x0"}};
  const std::vector<LogEntry> log = TakeLogEntries();
  ASSERT_EQ(4u, log.size());
  for (size_t i = 0; i < log.size(); ++i) {
    EXPECT_EQ(kExpected[i].level, log[i].level) << i;
    EXPECT_EQ(kExpected[i].function, log[i].function) << i;
    EXPECT_EQ(kExpected[i].line, log[i].source_line) << i;
    EXPECT_EQ(kExpected[i].message, log[i].message) << i;
    EXPECT_EQ(kExpected[i].last_error, log[i].last_error) << i;
  }
  EXPECT_TRUE(TakeLogEntries().empty());
  EXPECT_EQ(4u, LogEntriesSinceStart().size());
  StartTestLog(L"log_reader_test");
  EXPECT_TRUE(LogEntriesSinceStart().empty());
}

TEST(LogReader, LinesThatStartNoEntryJoinTheOneBefore) {
  const std::vector<LogEntry> log = ParseLogText(
      L"tail of an older line\n"
      L"2015-10-08 17:34:40 <4242> INFO: a::b (1): one\r\ntwo\n"
      L"2015-10-08 17:34:40 <1> NOTICE: c (2): not a level\n"
      L"2015-10-08 17:34:4 <1> INFO: c (2): short stamp\n"
      L"2015-10-08 17:34:40 <1> ERROR: d (x): no line number\n");
  ASSERT_EQ(1u, log.size());
  EXPECT_EQ(L"one\r\ntwo\n2015-10-08 17:34:40 <1> NOTICE: c (2): not a level\n"
            L"2015-10-08 17:34:4 <1> INFO: c (2): short stamp\n"
            L"2015-10-08 17:34:40 <1> ERROR: d (x): no line number",
            log[0].message);
}

}  // namespace
}  // namespace lite_installer
