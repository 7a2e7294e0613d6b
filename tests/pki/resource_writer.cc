// Test tool: puts resources with string type and name into an existing
// Windows image, as a publisher's build would, so that the tests can give any
// image the trusted-info resources.
//   pki_resource_writer.exe <image> <type> <name> <file|-> [<type> <name> <file|-> ...]
// "-" removes the resource. Prints "ok" or the failing step and its error.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <vector>

#include "tests/pki/whole_file.h"

int wmain(int argc, wchar_t** argv) {
  if (argc < 5 || (argc - 2) % 3 != 0) {
    std::fwprintf(stderr, L"usage: %ls <image> <type> <name> <file|-> ...\n", argv[0]);
    return 2;
  }
  HANDLE update = ::BeginUpdateResourceW(argv[1], FALSE);
  if (!update) {
    std::wprintf(L"BeginUpdateResourceW error=%lu\n", ::GetLastError());
    return 1;
  }
  const WORD language = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL);
  for (int i = 2; i + 2 < argc; i += 3) {
    std::vector<BYTE> data;
    bool remove = wcscmp(argv[i + 2], L"-") == 0;
    if (!remove && !ReadWholeFile(argv[i + 2], &data)) {
      std::wprintf(L"read %ls error=%lu\n", argv[i + 2], ::GetLastError());
      ::EndUpdateResourceW(update, TRUE);
      return 1;
    }
    if (!::UpdateResourceW(update, argv[i], argv[i + 1], language,
                           remove ? nullptr : data.data(), static_cast<DWORD>(data.size()))) {
      std::wprintf(L"UpdateResourceW %ls error=%lu\n", argv[i], ::GetLastError());
      ::EndUpdateResourceW(update, TRUE);
      return 1;
    }
  }
  if (!::EndUpdateResourceW(update, FALSE)) {
    std::wprintf(L"EndUpdateResourceW error=%lu\n", ::GetLastError());
    return 1;
  }
  std::wprintf(L"ok\n");
  return 0;
}
