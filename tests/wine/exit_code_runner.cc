// Test tool: runs a command line exactly as written and prints "exit=<code>"
// with the full 32-bit exit code. The command line comes from the environment
// variable LI_RUN_COMMAND_LINE (so no shell or Wine start-up re-quotes it), or
// else from the rest of the runner's own command line.
#include <windows.h>

#include <cstdio>
#include <string>

int wmain() {
  const wchar_t* p = ::GetCommandLineW();
  // Skip our own program name, quoted or not, then the blanks after it.
  if (*p == L'"') {
    ++p;
    while (*p && *p != L'"') ++p;
    if (*p) ++p;
  } else {
    while (*p && *p != L' ' && *p != L'\t') ++p;
  }
  while (*p == L' ' || *p == L'\t') ++p;
  std::wstring command(p);
  wchar_t from_env[32768];
  DWORD n = ::GetEnvironmentVariableW(L"LI_RUN_COMMAND_LINE", from_env, 32768);
  if (n > 0 && n < 32768) {
    command.assign(from_env, n);
    ::SetEnvironmentVariableW(L"LI_RUN_COMMAND_LINE", nullptr);  // not for the child
  }
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!::CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
    std::printf("create_failed=%lu\n", ::GetLastError());
    return 255;
  }
  ::WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  ::GetExitCodeProcess(process.hProcess, &code);
  std::printf("exit=%ld\n", static_cast<long>(code));
  std::fflush(stdout);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return 0;
}
