// Test tool for the installer log under Wine: writes lines to a log path that
// the test chooses, or holds what the log needs (its named mutex, the file) so
// that the test can see how a writer behaves when it cannot have them.
//   log_writer write <log path> <tag> <count>    count INFO lines "<tag> <i>"
//   log_writer error <log path> <code>           one ERROR line with that last error
//   log_writer missing-file <log path> <file>    one ERROR line after opening a missing file
//   log_writer formatted <log path> <code>       one formatted ERROR line with that last error
//   log_writer hold-mutex <ready file> <ms>      owns the log mutex for ms
//   log_writer abandon-mutex                     takes the log mutex and exits owning it
//   log_writer hold-file <file> <ready file> <ms> keeps the file open without delete sharing
// The ready file is created once the thing is held. Exit code 0 on success.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "installer/log.h"
#include "platform/scoped_handle.h"

namespace {

// The log's mutex, by the name every writer of the session shares.
constexpr wchar_t kLogMutexName[] = L"3E40F524-16FA-440A-B919-B44AB355B174";
constexpr wchar_t kFunction[] = L"LogWriter::Main";

uint32_t ParseNumber(const wchar_t* text) {
  return static_cast<uint32_t>(std::wcstoul(text, nullptr, 0));
}

void SignalReady(const wchar_t* ready_file) {
  lite_installer::ScopedFile file(::CreateFileW(ready_file, GENERIC_WRITE, 0, nullptr,
                                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

int HoldMutex(const wchar_t* ready_file, DWORD ms) {
  lite_installer::ScopedHandle mutex(::CreateMutexW(nullptr, FALSE, kLogMutexName));
  if (!mutex.IsValid() || ::WaitForSingleObject(mutex.Get(), 5000) != WAIT_OBJECT_0) return 2;
  SignalReady(ready_file);
  ::Sleep(ms);
  ::ReleaseMutex(mutex.Get());
  return 0;
}

// Ends the process while owning the mutex: the next waiter gets it abandoned.
int AbandonMutex() {
  HANDLE mutex = ::CreateMutexW(nullptr, FALSE, kLogMutexName);
  if (!mutex || ::WaitForSingleObject(mutex, 5000) != WAIT_OBJECT_0) return 2;
  ::ExitProcess(0);
}

int HoldFile(const wchar_t* path, const wchar_t* ready_file, DWORD ms) {
  lite_installer::ScopedFile file(::CreateFileW(path, GENERIC_READ,
                                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.IsValid()) return 2;
  SignalReady(ready_file);
  ::Sleep(ms);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  using namespace lite_installer;
  if (argc < 2) return 1;
  std::wstring mode = argv[1];
  if (mode == L"hold-mutex" && argc == 4) return HoldMutex(argv[2], ParseNumber(argv[3]));
  if (mode == L"hold-file" && argc == 5) return HoldFile(argv[2], argv[3], ParseNumber(argv[4]));
  if (mode == L"abandon-mutex") return AbandonMutex();
  if (argc < 4) return 1;
  SetLogPath(argv[2]);
  if (mode == L"write") {
    uint32_t count = ParseNumber(argv[4]);
    for (uint32_t i = 0; i < count; ++i) LI_LOG(kLogInfo, kFunction, argv[3], L" ", i);
    return 0;
  }
  if (mode == L"error") {
    uint32_t code = ParseNumber(argv[3]);
    ::SetLastError(code);
    LI_LOG(kLogError, kFunction, L"after ", argv[3]);
    return 0;
  }
  if (mode == L"formatted") {
    uint32_t code = ParseNumber(argv[3]);
    ::SetLastError(code);
    WriteLogFormatted(kLogError, kFunction, 7, L"formatted %u", code);
    return 0;
  }
  if (mode == L"missing-file") {
    ScopedFile file(::CreateFileW(argv[3], GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.IsValid()) return 3;
    LI_LOG(kLogError, kFunction, L"Cannot open ", argv[3]);
    return 0;
  }
  return 1;
}
