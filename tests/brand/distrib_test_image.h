// Tests: installer images with a certificate table and, optionally, a
// distribution block after the signature, for the block reader and for
// loading the parameters from a file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "brand/distrib_block.h"

namespace lite_installer {

inline constexpr size_t kPeOffset = 0x80;
inline constexpr size_t kTableOffset = 0x200;

inline void PutLe32(std::vector<uint8_t>* image, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) (*image)[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

// An image with a certificate table at kTableOffset holding a signature of
// `signature_length` content bytes and, when `params` is set, the block.
struct ImageBuilder {
  uint16_t signature_length = 0x123;
  uint8_t length_form = 0x82;
  std::string marker = "Txct";
  std::string params = "lang=de&x=1";
  int declared_length_extra = 0;  // added to the block's length field
  bool with_block = true;

  std::vector<uint8_t> Build() const {
    std::vector<uint8_t> image(kTableOffset, 0);
    image[0] = 'M';
    image[1] = 'Z';
    PutLe32(&image, 0x3C, kPeOffset);
    image[kPeOffset] = 'P';
    image[kPeOffset + 1] = 'E';
    PutLe32(&image, kPeOffset + distrib_block::kSecurityEntryOffset, kTableOffset);
    // WIN_CERTIFICATE header (length filled below), then the signature.
    image.resize(kTableOffset + 8, 0);
    image.push_back(0x30);
    image.push_back(length_form);
    image.push_back(static_cast<uint8_t>(signature_length >> 8));
    image.push_back(static_cast<uint8_t>(signature_length));
    image.resize(image.size() + signature_length, 0xAB);
    if (with_block) {
      while ((image.size() - kTableOffset) % 8) image.push_back(0);
      image.insert(image.end(), marker.begin(), marker.end());
      uint16_t n = static_cast<uint16_t>(params.size() + declared_length_extra);
      image.push_back(static_cast<uint8_t>(n >> 8));
      image.push_back(static_cast<uint8_t>(n));
      image.insert(image.end(), params.begin(), params.end());
    }
    PutLe32(&image, kTableOffset, static_cast<uint32_t>(image.size() - kTableOffset));
    PutLe32(&image, kPeOffset + distrib_block::kSecurityEntryOffset + 4,
            static_cast<uint32_t>(image.size() - kTableOffset));
    return image;
  }

  // The image as the bytes of a file.
  std::string BuildText() const {
    std::vector<uint8_t> image = Build();
    return std::string(image.begin(), image.end());
  }
};

}  // namespace lite_installer
