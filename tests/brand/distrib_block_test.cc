// Reading the distribution block out of crafted images: only a well-formed
// block yields text, and nothing is read outside the image.
#include "brand/distrib_block.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/brand/distrib_test_image.h"

namespace lite_installer {
namespace {

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
