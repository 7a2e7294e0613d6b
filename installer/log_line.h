// The installer log's line format, kept apart from the file handling so that
// it can be tested on the host:
//   "2015-10-08 17:34:40 <4242> INFO: wWinMain (24): Lite installer mode.\n"
#pragma once

#include <cstdint>
#include <string>

namespace lite_installer {

enum LogLevel : int { kLogInfo = 0, kLogError = 1, kLogWarning = 2 };

// "INFO: ", "ERROR: " or "WARNING: "; any unknown code is INFO.
const wchar_t* LogLevelText(int level);

// Everything of a line up to and including the message. For ERROR lines the
// caller appends " Last error: " + error text, for others "\n" (see
// FinishLogLine).
// utc_seconds counts from 1970-01-01 00:00:00 UTC in 64 bits: the CRT's
// 32-bit time_t of the mingw build ends in January 2038.
std::wstring BuildLogLinePrefix(int64_t utc_seconds, uint32_t thread_id, int level,
                                const std::wstring& function, int line);

// Appends the line ending: " Last error: " + error_text for ERROR, else "\n".
void FinishLogLine(int level, const std::wstring& error_text, std::wstring* line);

// "unknown error 0x" + lower-case hex + "\n": the text of a code no message
// table knows.
std::wstring UnknownErrorText(uint32_t code);

}  // namespace lite_installer
