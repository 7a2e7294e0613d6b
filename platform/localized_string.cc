// Walking a string-table block; portable, and bounded by the block's size so
// that a damaged resource cannot make it read past the block.
#include "platform/localized_string.h"

namespace lite_installer {
namespace {
constexpr unsigned kEntriesPerBlock = 16;
}  // namespace

std::wstring StringFromTableBlock(const void* block, size_t size, unsigned index) {
  if (!block || index >= kEntriesPerBlock) return std::wstring();
  const unsigned char* bytes = static_cast<const unsigned char*>(block);
  auto unit_at = [bytes](size_t offset) -> uint16_t {
    return static_cast<uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
  };
  size_t offset = 0;
  for (unsigned entry = 0;; ++entry) {
    if (size < 2 || offset > size - 2) return std::wstring();
    size_t length = unit_at(offset);
    offset += 2;
    if (length * 2 > size - offset) return std::wstring();
    if (entry == index) {
      std::wstring text;
      text.reserve(length);
      for (size_t i = 0; i < length; ++i) text.push_back(static_cast<wchar_t>(unit_at(offset + 2 * i)));
      return text;
    }
    offset += length * 2;
  }
}

}  // namespace lite_installer
