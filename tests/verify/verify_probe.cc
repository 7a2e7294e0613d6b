// Test tool: runs module verification on a file under Wine and prints what it
// returned; the log goes to the file given, so the test reads its exact lines.
//   verify_probe.exe verify <log> <path>     VerifyDownloadedModule → "result=0|1"
//   verify_probe.exe json <log> <path>       GetTrustJsonFromModule → "json=<hex> released=0|1"
//   verify_probe.exe load <path>             ModuleResources → "module=0|1 error=N cwd_kept=0|1 resource_bytes=N"
//   verify_probe.exe load-library <path>     plain LoadLibraryW, the unsafe way (control)
//   verify_probe.exe load-flags <path>       what LoadLibraryExW does with each data flag
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "installer/log.h"
#include "tests/support/current_directory.h"
#include "verify/module_resources.h"
#include "verify/tavrix_trust_verifier.h"
#include "verify/verify_downloaded_module.h"

using namespace lite_installer;

namespace {

int Verify(const wchar_t* log, const wchar_t* path) {
  SetLogPath(log);
  std::printf("result=%d\n", VerifyDownloadedModule(path) ? 1 : 0);
  return 0;
}

// Whether nothing maps the file any more: a mapped image refuses a writer that
// shares nothing (measured under Wine 8.0: error 32 while mapped, success once
// FreeLibrary has run).
bool Released(const wchar_t* path) {
  HANDLE file = ::CreateFileW(path, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  ::CloseHandle(file);
  return true;
}

int Json(const wchar_t* log, const wchar_t* path) {
  SetLogPath(log);
  std::string json = TavrixTrustVerifier::GetTrustJsonFromModule(path);
  std::printf("json=");
  for (unsigned char c : json) std::printf("%02x", c);
  std::printf(" released=%d\n", Released(path) ? 1 : 0);
  return 0;
}

int Load(const wchar_t* path) {
  std::wstring before, after;
  GetCurrentDirectoryPath(&before);
  std::vector<uint8_t> json;
  DWORD error = 0;
  bool valid = false;
  {
    const ModuleResources module(path);
    valid = module.IsValid();
    error = module.error();
    if (valid) json = module.Read("TRUSTED_JSON", "TRUSTED.JSON", 1 << 20);
  }
  GetCurrentDirectoryPath(&after);
  std::printf("module=%d error=%lu cwd_kept=%d resource_bytes=%u\n", valid ? 1 : 0, error,
              before == after ? 1 : 0, static_cast<unsigned>(json.size()));
  return 0;
}

int LoadLibraryControl(const wchar_t* path) {
  HMODULE module = ::LoadLibraryW(path);
  std::printf("module=%d error=%lu\n", module ? 1 : 0, module ? 0 : ::GetLastError());
  if (module) ::FreeLibrary(module);
  return 0;
}

int LoadFlags(const wchar_t* path) {
  const DWORD kFlags[] = {LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE,
                          LOAD_LIBRARY_AS_IMAGE_RESOURCE, LOAD_LIBRARY_AS_DATAFILE};
  for (DWORD flags : kFlags) {
    ::SetLastError(0);
    HMODULE module = ::LoadLibraryExW(path, nullptr, flags);
    DWORD error = module ? 0 : ::GetLastError();
    bool found = module && ::FindResourceW(module, L"TRUSTED.JSON", L"TRUSTED_JSON");
    std::printf("flags=0x%lx module=%d error=%lu resource=%d\n", flags, module ? 1 : 0, error,
                found ? 1 : 0);
    if (module) ::FreeLibrary(module);
  }
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::wstring mode = argc > 1 ? argv[1] : L"";
  if (mode == L"verify" && argc == 4) return Verify(argv[2], argv[3]);
  if (mode == L"json" && argc == 4) return Json(argv[2], argv[3]);
  if (mode == L"load" && argc == 3) return Load(argv[2]);
  if (mode == L"load-library" && argc == 3) return LoadLibraryControl(argv[2]);
  if (mode == L"load-flags" && argc == 3) return LoadFlags(argv[2]);
  std::fprintf(stderr, "usage: verify_probe.exe verify|json <log> <path> | load|load-library|load-flags <path>\n");
  return 2;
}
