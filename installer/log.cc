// Front of the installer log: path, line building, levels. The file work is in
// log_file_*.cc. Portable.
#include "installer/log.h"

#include <atomic>
#include <cstdarg>
#include <cwchar>

#include "installer/log_file.h"

namespace lite_installer {
namespace {

std::atomic<int32_t> g_path_set{0};
// Published once; a line written by another thread before that is dropped.
std::atomic<const std::wstring*> g_log_path{nullptr};

constexpr size_t kMaxFormattedUnits = 1500;

void WriteLine(int level, const wchar_t* function, int line, const std::wstring& message,
               uint32_t last_error) {
  const std::wstring* path = g_log_path.load(std::memory_order_acquire);
  if (!path) return;  // lines before SetLogPath are dropped
  std::wstring text = BuildLogLinePrefix(CurrentUtcSecondsForLog(), CurrentThreadIdForLog(), level,
                                         function ? function : L"", line);
  text += message;
  FinishLogLine(level, level == kLogError ? ErrorText(last_error) : std::wstring(), &text);
  AppendLogLine(*path, text);
  RestoreLastErrorForLog(last_error);
}

}  // namespace

void SetLogPath(const std::wstring& path) {
  int32_t expected = 0;
  if (g_path_set.compare_exchange_strong(expected, 1))
    g_log_path.store(new std::wstring(path), std::memory_order_release);
}

void WriteLog(int level, const wchar_t* function, int line, const std::wstring& message) {
  WriteLine(level, function, line, message, LastErrorForLog());
}

void WriteLogFormatted(int level, const wchar_t* function, int line, const wchar_t* format, ...) {
  uint32_t last_error = LastErrorForLog();
  wchar_t buffer[kMaxFormattedUnits + 1];
  buffer[0] = L'\0';
  va_list args;
  va_start(args, format);
#if defined(_WIN32)
  // Returns -1 when the text is cut; never writes more than the count.
  _vsnwprintf(buffer, kMaxFormattedUnits, format, args);
#else
  std::vswprintf(buffer, kMaxFormattedUnits + 1, format, args);
#endif
  va_end(args);
  buffer[kMaxFormattedUnits] = L'\0';
  std::wstring message(buffer, wcsnlen(buffer, kMaxFormattedUnits));
  message += L"\n";
  WriteLine(level, function, line, message, last_error);
}

LogStatement::LogStatement(int level, const wchar_t* function, int line)
    : level_(level), function_(function), line_(line), last_error_(LastErrorForLog()) {}

void LogStatement::Write(const std::wstring& message) const {
  WriteLine(level_, function_, line_, message, last_error_);
}

}  // namespace lite_installer
