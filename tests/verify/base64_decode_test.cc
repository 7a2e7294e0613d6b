// Both Base64 decoders of module verification: the strict one for the key
// table, the lenient one for identities in a downloaded document.
#include "verify/base64_decode.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace lite_installer {
namespace {

std::vector<uint8_t> Bytes(const std::string& text) {
  return std::vector<uint8_t>(text.begin(), text.end());
}

bool Strict(const std::string& text, std::vector<uint8_t>* out) {
  out->assign(3, 0xEE);  // must be replaced, not appended to
  return Base64Decode(text, out);
}

TEST(StrictBase64Decode, DecodesFullGroupsAndPaddedEnds) {
  std::vector<uint8_t> out;
  EXPECT_TRUE(Strict("TWFu", &out));
  EXPECT_EQ(Bytes("Man"), out);
  EXPECT_TRUE(Strict("TWE=", &out));
  EXPECT_EQ(Bytes("Ma"), out);
  EXPECT_TRUE(Strict("TQ==", &out));
  EXPECT_EQ(Bytes("M"), out);
  EXPECT_TRUE(Strict("+/+/", &out));
  EXPECT_EQ((std::vector<uint8_t>{0xFB, 0xFF, 0xBF}), out);
  EXPECT_TRUE(Strict("CgsBAgM=", &out));
  EXPECT_EQ((std::vector<uint8_t>{0x0A, 0x0B, 0x01, 0x02, 0x03}), out);
}

TEST(StrictBase64Decode, EmptyTextIsZeroBytesAndSuccess) {
  std::vector<uint8_t> out;
  EXPECT_TRUE(Strict("", &out));
  EXPECT_TRUE(out.empty());
}

TEST(StrictBase64Decode, RejectsLengthsThatAreNoMultipleOfFour) {
  std::vector<uint8_t> out;
  EXPECT_FALSE(Strict("TWFuT", &out));  // 5 characters
  EXPECT_TRUE(out.empty());
  EXPECT_FALSE(Strict("TWE", &out));
  EXPECT_FALSE(Strict("T", &out));
  EXPECT_FALSE(Strict("TWFuTWE", &out));
}

TEST(StrictBase64Decode, RejectsCharactersOutsideTheAlphabet) {
  std::vector<uint8_t> out;
  EXPECT_FALSE(Strict("TW\nu", &out));      // a line break
  EXPECT_FALSE(Strict("TWFu\nTWFu", &out)); // a line break between groups (9 chars)
  EXPECT_FALSE(Strict("TWFu\nTWF", &out));  // ... and with the length a multiple of 4
  EXPECT_FALSE(Strict("TW u", &out));
  EXPECT_FALSE(Strict("TW-_", &out));       // the URL alphabet is not accepted
  EXPECT_FALSE(Strict(std::string("TW\0u", 4), &out));
  EXPECT_FALSE(Strict("TW\xC3u", &out));
}

TEST(StrictBase64Decode, AcceptsAtMostTwoPaddingCharactersOnlyAtTheEnd) {
  std::vector<uint8_t> out;
  EXPECT_FALSE(Strict("T===", &out));  // three "="
  EXPECT_FALSE(Strict("====", &out));
  EXPECT_FALSE(Strict("TQ==TWFu", &out));  // padding inside
  EXPECT_FALSE(Strict("T=Fu", &out));
}

TEST(StrictBase64Decode, DecodesAKeyTextOfTheTableToItsDerSize) {
  // The shape of every row: 216 characters giving a 162-byte RSA-1024 key.
  const std::string key =
      "MIGfMA0GCSqGSIb3DQEBAQUAA4GNADCBiQKBgQCwS7bsGs1shDIIylPfC8BVVdcYNfE0/hpVhu7sXG1+G/T/U/z73ZCi"
      "Zd09Pmvirpc/8PLYoAvz+jX7DbtRgbjkvaE5Wu/H//h4Wn4ZDD7uqGElD03qnWwF1LE1BU2+wb6lUeA/gMdgVPXubFRf"
      "VWhVCEcAYZYXcbQesAHTBuRdZwIDAQAB";
  ASSERT_EQ(216u, key.size());
  std::vector<uint8_t> out;
  EXPECT_TRUE(Strict(key, &out));
  ASSERT_EQ(162u, out.size());
  EXPECT_EQ(0x30, out[0]);
  EXPECT_EQ((std::vector<uint8_t>{0x02, 0x03, 0x01, 0x00, 0x01}),
            std::vector<uint8_t>(out.end() - 5, out.end()));
}

struct Lenient {
  bool ok;
  size_t length;
  std::vector<uint8_t> bytes;
};

Lenient DecodeLenient(const std::string& text, size_t capacity) {
  std::vector<uint8_t> buffer(capacity + 4, 0xEE);  // guard bytes after the capacity
  size_t length = capacity;
  bool ok = LenientBase64Decode(text.data(), text.size(), buffer.data(), &length);
  for (size_t i = capacity; i < buffer.size(); ++i) EXPECT_EQ(0xEE, buffer[i]) << "overrun";
  buffer.resize(std::min(length, capacity));
  return {ok, length, buffer};
}

TEST(LenientBase64Decode, SkipsLineBreaksBlanksAndPadding) {
  Lenient r = DecodeLenient("Cg sB\r\nAg=M=", 16);
  EXPECT_TRUE(r.ok);
  EXPECT_EQ((std::vector<uint8_t>{0x0A, 0x0B, 0x01, 0x02, 0x03}), r.bytes);
  Lenient same = DecodeLenient("CgsBAgM", 16);
  EXPECT_EQ(r.bytes, same.bytes);
}

TEST(LenientBase64Decode, FinalGroupsGiveOnlyTheirWholeBytes) {
  EXPECT_EQ(2u, DecodeLenient("TWE", 8).length);
  EXPECT_EQ(1u, DecodeLenient("TW", 8).length);
  EXPECT_EQ(0u, DecodeLenient("T", 8).length);
  EXPECT_EQ(3u, DecodeLenient("TWFuT", 8).length);  // the lone 6 bits are dropped
  Lenient r = DecodeLenient("", 8);
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(0u, r.length);
}

TEST(LenientBase64Decode, StopsAtNulBeforeAGroupButSkipsItInsideOne) {
  Lenient before = DecodeLenient(std::string("TWFu\0TWFu", 9), 16);
  EXPECT_TRUE(before.ok);
  EXPECT_EQ(Bytes("Man"), before.bytes);
  Lenient inside = DecodeLenient(std::string("TW\0Fu", 5), 16);
  EXPECT_EQ(Bytes("Man"), inside.bytes);
}

TEST(LenientBase64Decode, ReadsNoFurtherThanTheGivenLength) {
  Lenient r = DecodeLenient(std::string("TWFuTWFu"), 16);
  EXPECT_EQ(6u, r.length);
  std::vector<uint8_t> out(16);
  size_t length = out.size();
  EXPECT_TRUE(LenientBase64Decode("TWFuTWFu", 4, out.data(), &length));
  EXPECT_EQ(3u, length);
}

TEST(LenientBase64Decode, OverflowWritesNothingPastCapacityAndKeepsCounting) {
  Lenient r = DecodeLenient("TWFuTWFu", 4);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(6u, r.length);
  EXPECT_EQ((std::vector<uint8_t>{'M', 'a', 'n', 'M'}), r.bytes);
}

TEST(LenientBase64Decode, MissingArgumentsFailAndNullOutputOnlyCounts) {
  size_t length = 8;
  uint8_t out[8];
  EXPECT_FALSE(LenientBase64Decode(nullptr, 4, out, &length));
  EXPECT_FALSE(LenientBase64Decode("TWFu", 4, out, nullptr));
  length = 8;
  EXPECT_FALSE(LenientBase64Decode("TWFu", 4, nullptr, &length));
  EXPECT_EQ(3u, length);
  // Without a buffer the answer is false even when there is nothing to write;
  // with one of no capacity, nothing to write is success.
  length = 8;
  EXPECT_FALSE(LenientBase64Decode("====", 4, nullptr, &length));
  EXPECT_EQ(0u, length);
  length = 0;
  EXPECT_TRUE(LenientBase64Decode("====", 4, out, &length));
  EXPECT_EQ(0u, length);
}

}  // namespace
}  // namespace lite_installer
