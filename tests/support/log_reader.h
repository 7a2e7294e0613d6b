// The installer log as the C++ tests read it back: every line the code under
// test wrote, parsed into level, function, source line and message. Lines
// look like installer/log_line.cc builds them:
//   "2015-10-08 17:34:40 <4242> INFO: wWinMain (24): Lite installer mode.\n"
// The host build reads the lines its log keeps in memory
// (installer/log_file_host.cc); the Windows build reads the test program's own
// log file back. One log per test process.
#pragma once

#include <string>
#include <vector>

namespace lite_installer {

struct LogEntry {
  std::wstring level;     // "INFO", "ERROR" or "WARNING"
  std::wstring function;  // as written, e.g. "BrandPackageInfo::GetInfo"
  int source_line = 0;
  // Without its line end and, for ERROR, without the " Last error: " part.
  std::wstring message;
  // ERROR only: the error's text (the system's wording), without its line end.
  std::wstring last_error;
};

// The entries of log text (after its byte-order mark). A text line that does
// not start an entry belongs to the one before it: the " Last error: " part of
// a formatted ERROR message, or the second line feed of a formatted message.
// Text before the first entry is skipped.
std::vector<LogEntry> ParseLogText(const std::wstring& text);

// Points the log at the test's own: the host build's memory, or the file
// <temp>\<name>.log on Windows, emptied. Only the first call of the process
// sets the log path (the log takes one per process); every call drops what
// was written so far.
void StartTestLog(const std::wstring& name);

// The entries written since the last call (or since StartTestLog).
std::vector<LogEntry> TakeLogEntries();
// Every entry since StartTestLog; takes nothing away from TakeLogEntries.
std::vector<LogEntry> LogEntriesSinceStart();

// The messages of one function's entries, in order.
std::vector<std::wstring> MessagesOf(const std::vector<LogEntry>& entries,
                                     const std::wstring& function);
// Each entry as "LEVEL Function: message", so that a test compares whole lines.
std::vector<std::wstring> BriefLines(const std::vector<LogEntry>& entries);

// Behind the functions above, one per build (log_reader_host.cc,
// log_reader_win.cc): sets the path on the first call and empties the log,
// and hands over the text written since the last call, in whole entries.
void ResetLogSource(const std::wstring& name);
std::wstring TakeNewLogText();

}  // namespace lite_installer
