// The platform side of the log: appending a finished line to the shared file
// (Windows: named mutex, rotation, BOM), the thread id and the last error.
// The host build keeps the lines in memory so that logging code is testable.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lite_installer {

void AppendLogLine(const std::wstring& path, const std::wstring& line);
uint32_t CurrentThreadIdForLog();
// The current time in seconds since 1970-01-01 UTC, in 64 bits.
int64_t CurrentUtcSecondsForLog();
uint32_t LastErrorForLog();
void RestoreLastErrorForLog(uint32_t code);

#if !defined(_WIN32)
// Host build only: every line written since the last call, oldest first.
std::vector<std::wstring> TakeCapturedLogLines();
// Host build only: the file path the last captured line was written to.
std::wstring LastCapturedLogPath();
#endif

}  // namespace lite_installer
