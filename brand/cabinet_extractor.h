// Unpacks a cabinet archive that lies in memory, without touching the disk.
// ExtractFiles binds the system's cabinet library (Windows); the bookkeeping
// behind its callbacks - reading the package through bounds-checked cursors
// and collecting the wanted files under a size limit - is CabinetExtractor,
// which is portable so that its bounds are tested on the host.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace lite_installer {

using ExtractedFiles = std::map<std::string, std::string>;

// Extracts the file named `wanted` (every file when empty) into `out`.
// Returns true when the cabinet library processed the whole cabinet; false
// when the library is missing, the package is not a single-volume cabinet, a
// read or seek would leave the package or a file is larger than
// CabinetExtractor::kMaxExtractedBytes (files completed before the failure are
// still delivered). The host build has no cabinet library and always returns
// false.
bool ExtractFiles(const void* data, size_t size, const std::string& wanted, ExtractedFiles* out);

class CabinetExtractor {
 public:
  // Configuration files are a few kilobytes; a package that claims (or
  // inflates to) more than this in total is refused rather than allowed to
  // exhaust the installer's memory.
  static constexpr size_t kMaxExtractedBytes = 16u << 20;
  // The declared size of a file is only a hint for the buffer.
  static constexpr size_t kMaxReserveBytes = 64u << 10;

  struct ReadCursor {
    uint32_t position = 0;
  };

  enum class FileDecision { kSkip, kExtract, kRefuse };

  // Packages larger than 2 GiB cannot be addressed by the library's 32-bit
  // positions: usable() is false for them.
  CabinetExtractor(const void* data, size_t size, std::string wanted);
  CabinetExtractor(const CabinetExtractor&) = delete;
  CabinetExtractor& operator=(const CabinetExtractor&) = delete;

  bool usable() const;

  // A new cursor at position 0, owned by the extractor until closed.
  ReadCursor* OpenCursor();
  // False when the cursor is not one of this extractor's open cursors.
  bool CloseCursor(ReadCursor* cursor);
  bool OwnsCursor(const ReadCursor* cursor) const;

  // Copies at most `count` bytes from the cursor's position and advances it.
  size_t Read(ReadCursor* cursor, void* buffer, size_t count) const;
  // origin 0: from the start, 1: from the position, 2: from the end. A target
  // before the start or beyond the end gives -1 and leaves the position.
  long Seek(ReadCursor* cursor, long offset, int origin) const;

  // A file of the cabinet is about to be written.
  FileDecision BeginFile(const std::string& name, uint32_t declared_size);
  // False (and nothing kept) when the output would pass kMaxExtractedBytes.
  bool Append(const void* bytes, size_t count);
  // The library is done with the current file: it replaces any earlier one
  // of that name, but only when all its declared bytes arrived. (Wine's
  // cabinet library reports a file of a damaged cabinet as done with nothing
  // written; such a file is dropped rather than passed on as empty.)
  void EndFile(const std::string& name);

  ExtractedFiles TakeFiles() { return std::move(files_); }

 private:
  const unsigned char* data_;
  size_t size_;
  std::string wanted_;
  std::vector<std::unique_ptr<ReadCursor>> cursors_;
  std::string content_;
  uint32_t declared_size_ = 0;
  size_t extracted_bytes_ = 0;  // of completed files
  ExtractedFiles files_;
};

}  // namespace lite_installer
