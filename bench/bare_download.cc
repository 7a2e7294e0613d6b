// Benchmark baseline: the least a program can do to download a URL with
// WinINet, against which bench/bench.py measures the installer's download
// path and its start-up. Same session and request as the downloader, same
// 32 KB reads, WriteFile straight from the buffer, nothing else.
//   bench_bare_download.exe URL FILE    downloads URL into FILE
//   bench_bare_download.exe --open URL  sends the request, then exits
#include <windows.h>
#include <wininet.h>

#include <cstdio>
#include <cwchar>

#include "platform/scoped_handle.h"
#include "setup/downloader.h"

namespace {

constexpr wchar_t kAgent[] = L"lite_installer benchmark baseline";
constexpr wchar_t kAcceptHeader[] = L"Accept: */*";
constexpr wchar_t kOpenOnly[] = L"--open";
constexpr DWORD kFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE;

}  // namespace

int wmain(int argc, wchar_t** argv) {
  using namespace lite_installer;
  if (argc != 3) {
    std::fwprintf(stderr, L"usage: %ls URL FILE | --open URL\n", argv[0]);
    return 2;
  }
  const bool open_only = std::wcscmp(argv[1], kOpenOnly) == 0;
  const wchar_t* url = open_only ? argv[2] : argv[1];
  ScopedInternetHandle internet(
      ::InternetOpenW(kAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  ScopedInternetHandle request(::InternetOpenUrlW(internet.Get(), url, kAcceptHeader,
                                                  static_cast<DWORD>(-1), kFlags, 0));
  if (!request.IsValid()) return 1;
  if (open_only) return 0;
  ScopedFile file(::CreateFileW(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.IsValid()) return 1;
  static char buffer[kDownloadChunkSize];
  unsigned long long total = 0;
  DWORD read = 0;
  while (::InternetReadFile(request.Get(), buffer, sizeof(buffer), &read) && read != 0) {
    DWORD written = 0;
    if (!::WriteFile(file.Get(), buffer, read, &written, nullptr) || written != read) return 1;
    total += read;
  }
  std::printf("bytes=%llu\n", total);
  return 0;
}
