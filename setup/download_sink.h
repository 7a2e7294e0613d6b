// Where a download goes. The sink's total is the resume offset: the bytes an
// earlier attempt already delivered.
#pragma once

#include <cstdint>
#include <string>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace lite_installer {

class DownloadSink {
 public:
  virtual bool Write(const void* bytes, uint32_t count);  // adds to the total only
  virtual void Reset();                                    // total back to 0
  virtual ~DownloadSink() = default;
  uint32_t total() const { return total_; }

 protected:
  uint32_t total_ = 0;
};

// Appends to a string; always succeeds.
class MemoryDownloadSink : public DownloadSink {
 public:
  bool Write(const void* bytes, uint32_t count) override;
  void Reset() override;
  const std::string& data() const { return data_; }

 private:
  std::string data_;
};

#if defined(_WIN32)
// Writes to a file the creator owns and closes; Reset empties the file.
class FileDownloadSink : public DownloadSink {
 public:
  explicit FileDownloadSink(HANDLE file) : file_(file) {}
  bool Write(const void* bytes, uint32_t count) override;
  void Reset() override;

 private:
  HANDLE file_;
};
#endif

}  // namespace lite_installer
