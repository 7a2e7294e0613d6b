// Reading the distribution block; portable, host-tested and fuzzed. All
// offsets are computed in 64 bits so that a 32-bit offset near its limit
// cannot wrap around and pass a bounds check.
#include "brand/distrib_block.h"
#include "platform/byte_order.h"

#include <cstring>

namespace lite_installer {
namespace {

class ImageBytes {
 public:
  ImageBytes(const void* data, size_t size)
      : data_(static_cast<const unsigned char*>(data)), size_(data ? size : 0) {}
  // Whether [offset, offset + length) lies inside the image.
  bool Contains(uint64_t offset, uint64_t length) const {
    return offset <= size_ && length <= size_ - offset;
  }
  uint8_t Byte(uint64_t offset) const { return data_[offset]; }
  uint32_t Le32(uint64_t offset) const { return LoadLe32(data_ + offset); }
  uint16_t Be16(uint64_t offset) const { return LoadBe16(data_ + offset); }
  const unsigned char* At(uint64_t offset) const { return data_ + offset; }

 private:
  const unsigned char* data_;
  size_t size_;
};

constexpr uint64_t kPeOffsetField = 0x3C;
constexpr uint8_t kSequenceTag = 0x30;
constexpr uint8_t kTwoByteLength = 0x82;
constexpr uint64_t kSignatureHeadSize = 4;  // tag, length form, 16-bit length

}  // namespace

std::string ReadDistribBlock(const void* image, size_t size) {
  ImageBytes bytes(image, size);
  if (!bytes.Contains(0, kPeOffsetField + 4) || bytes.Byte(0) != 'M' || bytes.Byte(1) != 'Z')
    return std::string();
  const uint64_t pe = bytes.Le32(kPeOffsetField);
  if (!bytes.Contains(pe, 4) || std::memcmp(bytes.At(pe), "PE\0\0", 4) != 0) return std::string();
  const uint64_t entry = pe + distrib_block::kSecurityEntryOffset;
  if (!bytes.Contains(entry, 8)) return std::string();
  const uint64_t table = bytes.Le32(entry);
  if (table == 0) return std::string();

  const uint64_t signature = table + distrib_block::kCertificateHeaderSize;
  if (!bytes.Contains(table, distrib_block::kCertificateHeaderSize + kSignatureHeadSize))
    return std::string();
  if (bytes.Byte(signature) != kSequenceTag || bytes.Byte(signature + 1) != kTwoByteLength)
    return std::string();
  const uint64_t content_length = bytes.Be16(signature + 2);

  // The block starts at the next 8-byte boundary after the signature.
  const uint64_t marker = table + ((content_length + 19) & ~uint64_t{7});
  if (!bytes.Contains(marker, sizeof(distrib_block::kMarker) + 2)) return std::string();
  if (std::memcmp(bytes.At(marker), distrib_block::kMarker, sizeof(distrib_block::kMarker)) != 0)
    return std::string();
  const uint64_t text_length = bytes.Be16(marker + 4);
  const uint64_t text = marker + 6;
  if (!bytes.Contains(text, text_length)) return std::string();
  return std::string(reinterpret_cast<const char*>(bytes.At(text)), text_length);
}

}  // namespace lite_installer
