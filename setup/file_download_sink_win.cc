// The sink of the setup download: a file whose handle the install flow owns.
// Emptying it on Reset lets a refused or hopeless resume start from byte 0.
#include "setup/download_sink.h"

#include "platform/path_util.h"

namespace lite_installer {

bool FileDownloadSink::Write(const void* bytes, uint32_t count) {
  DWORD written = 0;
  BOOL ok = ::WriteFile(file_, bytes, count, &written, nullptr);
  // A short write (disk full) still moved the file pointer: counting those
  // bytes keeps the total equal to the file's length, so a later resume
  // continues where the file ends instead of leaving a hole of stale bytes.
  total_ += written;
  return ok && written == count;
}

void FileDownloadSink::Reset() {
  ::SetFilePointer(file_, 0, nullptr, FILE_BEGIN);
  ::SetEndOfFile(file_);
  DownloadSink::Reset();
}

bool FileDownloadSink::FreeSpace(uint64_t* bytes) const {
  if (path_.empty()) return false;
  // The space this user may fill (quotas included), on the volume of the
  // file's folder wherever that is.
  ULARGE_INTEGER available = {};
  if (!::GetDiskFreeSpaceExW(GetDirectoryPart(path_).c_str(), &available, nullptr, nullptr))
    return false;
  *bytes = available.QuadPart;
  return true;
}

}  // namespace lite_installer
