// The deployer's stamping tool against the installer's own block reader:
// what it writes must read back, keep the table consistent and aligned, and
// replace an earlier block.
#include "tools/distrib_stamper.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "brand/distrib_block.h"
#include "platform/byte_order.h"

namespace lite_installer {
namespace {

constexpr uint32_t kPe = 0x80;
constexpr uint32_t kTable = 0x400;

uint32_t Le32(const std::string& s, size_t at) { return LoadLe32(BytesAt(s, at)); }
void PutLe32(std::string* s, size_t at, uint32_t v) { StoreLe32(BytesAt(s, at), v); }

// A PE32 image whose certificate table (at its end) holds a DER signature of
// `content_length` bytes, padded to 8 as signing tools do.
std::string SignedImage(uint16_t content_length) {
  std::string image(kTable, '\0');
  image[0] = 'M';
  image[1] = 'Z';
  PutLe32(&image, 0x3C, kPe);
  image.replace(kPe, 4, std::string("PE\0\0", 4));
  image[kPe + 24] = 0x0B;
  image[kPe + 25] = 0x01;
  std::string table(8, '\0');
  table += std::string{'\x30', '\x82', static_cast<char>(content_length >> 8),
                       static_cast<char>(content_length)};
  table += std::string(content_length, '\x5A');
  while (table.size() % 8) table.push_back('\0');
  PutLe32(&table, 0, static_cast<uint32_t>(table.size()));
  table[4] = 0x00;
  table[5] = 0x02;  // revision 2.0
  table[6] = 0x02;  // PKCS_SIGNED_DATA
  PutLe32(&image, kPe + distrib_block::kSecurityEntryOffset, kTable);
  PutLe32(&image, kPe + distrib_block::kSecurityEntryOffset + 4,
          static_cast<uint32_t>(table.size()));
  return image + table;
}

TEST(DistribStamping, StampedBlockReadsBackAndKeepsTheTableConsistent) {
  for (uint16_t length : {0x100, 0x101, 0x105, 0x107}) {
    std::string image = SignedImage(length);
    std::string error;
    ASSERT_TRUE(StampDistribBlock(&image, "banerid=1&download_date=2026", &error)) << error;
    EXPECT_EQ(ReadDistribBlock(image.data(), image.size()), "banerid=1&download_date=2026");
    uint32_t table_size = Le32(image, kPe + distrib_block::kSecurityEntryOffset + 4);
    EXPECT_EQ(kTable + table_size, image.size());
    EXPECT_EQ(Le32(image, kTable), table_size);
    EXPECT_EQ(table_size % 8, 0u);
  }
}

TEST(DistribStamping, RestampingReplacesTheEarlierBlock) {
  std::string image = SignedImage(0x200);
  std::string error;
  ASSERT_TRUE(StampDistribBlock(&image, std::string(300, 'x'), &error));
  ASSERT_TRUE(StampDistribBlock(&image, "lang=tr", &error));
  EXPECT_EQ(ReadDistribBlock(image.data(), image.size()), "lang=tr");
  EXPECT_EQ(image, [] {
    std::string fresh = SignedImage(0x200);
    std::string e;
    StampDistribBlock(&fresh, "lang=tr", &e);
    return fresh;
  }());
}

TEST(DistribStamping, RefusesImagesItCannotStampSafely) {
  std::string error;
  std::string unsigned_image = SignedImage(0x100);
  PutLe32(&unsigned_image, kPe + distrib_block::kSecurityEntryOffset, 0);
  EXPECT_FALSE(StampDistribBlock(&unsigned_image, "a=1", &error));

  std::string trailing = SignedImage(0x100) + "overlay";
  EXPECT_FALSE(StampDistribBlock(&trailing, "a=1", &error));
  EXPECT_EQ(error, "the certificate table does not end the file");

  std::string image = SignedImage(0x100);
  const std::string before = image;
  EXPECT_FALSE(StampDistribBlock(&image, std::string(70000, 'x'), &error));
  EXPECT_EQ(image, before);
}

}  // namespace
}  // namespace lite_installer
