// The portable side of cabinet extraction: the package is only ever read
// through cursors that cannot leave it, and output is capped.
#include "brand/cabinet_extractor.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace lite_installer {

CabinetExtractor::CabinetExtractor(const void* data, size_t size, std::string wanted)
    : data_(static_cast<const unsigned char*>(data)), size_(size), wanted_(std::move(wanted)) {}

bool CabinetExtractor::usable() const {
  return data_ != nullptr && size_ <= static_cast<size_t>(LONG_MAX);
}

CabinetExtractor::ReadCursor* CabinetExtractor::OpenCursor() {
  cursors_.push_back(std::make_unique<ReadCursor>());
  return cursors_.back().get();
}

bool CabinetExtractor::OwnsCursor(const ReadCursor* cursor) const {
  return std::any_of(cursors_.begin(), cursors_.end(),
                     [cursor](const std::unique_ptr<ReadCursor>& c) { return c.get() == cursor; });
}

bool CabinetExtractor::CloseCursor(ReadCursor* cursor) {
  auto it = std::find_if(cursors_.begin(), cursors_.end(),
                         [cursor](const std::unique_ptr<ReadCursor>& c) { return c.get() == cursor; });
  if (it == cursors_.end()) return false;
  cursors_.erase(it);
  return true;
}

size_t CabinetExtractor::Read(ReadCursor* cursor, void* buffer, size_t count) const {
  if (cursor->position >= size_) return 0;
  size_t n = std::min(count, size_ - cursor->position);
  if (n != 0) std::memcpy(buffer, data_ + cursor->position, n);
  cursor->position += static_cast<uint32_t>(n);
  return n;
}

long CabinetExtractor::Seek(ReadCursor* cursor, long offset, int origin) const {
  long long base;
  switch (origin) {
    case 0: base = 0; break;
    case 1: base = cursor->position; break;
    case 2: base = static_cast<long long>(size_); break;
    default: return -1;
  }
  long long target = base + offset;
  if (target < 0 || target > static_cast<long long>(size_)) return -1;
  cursor->position = static_cast<uint32_t>(target);
  return static_cast<long>(target);
}

CabinetExtractor::FileDecision CabinetExtractor::BeginFile(const std::string& name,
                                                           uint32_t declared_size) {
  if (!wanted_.empty() && name != wanted_) return FileDecision::kSkip;
  if (declared_size > kMaxExtractedBytes - extracted_bytes_) return FileDecision::kRefuse;
  content_.clear();
  content_.reserve(std::min<size_t>(declared_size, kMaxReserveBytes));
  declared_size_ = declared_size;
  return FileDecision::kExtract;
}

bool CabinetExtractor::Append(const void* bytes, size_t count) {
  if (count > kMaxExtractedBytes - extracted_bytes_ - content_.size()) return false;
  content_.append(static_cast<const char*>(bytes), count);
  return true;
}

void CabinetExtractor::EndFile(const std::string& name) {
  extracted_bytes_ += content_.size();
  if (content_.size() == declared_size_) files_[name] = std::move(content_);
  content_.clear();
}

}  // namespace lite_installer
