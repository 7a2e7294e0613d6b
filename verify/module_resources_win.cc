// Resources of a file on disk through the bounded reader, with the errors a
// data-image load and FindResourceW would leave.
//
// The file used to be loaded with LoadLibraryExW(LOAD_LIBRARY_AS_DATAFILE |
// LOAD_LIBRARY_AS_IMAGE_RESOURCE). Wine copies the whole image into memory for
// that (a 200 MB setup took the process to about 225 MiB; a 1 GB one failed
// with "not enough memory"), and a resource entry pointing past the image
// made the copy-out read unmapped memory and end the process (measured under
// Wine 8: page fault in the caller). Reading the few structures directly
// avoids both. The folder of the file no longer needs to be current around
// the lookup: nothing is loaded, so nothing is searched for.
#include "verify/module_resources.h"

namespace lite_installer {
namespace {

// The thread's last error for a lookup that found nothing, as FindResourceW
// sets it; 0 where the old path left it alone (an empty resource).
DWORD LookupError(ResourceStatus status) {
  switch (status) {
    case ResourceStatus::kNoResources:
      return ERROR_RESOURCE_DATA_NOT_FOUND;
    case ResourceStatus::kTypeNotFound:
      return ERROR_RESOURCE_TYPE_NOT_FOUND;
    case ResourceStatus::kNameNotFound:
      return ERROR_RESOURCE_NAME_NOT_FOUND;
    case ResourceStatus::kLanguageNotFound:
      return ERROR_RESOURCE_LANG_NOT_FOUND;
    case ResourceStatus::kTooLarge:
      return ERROR_FILE_TOO_LARGE;
    case ResourceStatus::kNoImage:
    case ResourceStatus::kOutsideImage:
      return ERROR_BAD_EXE_FORMAT;
    case ResourceStatus::kFound:
    case ResourceStatus::kEmpty:
      break;
  }
  return ERROR_SUCCESS;
}

// A missing file or folder is reported as the module loader reported it
// (measured under Wine 8: ERROR_FILE_NOT_FOUND for both).
HANDLE OpenForReading(const std::wstring& path, DWORD* error) {
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  *error = file == INVALID_HANDLE_VALUE ? ::GetLastError() : ERROR_SUCCESS;
  if (*error == ERROR_PATH_NOT_FOUND) *error = ERROR_FILE_NOT_FOUND;
  return file;
}

}  // namespace

size_t FileImageSource::ReadAt(uint64_t offset, void* buffer, size_t length) {
  if (file_ == INVALID_HANDLE_VALUE) return 0;
  LARGE_INTEGER position;
  position.QuadPart = static_cast<LONGLONG>(offset);
  if (offset > static_cast<uint64_t>(INT64_MAX) ||
      !::SetFilePointerEx(file_, position, nullptr, FILE_BEGIN))
    return 0;
  size_t done = 0;
  while (done < length) {
    DWORD read = 0;
    if (!::ReadFile(file_, static_cast<uint8_t*>(buffer) + done,
                    static_cast<DWORD>(length - done), &read, nullptr) ||
        read == 0)
      break;
    done += read;
  }
  return done;
}

ModuleResources::ModuleResources(const std::wstring& path)
    : file_(OpenForReading(std::wstring(path.c_str()), &error_)),
      source_(file_.Get()),
      reader_(&source_) {
  if (file_.IsValid() && !reader_.IsImage()) error_ = ERROR_BAD_EXE_FORMAT;
}

std::vector<uint8_t> ModuleResources::Read(const char* type, const char* name,
                                           size_t max_size) const {
  uint16_t languages[kResourceLanguageCount];
  ResourceLanguageOrder(LANGIDFROMLCID(::GetThreadLocale()), ::GetUserDefaultLangID(),
                        ::GetSystemDefaultLangID(), languages);
  ResourceBytes found = reader_.Read(type, name, languages, kResourceLanguageCount, max_size);
  if (found.status != ResourceStatus::kFound) {
    const DWORD error = LookupError(found.status);
    if (error != ERROR_SUCCESS) ::SetLastError(error);
  }
  return std::move(found.bytes);
}

}  // namespace lite_installer
