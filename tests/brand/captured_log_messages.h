// Host tests: the messages of the log lines captured since the last call,
// for one function name.
#pragma once

#include <string>
#include <vector>

#include "installer/log.h"
#include "installer/log_file.h"
#include "platform/string_conversion.h"

namespace lite_installer {

// Lines look like "<stamp> <thread> LEVEL: Function (line): message\n".
// Lines are only written once a log path is set (the host keeps them in
// memory); drops what was captured so far.
inline void StartLogCapture() {
  SetLogPath(L"captured.log");
  TakeCapturedLogLines();
}

inline std::vector<std::string> CapturedMessages(const std::wstring& function) {
  std::vector<std::string> out;
  for (const std::wstring& line : TakeCapturedLogLines()) {
    size_t at = line.find(L" " + function + L" (");
    if (at == std::wstring::npos) continue;
    std::wstring message = line.substr(line.find(L"): ", at) + 3);
    if (!message.empty() && message.back() == L'\n') message.pop_back();
    out.push_back(Narrow(message));
  }
  return out;
}

}  // namespace lite_installer
