// Reading resources out of a PE image without loading, mapping or copying it:
// only the headers, the section table, the resource directory entries on the
// way and the resource's own bytes are read, through a file-read seam (the
// open file on Windows, memory in tests and fuzzing). Portable: no Windows
// header.
//
// The lookup is the one the system loader does for a data-image load (as
// measured under Wine 8, tests/verify/module_resources_test.cc compares the
// two on crafted and real images): a string type or name is upcased and found
// by a binary search of the directory's named entries, compared code unit by
// code unit, so an entry stored in lower case or out of order is not found;
// "#123" stands for the id 123. The language is the first of the candidates
// (ResourceLanguageOrder) present as a data entry, else the directory's first
// data entry.
//
// Bounded whatever the file holds: three directory levels, a binary search
// per level (17 probes at most), names compared over at most the query's
// length, at most 256 entries scanned for a first entry, and a resource is
// read only when it lies inside its section and is no larger than the
// caller's limit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace lite_installer {

// The seam: the bytes of a file at an offset.
class ImageSource {
 public:
  virtual ~ImageSource() = default;
  // Copies up to `length` bytes at `offset` into `buffer` and returns how
  // many it copied: fewer only at the end of the file or on a read failure.
  virtual size_t ReadAt(uint64_t offset, void* buffer, size_t length) = 0;
};

// A file held in memory.
class MemoryImageSource : public ImageSource {
 public:
  MemoryImageSource(const void* data, size_t size)
      : data_(static_cast<const uint8_t*>(data)), size_(data ? size : 0) {}
  size_t ReadAt(uint64_t offset, void* buffer, size_t length) override;

 private:
  const uint8_t* data_;
  size_t size_;
};

enum class ResourceStatus {
  kFound,
  kNoImage,            // not a PE image (no reader verdict can be trusted)
  kNoResources,        // the image has no resource directory
  kTypeNotFound,
  kNameNotFound,
  kLanguageNotFound,
  kEmpty,              // found, of size 0
  kTooLarge,           // found, larger than the caller's limit
  kOutsideImage,       // found, but its bytes lie outside every section
};

struct ResourceBytes {
  ResourceStatus status = ResourceStatus::kNoImage;
  std::vector<uint8_t> bytes;  // only for kFound
};

// The languages tried in turn, as the system loader tries them for a lookup
// without a language: neutral, the thread's, the user's, the user's primary
// language, the system's, the system's primary language, English (United
// States). Duplicates are harmless.
constexpr size_t kResourceLanguageCount = 7;
void ResourceLanguageOrder(uint16_t thread_language, uint16_t user_language,
                           uint16_t system_language, uint16_t out[kResourceLanguageCount]);

class PeResourceReader {
 public:
  // Reads the headers and the section table of the image in `source`, which
  // must outlive the reader.
  explicit PeResourceReader(ImageSource* source);

  // Whether the file is a PE image whose sections all begin inside it: a
  // text file or a download cut before its last section is not.
  bool IsImage() const { return is_image_; }

  // The resource of string (or "#id") `type` and `name`, in the first of
  // `languages` it exists in, else in the first language it has.
  ResourceBytes Read(const char* type, const char* name, const uint16_t* languages,
                     size_t language_count, size_t max_size) const;

  static constexpr uint32_t kMaxSections = 96;

 private:
  struct Section {
    uint32_t rva;
    uint32_t span;       // bytes mapped at rva
    uint32_t raw_size;   // of which come from the file (the rest reads as zero)
    uint32_t raw_offset;
  };
  struct Entry {
    uint32_t name;       // id, or offset of the name when `named`
    uint32_t target;     // offset of the subdirectory or data entry
    bool named;
    bool directory;
  };

  bool ReadImage(uint64_t rva, void* buffer, size_t length) const;
  bool ReadEntry(uint32_t directory, uint32_t index, Entry* entry) const;
  // The entry of `key` in the directory at `directory` (an offset from the
  // resource directory), when it exists and is (not) a directory itself.
  bool Find(uint32_t directory, const char* key, bool want_directory, uint32_t* target) const;
  bool FindId(uint32_t directory, uint32_t id, bool want_directory, uint32_t* target) const;
  bool FindName(uint32_t directory, const char* name, bool want_directory,
                uint32_t* target) const;
  bool FindFirstData(uint32_t directory, uint32_t* target) const;
  int CompareName(const char* name, uint32_t name_offset, bool* readable,
                  bool* same_length) const;

  ImageSource* source_;
  bool is_image_ = false;
  uint32_t headers_size_ = 0;
  uint32_t resource_rva_ = 0;  // 0: no resource directory
  std::vector<Section> sections_;
};

}  // namespace lite_installer
