// Test tool: stands in for the web browser of the test prefix. Registered as
// the prefix's handler of http addresses, it appends the address it was
// asked to open (its first argument) as one UTF-8 line to the file named by
// the environment variable LI_URL_RECORD, so that nothing real is opened.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

int wmain(int argc, wchar_t** argv) {
  wchar_t path[MAX_PATH];
  const DWORD n = ::GetEnvironmentVariableW(L"LI_URL_RECORD", path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return 1;
  const std::wstring address = argc > 1 ? argv[1] : L"";
  char line[4096];
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, address.c_str(), -1, line, sizeof(line) - 2,
                                         nullptr, nullptr);
  if (size <= 0) return 1;
  FILE* file = _wfopen(path, L"ab");
  if (!file) return 1;
  std::fprintf(file, "%s\n", line);
  std::fclose(file);
  return 0;
}
