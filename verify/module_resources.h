// Reading resources out of a downloaded, not yet verified file. The file is
// neither loaded nor mapped: no entry point runs, no import is resolved, and
// only the headers, the resource directory and the resources asked for are
// read (pe_resources.h), so a setup of any size costs a few kilobytes of
// memory. Windows only.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/scoped_handle.h"
#include "verify/pe_resources.h"

namespace lite_installer {

// ReadFile at an offset of a file handle that the caller owns.
class FileImageSource : public ImageSource {
 public:
  explicit FileImageSource(HANDLE file) : file_(file) {}
  size_t ReadAt(uint64_t offset, void* buffer, size_t length) override;

 private:
  HANDLE file_;
};

// A file opened for reading its resources: read access, sharing reading only,
// so that it also opens while the install flow holds the verified file.
class ModuleResources {
 public:
  // `path` is taken up to its first NUL.
  explicit ModuleResources(const std::wstring& path);
  ModuleResources(const ModuleResources&) = delete;
  ModuleResources& operator=(const ModuleResources&) = delete;

  // False when the file cannot be opened or is no image; error() then holds
  // the system error (ERROR_BAD_EXE_FORMAT for a file that is not an image).
  bool IsValid() const { return reader_.IsImage(); }
  DWORD error() const { return error_; }

  // A copy of the resource's bytes in the language the system would choose;
  // empty when it is missing, empty, larger than `max_size` or unreadable.
  // When nothing was found the thread's last error is what FindResourceW
  // leaves (ERROR_RESOURCE_TYPE_NOT_FOUND and its kin).
  std::vector<uint8_t> Read(const char* type, const char* name, size_t max_size) const;

 private:
  DWORD error_ = ERROR_SUCCESS;  // before file_: its opening sets it
  ScopedFile file_;
  FileImageSource source_;
  PeResourceReader reader_;
};

}  // namespace lite_installer
