// Loads a downloaded file as a data image and copies resources out of it.
//
// A plain LoadLibraryW would run a DLL's entry point and resolve an EXE's
// imports (from the file's own folder, which is also made current here) before
// anything about the file has been verified; the download comes over plain
// HTTP. LOAD_LIBRARY_AS_DATAFILE maps the file without either, and
// LOAD_LIBRARY_AS_IMAGE_RESOURCE maps it with its sections laid out as an image.
// Windows XP and Server 2003 do not know the second flag and refuse the
// combination with ERROR_INVALID_PARAMETER; only then is the data file alone
// tried. Wine 8 accepts the combination (measured by the module tests).
#include "verify/module_resources.h"

#include "platform/path_util.h"

namespace lite_installer {
namespace {

constexpr DWORD kDataImageFlags = LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE;
constexpr DWORD kDataFileFlags = LOAD_LIBRARY_AS_DATAFILE;

// The saved current directory comes without trailing separators, so a drive
// root reads "C:". Made current again in that form it names drive C's current
// directory, which by then is the module's folder (measured under Wine 8.0),
// and the root would never come back; its separator is put back first.
std::wstring DirectoryToRestore(const std::wstring& saved) {
  if (saved.size() == 2 && saved[1] == L':') return saved + L'\\';
  return saved;
}

}  // namespace

HMODULE LoadAsDataImage(const std::wstring& path, LoadLibraryExFunction load) {
  HMODULE module = load(path.c_str(), nullptr, kDataImageFlags);
  if (!module && ::GetLastError() == ERROR_INVALID_PARAMETER)
    module = load(path.c_str(), nullptr, kDataFileFlags);
  return module;
}

HMODULE LoadModuleLibrary(const std::wstring& path, DWORD* error) {
  return LoadModuleLibraryWith(path, error, &::LoadLibraryExW);
}

HMODULE LoadModuleLibraryWith(const std::wstring& path, DWORD* error, LoadLibraryExFunction load) {
  const std::wstring file(path.c_str());  // up to the first NUL
  std::wstring saved_directory;
  bool changed_directory = false;
  if (GetCurrentDirectoryPath(&saved_directory)) {
    changed_directory = ::SetCurrentDirectoryW(GetDirectoryPart(file).c_str()) != FALSE;
  }
  HMODULE module = LoadAsDataImage(file, load);
  const DWORD load_error = module ? ERROR_SUCCESS : ::GetLastError();
  if (!module && error) *error = load_error;
  if (changed_directory) ::SetCurrentDirectoryW(DirectoryToRestore(saved_directory).c_str());
  // The caller's failure log reports the load's error, not the restore's.
  ::SetLastError(load_error);
  return module;
}

std::vector<uint8_t> ReadResourceBytes(HMODULE module, const wchar_t* type, const wchar_t* name) {
  HRSRC resource = ::FindResourceW(module, name, type);
  if (!resource) return {};
  DWORD size = ::SizeofResource(module, resource);
  if (size == 0) return {};
  HGLOBAL loaded = ::LoadResource(module, resource);
  if (!loaded) return {};
  const uint8_t* bytes = static_cast<const uint8_t*>(::LockResource(loaded));
  if (!bytes) return {};
  return std::vector<uint8_t>(bytes, bytes + size);
}

}  // namespace lite_installer
