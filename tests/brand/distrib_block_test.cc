// Reading the distribution block out of crafted images: only a well-formed
// block yields text, and nothing is read outside the image.
#include "brand/distrib_block.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace lite_installer {
namespace {

constexpr size_t kPeOffset = 0x80;
constexpr size_t kTableOffset = 0x200;

void PutLe32(std::vector<uint8_t>* image, size_t at, uint32_t value) {
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
};

std::string Read(const std::vector<uint8_t>& image) {
  return ReadDistribBlock(image.data(), image.size());
}

TEST(DistribBlock, WellFormedBlockYieldsItsText) {
  EXPECT_EQ(Read(ImageBuilder().Build()), "lang=de&x=1");
}

TEST(DistribBlock, MarkerFollowsTheSignatureAtEveryAlignment) {
  for (uint16_t length = 0x100; length < 0x110; ++length) {
    ImageBuilder builder;
    builder.signature_length = length;
    EXPECT_EQ(Read(builder.Build()), "lang=de&x=1") << length;
  }
}

TEST(DistribBlock, EmptyTextIsNoParameters) {
  ImageBuilder builder;
  builder.params = "";
  EXPECT_EQ(Read(builder.Build()), "");
}

TEST(DistribBlock, SignatureWithoutBlockHasNoParameters) {
  ImageBuilder builder;
  builder.with_block = false;
  EXPECT_EQ(Read(builder.Build()), "");
}

TEST(DistribBlock, WrongMarkerHasNoParameters) {
  ImageBuilder builder;
  builder.marker = "Txcu";
  EXPECT_EQ(Read(builder.Build()), "");
}

TEST(DistribBlock, OtherLengthFormsMeanNoBlock) {
  ImageBuilder builder;
  builder.length_form = 0x83;
  EXPECT_EQ(Read(builder.Build()), "");
}

TEST(DistribBlock, DeclaredLengthPastTheEndHasNoParameters) {
  ImageBuilder builder;
  builder.declared_length_extra = 1;
  EXPECT_EQ(Read(builder.Build()), "");
}

TEST(DistribBlock, DeclaredLengthExactlyToTheEndIsRead) {
  ImageBuilder builder;
  std::vector<uint8_t> image = builder.Build();
  image.push_back('!');
  image[image.size() - 1 - builder.params.size() - 1] += 1;  // low byte of N
  EXPECT_EQ(Read(image), "lang=de&x=1!");
}

TEST(DistribBlock, UnsignedImageHasNoParameters) {
  std::vector<uint8_t> image = ImageBuilder().Build();
  PutLe32(&image, kPeOffset + distrib_block::kSecurityEntryOffset, 0);
  EXPECT_EQ(Read(image), "");
}

TEST(DistribBlock, EveryTruncationIsRefusedWithoutReadingPastTheEnd) {
  const std::vector<uint8_t> image = ImageBuilder().Build();
  for (size_t size = 0; size < image.size(); ++size) {
    // A copy of exactly `size` bytes, so that ASan sees any read beyond it.
    std::vector<uint8_t> truncated(image.begin(), image.begin() + size);
    EXPECT_EQ(ReadDistribBlock(truncated.data(), truncated.size()), "") << size;
  }
}

TEST(DistribBlock, OffsetsNearTheTopOfTheAddressRangeDoNotWrap) {
  std::vector<uint8_t> image = ImageBuilder().Build();
  PutLe32(&image, 0x3C, 0xFFFFFFFE);
  EXPECT_EQ(Read(image), "");
  image = ImageBuilder().Build();
  PutLe32(&image, kPeOffset + distrib_block::kSecurityEntryOffset, 0xFFFFFFF8);
  EXPECT_EQ(Read(image), "");
}

TEST(DistribBlock, NotAnImage) {
  std::vector<uint8_t> image = ImageBuilder().Build();
  image[0] = 'X';
  EXPECT_EQ(Read(image), "");
  image = ImageBuilder().Build();
  image[kPeOffset + 2] = 1;
  EXPECT_EQ(Read(image), "");
  EXPECT_EQ(ReadDistribBlock(nullptr, 100), "");
}

}  // namespace
}  // namespace lite_installer
