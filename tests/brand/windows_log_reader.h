// Windows test programs: the installer log written by the code under test,
// read back from a log file of the test program's own.
#pragma once

#include <string>
#include <vector>

namespace lite_installer {

struct LogMessage {
  std::wstring level;     // "INFO", "ERROR", "WARNING"
  std::wstring function;  // as written, e.g. "BrandPackageInfo::GetInfo"
  std::wstring text;      // the message, without the line end
};

// Points the log at <temp>\<name>.log (emptied first). Call once per process,
// before the code under test logs.
void StartLogFile(const std::wstring& name);

// The lines written since the last call (or since StartLogFile).
std::vector<LogMessage> TakeLogMessages();

// Only the texts of one function's lines.
std::vector<std::wstring> TextsOf(const std::vector<LogMessage>& messages,
                                  const std::wstring& function);

}  // namespace lite_installer
