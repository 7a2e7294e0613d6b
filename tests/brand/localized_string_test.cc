// Walking string-table blocks, damaged ones included.
#include "platform/localized_string.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace lite_installer {
namespace {

// A block of sixteen entries; entries beyond `texts` are empty.
std::vector<uint8_t> Block(const std::vector<std::u16string>& texts) {
  std::vector<uint8_t> block;
  for (size_t i = 0; i < 16; ++i) {
    std::u16string text = i < texts.size() ? texts[i] : u"";
    block.push_back(static_cast<uint8_t>(text.size()));
    block.push_back(static_cast<uint8_t>(text.size() >> 8));
    for (char16_t c : text) {
      block.push_back(static_cast<uint8_t>(c));
      block.push_back(static_cast<uint8_t>(c >> 8));
    }
  }
  return block;
}

TEST(StringTableBlock, EntriesAreFoundByIndex) {
  std::vector<uint8_t> block = Block({u"zero", u"", u"\u0434\u0430"});
  EXPECT_EQ(StringFromTableBlock(block.data(), block.size(), 0), L"zero");
  EXPECT_EQ(StringFromTableBlock(block.data(), block.size(), 1), L"");
  EXPECT_EQ(StringFromTableBlock(block.data(), block.size(), 2), L"\u0434\u0430");
  EXPECT_EQ(StringFromTableBlock(block.data(), block.size(), 15), L"");
  EXPECT_EQ(StringFromTableBlock(block.data(), block.size(), 16), L"");
}

TEST(StringTableBlock, LengthRunningPastTheBlockGivesEmpty) {
  std::vector<uint8_t> block = {5, 0, 'a', 0, 'b', 0};
  EXPECT_EQ(StringFromTableBlock(block.data(), block.size(), 0), L"");
  EXPECT_EQ(StringFromTableBlock(block.data(), block.size(), 3), L"");
}

TEST(StringTableBlock, BlockEndingBeforeTheEntryGivesEmpty) {
  std::vector<uint8_t> block = {1, 0, 'a', 0, 1};
  EXPECT_EQ(StringFromTableBlock(block.data(), block.size(), 0), L"a");
  EXPECT_EQ(StringFromTableBlock(block.data(), block.size(), 1), L"");
  EXPECT_EQ(StringFromTableBlock(block.data(), 0, 0), L"");
}

}  // namespace
}  // namespace lite_installer
