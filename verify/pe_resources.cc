// The bounded PE resource reader (see pe_resources.h). Offsets are computed in
// 64 bits, so that no 32-bit value from the file can wrap around a bounds
// check; every byte comes through ReadImage, which serves only what lies in
// the headers or a section as the loader would map them.
#include "verify/pe_resources.h"

#include <cstring>

#include "platform/byte_order.h"

namespace lite_installer {
namespace {

constexpr uint64_t kPeOffsetField = 0x3C;
constexpr size_t kDosHeaderSize = 0x40;
constexpr size_t kFileHeaderSize = 20;
constexpr uint16_t kPe32Magic = 0x10B;
constexpr uint16_t kPe32PlusMagic = 0x20B;
constexpr size_t kMaxOptionalHeader = 240;  // PE32+ with all 16 directories
constexpr uint32_t kMaxDirectories = 16;
constexpr uint32_t kResourceDirectoryIndex = 2;
constexpr size_t kSectionHeaderSize = 40;
constexpr size_t kDirectoryHeaderSize = 16;
constexpr size_t kDirectoryEntrySize = 8;
constexpr size_t kDataEntrySize = 16;
constexpr uint32_t kHighBit = 0x80000000u;
constexpr uint32_t kMaxFirstEntryScan = 256;
constexpr size_t kMaxKeyLength = 64;
constexpr uint16_t kEnglishUnitedStates = 0x0409;
constexpr uint16_t kPrimaryLanguageMask = 0x03FF;

struct OptionalLayout {
  size_t directory_count_at;
  size_t directories_at;
};

uint32_t Le32(const uint8_t* p) { return LoadLe32(p); }
uint16_t Le16(const uint8_t* p) { return LoadLe16(p); }

}  // namespace

size_t MemoryImageSource::ReadAt(uint64_t offset, void* buffer, size_t length) {
  if (offset >= size_) return 0;
  const size_t available = static_cast<size_t>(size_ - offset);
  const size_t n = length < available ? length : available;
  if (n) std::memcpy(buffer, data_ + offset, n);
  return n;
}

void ResourceLanguageOrder(uint16_t thread_language, uint16_t user_language,
                           uint16_t system_language, uint16_t out[kResourceLanguageCount]) {
  out[0] = 0;  // neutral
  out[1] = thread_language;
  out[2] = user_language;
  out[3] = static_cast<uint16_t>(user_language & kPrimaryLanguageMask);
  out[4] = system_language;
  out[5] = static_cast<uint16_t>(system_language & kPrimaryLanguageMask);
  out[6] = kEnglishUnitedStates;
}

PeResourceReader::PeResourceReader(ImageSource* source) : source_(source) {
  uint8_t dos[kDosHeaderSize];
  if (source_->ReadAt(0, dos, sizeof(dos)) != sizeof(dos) || dos[0] != 'M' || dos[1] != 'Z')
    return;
  const uint64_t pe = Le32(dos + kPeOffsetField);
  uint8_t head[4 + kFileHeaderSize];
  if (source_->ReadAt(pe, head, sizeof(head)) != sizeof(head) ||
      std::memcmp(head, "PE\0\0", 4) != 0)
    return;
  const uint32_t section_count = Le16(head + 4 + 2);
  const uint32_t optional_size = Le16(head + 4 + 16);
  if (section_count > kMaxSections) return;

  uint8_t optional[kMaxOptionalHeader] = {};
  const size_t optional_read = optional_size < sizeof(optional) ? optional_size : sizeof(optional);
  if (optional_read < 2 || source_->ReadAt(pe + sizeof(head), optional, optional_read) !=
                               optional_read)
    return;
  const uint16_t magic = Le16(optional);
  OptionalLayout layout;
  if (magic == kPe32Magic) {
    layout = {92, 96};
  } else if (magic == kPe32PlusMagic) {
    layout = {108, 112};
  } else {
    return;
  }
  if (optional_size < layout.directories_at) return;
  const uint32_t image_size = Le32(optional + 56);
  headers_size_ = Le32(optional + 60);
  if (image_size == 0) return;
  uint32_t directories = Le32(optional + layout.directory_count_at);
  if (directories > kMaxDirectories) directories = kMaxDirectories;
  if (optional_size < layout.directories_at + kDirectoryEntrySize * directories) return;
  if (directories > kResourceDirectoryIndex) {
    const uint8_t* entry = optional + layout.directories_at + 8 * kResourceDirectoryIndex;
    if (Le32(entry + 4) != 0) resource_rva_ = Le32(entry);
  }

  const uint64_t table = pe + sizeof(head) + optional_size;
  std::vector<uint8_t> headers(kSectionHeaderSize * section_count);
  if (!headers.empty() && source_->ReadAt(table, headers.data(), headers.size()) != headers.size())
    return;
  for (uint32_t i = 0; i < section_count; ++i) {
    const uint8_t* h = headers.data() + kSectionHeaderSize * i;
    Section s;
    const uint32_t virtual_size = Le32(h + 8);
    s.rva = Le32(h + 12);
    const uint32_t raw_size = Le32(h + 16);
    s.raw_offset = Le32(h + 20);
    s.span = virtual_size ? virtual_size : raw_size;
    s.raw_size = raw_size < s.span ? raw_size : s.span;
    // A section whose data would begin past the end: a cut download. The
    // loader refuses such an image (measured under Wine 8: error 193).
    uint8_t probe;
    if (raw_size != 0 && source_->ReadAt(s.raw_offset, &probe, 1) != 1) return;
    sections_.push_back(s);
  }
  is_image_ = true;
}

bool PeResourceReader::ReadImage(uint64_t rva, void* buffer, size_t length) const {
  uint8_t* out = static_cast<uint8_t*>(buffer);
  uint64_t file_offset = 0;
  uint64_t from_file = 0;
  if (rva + length <= headers_size_) {
    file_offset = rva;
    from_file = length;
  } else {
    const Section* found = nullptr;
    for (const Section& s : sections_) {
      if (rva >= s.rva && rva + length <= uint64_t{s.rva} + s.span) {
        found = &s;
        break;
      }
    }
    if (!found) return false;
    const uint64_t within = rva - found->rva;
    file_offset = uint64_t{found->raw_offset} + within;
    from_file = within >= found->raw_size ? 0 : found->raw_size - within;
    if (from_file > length) from_file = length;
  }
  // What the file lacks (past its raw data, or past the end of a cut file)
  // reads as zeros, as in a mapped image.
  size_t copied = 0;
  if (from_file) copied = source_->ReadAt(file_offset, out, static_cast<size_t>(from_file));
  if (copied < length) std::memset(out + copied, 0, length - copied);
  return true;
}

bool PeResourceReader::ReadEntry(uint32_t directory, uint32_t index, Entry* entry) const {
  uint8_t raw[kDirectoryEntrySize];
  const uint64_t at = uint64_t{resource_rva_} + directory + kDirectoryHeaderSize +
                      uint64_t{kDirectoryEntrySize} * index;
  if (!ReadImage(at, raw, sizeof(raw))) return false;
  const uint32_t name = Le32(raw);
  const uint32_t target = Le32(raw + 4);
  entry->named = (name & kHighBit) != 0;
  entry->name = name & ~kHighBit;
  entry->directory = (target & kHighBit) != 0;
  entry->target = target & ~kHighBit;
  return true;
}

int PeResourceReader::CompareName(const char* name, uint32_t name_offset, bool* readable,
                                  bool* same_length) const {
  // The loader's comparison: wcsncmp(query, stored, stored length), the
  // query ending in its terminator; equal only when the lengths match too.
  *readable = false;
  uint8_t length_bytes[2];
  const uint64_t at = uint64_t{resource_rva_} + name_offset;
  if (!ReadImage(at, length_bytes, sizeof(length_bytes))) return 0;
  const size_t stored_length = Le16(length_bytes);
  const size_t query_length = std::strlen(name);
  *same_length = stored_length == query_length;
  *readable = true;
  if (stored_length == 0) return 0;
  const size_t needed = stored_length < query_length + 1 ? stored_length : query_length + 1;
  uint8_t stored[2 * (kMaxKeyLength + 1)];
  if (!ReadImage(at + 2, stored, 2 * needed)) {
    *readable = false;
    return 0;
  }
  size_t i = 0;
  auto query_unit = [&](size_t k) -> int {
    return k < query_length ? static_cast<unsigned char>(name[k]) : 0;
  };
  while (i + 1 < stored_length && query_unit(i) != 0 && query_unit(i) == Le16(stored + 2 * i)) ++i;
  return query_unit(i) - static_cast<int>(Le16(stored + 2 * i));
}

bool PeResourceReader::FindName(uint32_t directory, const char* name, bool want_directory,
                                uint32_t* target) const {
  uint8_t header[kDirectoryHeaderSize];
  if (!ReadImage(uint64_t{resource_rva_} + directory, header, sizeof(header))) return false;
  int64_t low = 0;
  int64_t high = static_cast<int64_t>(Le16(header + 12)) - 1;
  while (low <= high) {
    const int64_t middle = (low + high) / 2;
    Entry entry;
    if (!ReadEntry(directory, static_cast<uint32_t>(middle), &entry)) return false;
    bool readable = false;
    bool same_length = false;
    const int order = CompareName(name, entry.name, &readable, &same_length);
    if (!readable) return false;
    if (order == 0 && same_length) {
      if (entry.directory != want_directory) return false;
      *target = entry.target;
      return true;
    }
    if (order < 0) {
      high = middle - 1;
    } else {
      low = middle + 1;
    }
  }
  return false;
}

bool PeResourceReader::FindId(uint32_t directory, uint32_t id, bool want_directory,
                              uint32_t* target) const {
  uint8_t header[kDirectoryHeaderSize];
  if (!ReadImage(uint64_t{resource_rva_} + directory, header, sizeof(header))) return false;
  int64_t low = Le16(header + 12);
  int64_t high = low + Le16(header + 14) - 1;
  while (low <= high) {
    const int64_t middle = (low + high) / 2;
    Entry entry;
    if (!ReadEntry(directory, static_cast<uint32_t>(middle), &entry)) return false;
    const uint32_t entry_id = entry.name & 0xFFFF;  // the loader compares the low word
    if (entry_id == id) {
      if (entry.directory != want_directory) return false;
      *target = entry.target;
      return true;
    }
    if (entry_id > id) {
      high = middle - 1;
    } else {
      low = middle + 1;
    }
  }
  return false;
}

bool PeResourceReader::Find(uint32_t directory, const char* key, bool want_directory,
                            uint32_t* target) const {
  const size_t length = std::strlen(key);
  if (length == 0 || length > kMaxKeyLength) return false;
  if (key[0] == '#') {
    uint32_t id = 0;
    for (size_t i = 1; i < length; ++i) {
      if (key[i] < '0' || key[i] > '9') return false;
      id = id * 10 + static_cast<uint32_t>(key[i] - '0');
      if (id > 0xFFFF) return false;
    }
    return length > 1 && FindId(directory, id, want_directory, target);
  }
  char upper[kMaxKeyLength + 1];
  for (size_t i = 0; i <= length; ++i)
    upper[i] = (key[i] >= 'a' && key[i] <= 'z') ? static_cast<char>(key[i] - 'a' + 'A') : key[i];
  return FindName(directory, upper, want_directory, target);
}

bool PeResourceReader::FindFirstData(uint32_t directory, uint32_t* target) const {
  uint8_t header[kDirectoryHeaderSize];
  if (!ReadImage(uint64_t{resource_rva_} + directory, header, sizeof(header))) return false;
  uint32_t count = uint32_t{Le16(header + 12)} + Le16(header + 14);
  if (count > kMaxFirstEntryScan) count = kMaxFirstEntryScan;
  for (uint32_t i = 0; i < count; ++i) {
    Entry entry;
    if (!ReadEntry(directory, i, &entry)) return false;
    if (!entry.directory) {
      *target = entry.target;
      return true;
    }
  }
  return false;
}

ResourceBytes PeResourceReader::Read(const char* type, const char* name,
                                     const uint16_t* languages, size_t language_count,
                                     size_t max_size) const {
  ResourceBytes result;
  if (!is_image_) return result;
  result.status = ResourceStatus::kNoResources;
  if (resource_rva_ == 0) return result;
  uint32_t names = 0;
  result.status = ResourceStatus::kTypeNotFound;
  if (!Find(0, type, true, &names)) return result;
  uint32_t languages_directory = 0;
  result.status = ResourceStatus::kNameNotFound;
  if (!Find(names, name, true, &languages_directory)) return result;

  uint32_t data_entry = 0;
  bool found = false;
  for (size_t i = 0; i < language_count && !found; ++i)
    found = FindId(languages_directory, languages[i], false, &data_entry);
  if (!found) found = FindFirstData(languages_directory, &data_entry);
  result.status = ResourceStatus::kLanguageNotFound;
  if (!found) return result;

  uint8_t entry[kDataEntrySize];
  result.status = ResourceStatus::kOutsideImage;
  if (!ReadImage(uint64_t{resource_rva_} + data_entry, entry, sizeof(entry))) return result;
  const uint32_t rva = Le32(entry);
  const uint32_t size = Le32(entry + 4);
  if (size == 0) {
    result.status = ResourceStatus::kEmpty;
    return result;
  }
  if (size > max_size) {
    result.status = ResourceStatus::kTooLarge;
    return result;
  }
  std::vector<uint8_t> bytes(size);
  if (!ReadImage(rva, bytes.data(), bytes.size())) return result;
  result.status = ResourceStatus::kFound;
  result.bytes.swap(bytes);
  return result;
}

}  // namespace lite_installer
