// The installer log: "lite_installer.log" in the temporary directory, UTF-16LE
// with a byte-order mark, rotated to ".old" at 1 MiB, shared by every thread
// and process under one named mutex. Logging never fails visibly and never
// blocks a thread for more than a second per line.
#pragma once

#include <cstdint>
#include <string>

#include "installer/log_line.h"
#include "installer/log_text.h"

namespace lite_installer {

// Sets the log file path; only the first call of the process takes effect.
void SetLogPath(const std::wstring& path);

// Writes one line. ERROR lines carry the text of the thread's last error,
// read before anything here can change it.
void WriteLog(int level, const wchar_t* function, int line, const std::wstring& message);

// As WriteLog, with a printf-style message of at most 1500 units.
void WriteLogFormatted(int level, const wchar_t* function, int line, const wchar_t* format, ...);

// Text of a Windows error code: the system's, else loaded wininet.dll's or
// urlmon.dll's, else "unknown error 0x<hex>\n".
std::wstring ErrorText(uint32_t code);

}  // namespace lite_installer

namespace lite_installer {

// Captures the thread's last error when constructed, so that building the
// message pieces cannot change what an ERROR line reports.
class LogStatement {
 public:
  LogStatement(int level, const wchar_t* function, int line);
  void Write(const std::wstring& message) const;

 private:
  int level_;
  const wchar_t* function_;
  int line_;
  uint32_t last_error_;
};

}  // namespace lite_installer

// LI_LOG(kLogInfo, L"Installer::Run", "pieces ", 42, ...). The statement
// object is built before the pieces are evaluated (C++17 sequencing).
#define LI_LOG(level, function, ...)                              \
  ::lite_installer::LogStatement((level), (function), __LINE__) \
      .Write(::lite_installer::LogText(__VA_ARGS__))
