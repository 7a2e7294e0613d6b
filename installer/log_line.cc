// Line format of the installer log; portable.
#include "installer/log_line.h"

#include <cwchar>

namespace lite_installer {

const wchar_t* LogLevelText(int level) {
  switch (level) {
    case kLogError:
      return L"ERROR: ";
    case kLogWarning:
      return L"WARNING: ";
    default:
      return L"INFO: ";
  }
}

std::wstring BuildLogLinePrefix(std::time_t utc_seconds, uint32_t thread_id, int level,
                                const std::wstring& function, int line) {
  std::tm parts = {};
#if defined(_WIN32)
  gmtime_s(&parts, &utc_seconds);
#else
  gmtime_r(&utc_seconds, &parts);
#endif
  wchar_t stamp[1024];
  size_t n = std::wcsftime(stamp, 1024, L"%Y-%m-%d %H:%M:%S <", &parts);
  std::wstring text(stamp, n);
  text += std::to_wstring(thread_id);
  text += L"> ";
  text += LogLevelText(level);
  text += function;
  text += L" (";
  text += std::to_wstring(line);
  text += L"): ";
  return text;
}

void FinishLogLine(int level, const std::wstring& error_text, std::wstring* line) {
  if (level == kLogError) {
    line->append(L" Last error: ");
    line->append(error_text);
  } else {
    line->append(L"\n");
  }
}

std::wstring UnknownErrorText(uint32_t code) {
  wchar_t hex[16];
  std::swprintf(hex, 16, L"%x", static_cast<unsigned>(code));
  return std::wstring(L"unknown error 0x") + hex + L"\n";
}

}  // namespace lite_installer
