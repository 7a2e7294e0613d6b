// The sinks that need no platform: the counting base and the in-memory sink
// used by the reports. Portable.
#include "setup/download_sink.h"

namespace lite_installer {

bool DownloadSink::Write(const void* bytes, uint32_t count) {
  total_ += count;
  return true;
}

void DownloadSink::Reset() {
  total_ = 0;
  origin_validator_.clear();
  origin_length_ = 0;
}

bool MemoryDownloadSink::Write(const void* bytes, uint32_t count) {
  if (count == 0) return true;
  if (data_.size() < keep_at_most_) {
    const size_t room = keep_at_most_ - data_.size();
    data_.append(static_cast<const char*>(bytes), count < room ? count : room);
  }
  total_ += count;
  return true;
}

void MemoryDownloadSink::Reset() {
  data_.clear();
  DownloadSink::Reset();
}

}  // namespace lite_installer
