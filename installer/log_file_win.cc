// Windows side of the log: one named mutex for all writers of the session,
// the file opened, rotated and closed for every line, nothing held between
// lines so the file can be read at any time and survives a crash.
#include <windows.h>

#include "installer/log.h"
#include "installer/log_file.h"
#include "platform/scoped_handle.h"

namespace lite_installer {
namespace {

constexpr wchar_t kLogMutexName[] = L"3E40F524-16FA-440A-B919-B44AB355B174";
constexpr DWORD kMutexWaitMs = 1000;
constexpr DWORD kRotateSize = 0x100000;  // 1 MiB
constexpr wchar_t kOldSuffix[] = L".old";

HANDLE OpenOrCreateLogMutex() {
  HANDLE mutex = ::OpenMutexW(SYNCHRONIZE, FALSE, kLogMutexName);
  if (!mutex) mutex = ::CreateMutexW(nullptr, FALSE, kLogMutexName);
  if (!mutex) mutex = ::OpenMutexW(SYNCHRONIZE, FALSE, kLogMutexName);
  return mutex;
}

// Opened during static initialisation, before wWinMain; never closed.
const HANDLE g_log_mutex = OpenOrCreateLogMutex();

HANDLE OpenLogFile(const std::wstring& path) {
  return ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

void WriteUnderMutex(const std::wstring& path, const std::wstring& line) {
  // One rotation at most per line: if the rename fails, the line is appended
  // to the full file instead of looping.
  bool rotated = false;
  for (;;) {
    ScopedFile file(OpenLogFile(path));
    if (!file.IsValid()) return;
    DWORD size = ::SetFilePointer(file.Get(), 0, nullptr, FILE_END);
    if (size == INVALID_SET_FILE_POINTER && ::GetLastError() != NO_ERROR) return;
    if (size >= kRotateSize && !rotated) {
      file.Reset();
      std::wstring old_path = path + kOldSuffix;
      ::DeleteFileW(old_path.c_str());
      ::MoveFileW(path.c_str(), old_path.c_str());
      rotated = true;
      continue;
    }
    std::wstring text;
    if (size == 0) text.push_back(L'\xFEFF');
    text += line;
    // One write, and a line that did not go in whole (a full disk, a quota)
    // is cut off again: a torn line would run into the next writer's line.
    const DWORD bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    DWORD written = 0;
    if (!::WriteFile(file.Get(), text.data(), bytes, &written, nullptr) || written != bytes) {
      if (::SetFilePointer(file.Get(), static_cast<LONG>(size), nullptr, FILE_BEGIN) == size)
        ::SetEndOfFile(file.Get());
    }
    return;
  }
}

std::wstring FormatFrom(DWORD flags, HMODULE module, uint32_t code) {
  wchar_t buffer[1024];
  // With no arguments to give, inserts must stay as they are: without
  // FORMAT_MESSAGE_IGNORE_INSERTS a message such as that of error 193
  // ("%1 is not a valid Win32 application", which a damaged setup gives)
  // fails with error 87 (measured under Wine 8) and would be logged as
  // "unknown error 0xc1"; some Windows versions read through the null
  // argument list instead.
  flags |= FORMAT_MESSAGE_IGNORE_INSERTS;
  DWORD n = ::FormatMessageW(flags, module, code, 1033, buffer, 1024, nullptr);
  return std::wstring(buffer, n);
}

}  // namespace

void AppendLogLine(const std::wstring& path, const std::wstring& line) {
  if (!g_log_mutex) return;
  DWORD wait = ::WaitForSingleObject(g_log_mutex, kMutexWaitMs);
  if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) return;
  WriteUnderMutex(path, line);
  ::ReleaseMutex(g_log_mutex);
}

uint32_t CurrentThreadIdForLog() { return ::GetCurrentThreadId(); }

int64_t CurrentUtcSecondsForLog() {
  // From the system's file time rather than time(): the mingw runtime's
  // time_t is 32 bits wide.
  FILETIME now;
  ::GetSystemTimeAsFileTime(&now);
  const int64_t ticks = static_cast<int64_t>((static_cast<uint64_t>(now.dwHighDateTime) << 32) |
                                             now.dwLowDateTime);
  constexpr int64_t kTicksPerSecond = 10000000;
  constexpr int64_t kSeconds1601To1970 = 11644473600;
  return ticks / kTicksPerSecond - kSeconds1601To1970;
}
uint32_t LastErrorForLog() { return ::GetLastError(); }
void RestoreLastErrorForLog(uint32_t code) { ::SetLastError(code); }

std::wstring ErrorText(uint32_t code) {
  std::wstring text = FormatFrom(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code);
  // Only modules that are already loaded are asked; none is loaded for this.
  const wchar_t* const kFallbacks[] = {L"wininet.dll", L"urlmon.dll"};
  for (const wchar_t* name : kFallbacks) {
    if (!text.empty()) break;
    if (HMODULE module = ::GetModuleHandleW(name))
      text = FormatFrom(FORMAT_MESSAGE_FROM_HMODULE, module, code);
  }
  return text.empty() ? UnknownErrorText(code) : text;
}

}  // namespace lite_installer
