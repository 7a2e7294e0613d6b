// libFuzzer target: the bookkeeping behind the cabinet library's callbacks
// (CabinetExtractor) over any package, driven the way the library drives it:
// header, folder and file entries and data blocks are read through the
// extractor's cursors at the offsets the package itself claims, and each
// wanted file gets its data blocks appended as they are (nothing is
// inflated). Invariants: a read never leaves the package (an exact-size copy
// under AddressSanitizer, and what it returns is the package's bytes at the
// cursor); a seek outside is refused and leaves the cursor; what is delivered
// is each file's last complete copy, never more than kMaxExtractedBytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "brand/cabinet_extractor.h"

namespace {

using lite_installer::CabinetExtractor;

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

uint32_t Little(const uint8_t* p, size_t bytes) {
  uint32_t value = 0;
  for (size_t i = bytes; i-- > 0;) value = value << 8 | p[i];
  return value;
}

class Walker {
 public:
  Walker(const std::vector<uint8_t>& package, CabinetExtractor* extractor)
      : package_(package), extractor_(extractor), cursor_(extractor->OpenCursor()) {}
  ~Walker() { Check(extractor_->CloseCursor(cursor_) && !extractor_->CloseCursor(cursor_)); }

  // `count` bytes at `offset`, or false when they are not all there.
  bool ReadAt(long offset, size_t count, std::string* out) {
    const uint32_t before = cursor_->position;
    const long at = extractor_->Seek(cursor_, offset, 0);
    if (offset < 0 || static_cast<size_t>(offset) > package_.size()) {
      Check(at == -1 && cursor_->position == before);
      return false;
    }
    Check(at == offset);
    out->assign(count, '\0');
    const size_t got = extractor_->Read(cursor_, &(*out)[0], count);
    Check(got == std::min(count, package_.size() - offset));
    Check(cursor_->position == offset + got);
    Check(std::memcmp(out->data(), package_.data() + offset, got) == 0);
    out->resize(got);
    return got == count;
  }

  // Relative and end-based seeks, as the library also makes them.
  void SeekAround(long offset) {
    const long from_end = extractor_->Seek(cursor_, -offset, 2);
    Check(from_end == (offset >= 0 && static_cast<size_t>(offset) <= package_.size()
                           ? static_cast<long>(package_.size()) - offset
                           : -1L));
    const uint32_t before = cursor_->position;
    const long relative = extractor_->Seek(cursor_, offset, 1);
    Check(relative == -1 ? cursor_->position == before : cursor_->position == relative);
  }

 private:
  const std::vector<uint8_t>& package_;
  CabinetExtractor* extractor_;
  CabinetExtractor::ReadCursor* cursor_;
};

constexpr size_t kHeaderSize = 36;
constexpr uint32_t kReservePresent = 0x0004;

// Walks the package's file entries and extracts the wanted ones; returns what
// the extractor must deliver.
std::map<std::string, std::string> Walk(const std::vector<uint8_t>& package,
                                        CabinetExtractor* extractor) {
  std::map<std::string, std::string> expected;
  Walker walker(package, extractor);
  std::string header, bytes;
  if (!walker.ReadAt(0, kHeaderSize, &header) || header.compare(0, 4, "MSCF") != 0)
    return expected;
  const auto* h = reinterpret_cast<const uint8_t*>(header.data());
  const uint32_t files_offset = Little(h + 16, 4);
  const uint32_t folders = Little(h + 26, 2), files = Little(h + 28, 2);
  uint32_t folder_reserve = 0, data_reserve = 0, folders_offset = kHeaderSize;
  if (Little(h + 30, 2) & kReservePresent) {
    if (!walker.ReadAt(kHeaderSize, 4, &bytes)) return expected;
    const auto* r = reinterpret_cast<const uint8_t*>(bytes.data());
    folder_reserve = r[2];
    data_reserve = r[3];
    folders_offset += 4 + Little(r, 2);
  }
  walker.SeekAround(static_cast<long>(files_offset));
  size_t total = 0;
  uint32_t at = files_offset;
  for (uint32_t f = 0; f < files; ++f) {
    std::string entry, name;
    if (!walker.ReadAt(at, 16, &entry)) return expected;
    const auto* e = reinterpret_cast<const uint8_t*>(entry.data());
    walker.ReadAt(at + 16, 256, &name);
    name = name.substr(0, name.find('\0'));
    at += 16 + static_cast<uint32_t>(name.size()) + 1;
    switch (extractor->BeginFile(name, Little(e, 4))) {
      case CabinetExtractor::FileDecision::kSkip:
        continue;
      case CabinetExtractor::FileDecision::kRefuse:
        return expected;
      case CabinetExtractor::FileDecision::kExtract:
        break;
    }
    std::string folder, content;
    const uint32_t index = Little(e + 8, 2);
    const uint32_t folder_at = folders_offset + index * (8 + folder_reserve);
    if (index < folders && walker.ReadAt(folder_at, 8, &folder)) {
      const auto* d = reinterpret_cast<const uint8_t*>(folder.data());
      uint32_t block = Little(d, 4);
      for (uint32_t b = 0, blocks = Little(d + 4, 2); b < blocks; ++b) {
        std::string block_header, block_data;
        if (!walker.ReadAt(block, 8, &block_header)) break;
        const uint32_t length = Little(reinterpret_cast<const uint8_t*>(&block_header[4]), 2);
        walker.ReadAt(block + 8 + data_reserve, length, &block_data);
        if (!extractor->Append(block_data.data(), block_data.size())) return expected;
        content += block_data;
        block += 8 + data_reserve + length;
      }
    }
    extractor->EndFile(name);
    if (content.size() == Little(e, 4)) expected[name] = content;
    total += content.size();
    Check(total <= CabinetExtractor::kMaxExtractedBytes);
  }
  return expected;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> package(data, data + size);
  for (const char* wanted : {"", "brand_config"}) {
    CabinetExtractor extractor(package.data(), package.size(), wanted);
    if (!extractor.usable()) continue;  // ExtractFiles gives up before the library runs
    const std::map<std::string, std::string> expected = Walk(package, &extractor);
    const lite_installer::ExtractedFiles files = extractor.TakeFiles();
    size_t total = 0;
    for (const auto& file : files) total += file.second.size();
    Check(total <= CabinetExtractor::kMaxExtractedBytes);
    Check(files == expected);
  }
  return 0;
}
