// Windows build: the test program's own log file, UTF-16LE after one
// byte-order mark, read back from where the last read stopped.
#include <windows.h>

#include "installer/log.h"
#include "platform/file_bytes.h"
#include "platform/path_util.h"
#include "tests/support/log_reader.h"

namespace lite_installer {
namespace {

constexpr wchar_t kByteOrderMark = 0xFEFF;

std::wstring g_path;
size_t g_consumed = 0;  // wide units of the file already handed over

}  // namespace

void ResetLogSource(const std::wstring& name) {
  if (g_path.empty()) {
    g_path = GetTemporaryDirectoryPath() + name + L".log";
    SetLogPath(g_path);
  }
  ::DeleteFileW(g_path.c_str());
  g_consumed = 0;
}

std::wstring TakeNewLogText() {
  const std::string bytes = ReadFileBytes(g_path);
  std::wstring text(bytes.size() / 2, L'\0');
  for (size_t i = 0; i < text.size(); ++i)
    text[i] = static_cast<wchar_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                   (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
  // Shorter than what was read: the log was rotated at 1 MiB and starts anew.
  if (text.size() < g_consumed) g_consumed = 0;
  if (g_consumed == 0 && !text.empty() && text[0] == kByteOrderMark) g_consumed = 1;
  // Each line reaches the file in one write; only whole lines are handed over.
  const size_t end = text.rfind(L'\n');
  if (end == std::wstring::npos || end < g_consumed) return std::wstring();
  std::wstring fresh = text.substr(g_consumed, end + 1 - g_consumed);
  g_consumed = end + 1;
  return fresh;
}

}  // namespace lite_installer
