// Host build of the log's platform side: lines are kept in memory for tests.
#include <ctime>
#include <mutex>

#include "installer/log.h"
#include "installer/log_file.h"

namespace lite_installer {
namespace {
std::mutex g_mutex;
std::vector<std::wstring> g_lines;
std::wstring g_last_path;
}  // namespace

void AppendLogLine(const std::wstring& path, const std::wstring& line) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_lines.push_back(line);
  g_last_path = path;
}

uint32_t CurrentThreadIdForLog() { return 1; }
int64_t CurrentUtcSecondsForLog() { return static_cast<int64_t>(std::time(nullptr)); }
uint32_t LastErrorForLog() { return 0; }
void RestoreLastErrorForLog(uint32_t) {}

std::wstring ErrorText(uint32_t code) { return UnknownErrorText(code); }

std::vector<std::wstring> TakeCapturedLogLines() {
  std::lock_guard<std::mutex> lock(g_mutex);
  std::vector<std::wstring> lines;
  lines.swap(g_lines);
  return lines;
}

std::wstring LastCapturedLogPath() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_last_path;
}

}  // namespace lite_installer
