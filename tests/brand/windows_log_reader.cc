// Reads the UTF-16LE installer log back for the Windows test programs.
#include "tests/brand/windows_log_reader.h"

#include <windows.h>

#include "platform/file_bytes.h"
#include "installer/log.h"
#include "platform/path_util.h"

namespace lite_installer {
namespace {

std::wstring g_path;
size_t g_consumed = 0;  // wide units of the file already returned

}  // namespace

void StartLogFile(const std::wstring& name) {
  g_path = GetTemporaryDirectoryPath() + name + L".log";
  ::DeleteFileW(g_path.c_str());
  g_consumed = 0;
  SetLogPath(g_path);
}

std::vector<LogMessage> TakeLogMessages() {
  std::string bytes = ReadFileBytes(g_path);
  std::wstring text(bytes.size() / 2, L'\0');
  for (size_t i = 0; i < text.size(); ++i)
    text[i] = static_cast<wchar_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                   (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
  if (g_consumed == 0 && !text.empty() && text[0] == 0xFEFF) g_consumed = 1;
  std::vector<LogMessage> out;
  // "<date> <time> <thread> LEVEL: Function (line): message\n"
  size_t position = g_consumed;
  while (position < text.size()) {
    size_t end = text.find(L'\n', position);
    if (end == std::wstring::npos) break;
    std::wstring line = text.substr(position, end - position);
    position = end + 1;
    size_t level_end = line.find(L": ");
    size_t level_start = line.rfind(L' ', level_end);
    size_t function_end = line.find(L" (", level_end);
    size_t text_start = line.find(L"): ", function_end);
    if (level_end == std::wstring::npos || level_start == std::wstring::npos ||
        function_end == std::wstring::npos || text_start == std::wstring::npos)
      continue;
    out.push_back({line.substr(level_start + 1, level_end - level_start - 1),
                   line.substr(level_end + 2, function_end - level_end - 2),
                   line.substr(text_start + 3)});
  }
  g_consumed = position;
  return out;
}

std::vector<std::wstring> TextsOf(const std::vector<LogMessage>& messages,
                                  const std::wstring& function) {
  std::vector<std::wstring> out;
  for (const LogMessage& m : messages) {
    if (m.function == function) out.push_back(m.text);
  }
  return out;
}

}  // namespace lite_installer
