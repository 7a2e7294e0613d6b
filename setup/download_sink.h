// Where a download goes. The sink's total is the resume offset: the bytes an
// earlier attempt already delivered; its origin tells a later attempt which
// file those bytes belong to, so that only the rest of the same file is
// appended.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace lite_installer {

class DownloadSink {
 public:
  virtual bool Write(const void* bytes, uint32_t count);  // adds to the total only
  virtual void Reset();  // total back to 0, origin forgotten; a derived Reset calls it
  // The bytes that may still be written: the free space of the file's
  // volume. False when unknown (memory, or the system cannot tell).
  virtual bool FreeSpace(uint64_t* bytes) const { return false; }
  virtual ~DownloadSink() = default;
  uint32_t total() const { return total_; }

  // The answer that began the data: its validator (ETag, else Last-Modified;
  // empty when it gave neither) and the size it announced (0: unknown).
  // Reset forgets both.
  void SetOrigin(const std::wstring& validator, uint32_t complete_length) {
    origin_validator_ = validator;
    origin_length_ = complete_length;
  }
  const std::wstring& origin_validator() const { return origin_validator_; }
  uint32_t origin_length() const { return origin_length_; }

 protected:
  uint32_t total_ = 0;

 private:
  std::wstring origin_validator_;
  uint32_t origin_length_ = 0;
};

// Appends to a string; always succeeds. With `keep_at_most` it keeps only
// that many first bytes and counts the rest: an answer whose body never ends
// then costs a counter, not memory.
class MemoryDownloadSink : public DownloadSink {
 public:
  explicit MemoryDownloadSink(uint32_t keep_at_most = UINT32_MAX) : keep_at_most_(keep_at_most) {}
  bool Write(const void* bytes, uint32_t count) override;
  void Reset() override;
  const std::string& data() const { return data_; }

 private:
  uint32_t keep_at_most_;
  std::string data_;
};

#if defined(_WIN32)
// Writes to a file the creator owns and closes; Reset empties the file.
// Its free space is that of the folder of `path` (none known without one).
class FileDownloadSink : public DownloadSink {
 public:
  explicit FileDownloadSink(HANDLE file, std::wstring path = std::wstring())
      : file_(file), path_(std::move(path)) {}
  bool Write(const void* bytes, uint32_t count) override;
  void Reset() override;
  bool FreeSpace(uint64_t* bytes) const override;

 private:
  HANDLE file_;
  std::wstring path_;
};
#endif

}  // namespace lite_installer
